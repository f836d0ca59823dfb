// The hex renderer: each line is the offset, the 16 fields and the characters, and reading
// the fields back gives the file's bytes.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "ViewerInput.h"
#include "viewer/FileViewModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzOpener opener;
    opener.bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    rk::FileViewModel model(opener);
    model.open("f");
    model.setHexMode(true);
    model.filterChars = size % 2;
    const std::int64_t lines = model.lineCount().value_or(-1);
    FUZZ_CHECK(lines == (opener.bytes.size() + 15) / 16);
    for (std::int64_t l = 0; l < lines; ++l) {
        const QByteArray line = model.lineText(l);
        FUZZ_CHECK(line.size() == 75);
        FUZZ_CHECK(line.left(8).toLongLong(nullptr, 16) == l * 16);
        for (int k = 0; k < 16; ++k) {
            const qsizetype at = l * 16 + k;
            const QByteArray field = line.mid(10 + 3 * k, 2);
            if (at >= opener.bytes.size()) {
                FUZZ_CHECK(field == "  " && line[59 + k] == ' ');
                continue;
            }
            const auto byte = static_cast<unsigned char>(opener.bytes[at]);
            FUZZ_CHECK(field.toInt(nullptr, 16) == byte);
            const char shown = line[59 + k];
            FUZZ_CHECK(shown == char(byte) || shown == '.');
        }
    }
    FUZZ_CHECK(model.lineText(lines).isEmpty());
    return 0;
}
