// The strings scan with reads cut short at random (the first input byte): what it lists is
// what the rules give for the bytes before the first short read.
#include <QByteArray>
#include <QList>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "ViewerInput.h"
#include "viewer/AsciiStrings.h"

namespace {

bool stringChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    FuzzFile file;
    file.bytes =
        QByteArray(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1)).repeated(5);
    // The read that comes back short, and how short.
    const int shortRead = data[0] & 7;
    file.schedule = QByteArray(shortRead, '\0') + char(64 + (data[0] >> 3) % 64);
    QList<QByteArray> found;
    rk::AsciiStringsScan{}.run(file, [&](QByteArrayView s) { found.append(s.toByteArray()); });

    const QByteArray read = file.bytes.left(2048 * shortRead + (data[0] >> 3) % 64);
    QList<QByteArray> expected;
    for (qsizetype block = 0; block < read.size(); block += 2048) {
        QByteArray run;
        for (qsizetype i = block; i < std::min<qsizetype>(block + 2048, read.size()); ++i) {
            if (stringChar(read[i])) {
                run += read[i];
                continue;
            }
            if (run.size() >= 6 && run.size() <= 101) expected.append(run);
            run.clear();
        }
    }
    FUZZ_CHECK(found == expected);
    return 0;
}
