// Feeds the command-line parser arbitrary arguments: the input split at NUL bytes, each piece
// one argument after the program's name. The parser must return, never exit or print.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<QByteArray> arguments{QByteArrayLiteral("roomkin")};
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || text[i] == '\0') {
            arguments.emplace_back(text + start, qsizetype(i - start));
            start = i + 1;
        }
    }
    const rk::CommandLine result = rk::parseCommandLine(arguments);
    // Whatever was accepted must be usable as it stands.
    if (result.ok() && (result.minKb < 0 || result.minKb > 50000)) __builtin_trap();
    if (result.ok())
        for (const QByteArray& drive : result.drives)
            if (drive.isEmpty()) __builtin_trap();
    return 0;
}
