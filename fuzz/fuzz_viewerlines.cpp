// The line scanner against a plain split: the first byte picks the number of cached pages,
// the rest is the file. Lines read forwards, backwards and at random must agree.
#include <QByteArray>
#include <QList>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "ViewerInput.h"
#include "viewer/FileViewModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    FuzzOpener opener;
    opener.bytes = QByteArray(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    // Small pages of text are rare in fuzz inputs: a repeat makes pages fill up.
    if (data[0] & 1) opener.bytes = opener.bytes.repeated(4096 / (opener.bytes.size() + 1) + 1);
    const QByteArray& b = opener.bytes;
    QList<QByteArray> expected;
    for (qsizetype start = 0; start < b.size();) {
        qsizetype end = start;
        while (end < b.size() && b[end] != '\n' && b[end] != '\r')
            ++end;
        expected.append(b.mid(start, std::min<qsizetype>(end - start, 1023)));
        if (end < b.size() && b[end] == '\r' && end + 1 < b.size() && b[end + 1] == '\n') ++end;
        start = end + 1;
    }
    rk::FileViewModel forwards(opener), backwards(opener);
    forwards.open("f");
    backwards.open("f");
    forwards.setPageCount(data[0] >> 1);
    backwards.setPageCount(data[0] >> 4);
    for (qsizetype l = 0; l < expected.size(); ++l)
        FUZZ_CHECK(forwards.lineText(l) == expected[l]);
    FUZZ_CHECK(!forwards.lineExists(expected.size()));
    FUZZ_CHECK(forwards.lineCount() == expected.size());
    FUZZ_CHECK(backwards.scanToEnd() == expected.size());
    for (qsizetype l = expected.size() - 1; l >= 0; --l) {
        FUZZ_CHECK(backwards.lineText(l) == expected[l]);
        backwards.noteCaretLine(l / 2);
    }
    // Scanning in slices, as the window does, reads the same lines.
    rk::FileViewModel sliced(opener);
    sliced.open("f");
    sliced.scanSlice = 1 + data[0] % 61;
    for (qsizetype l = 0; l <= expected.size(); ++l) {
        bool exists = false;
        do
            exists = sliced.lineExists(l);
        while (sliced.takePending());
        FUZZ_CHECK(exists == (l < expected.size()));
        FUZZ_CHECK(sliced.lineText(l) == (exists ? expected[l] : QByteArray()));
    }
    return 0;
}
