// A file name of any bytes, as a scan turns it into a record: the record text must stay one
// line of its fields, and the exact bytes must come back from the record whatever it shows.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "common/ScanRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // No name holds a NUL: the input is cut at the first one.
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray name =
        input.left(input.indexOf('\0') < 0 ? input.size() : input.indexOf('\0'));

    const QString shown = rk::recordText(name);
    FUZZ_CHECK(!shown.contains(QLatin1Char('\t')) && !shown.contains(QLatin1Char('\n')) &&
               !shown.contains(QLatin1Char('\r')));
    const bool exact = rk::recordShowsExactly(name, shown);
    FUZZ_CHECK(exact == (shown.toUtf8() == name));

    // A record as the scans write one: size, fields, the name last.
    const QByteArray text =
        (rk::sizeInKText(qint64(size) * 1000) + QStringLiteral("\t12/31/99\t") + shown).toUtf8();
    const rk::ScanRecord record(text, exact ? QByteArray() : name);
    FUZZ_CHECK(record.text() == QByteArrayView(text));
    FUZZ_CHECK(record.exactPath() == (exact ? QByteArray() : name));
    FUZZ_CHECK(record.kilobytes() == qint64(size) * 1000 / 1024);

    // The sorted lists' order is a total order on any two names.
    const qsizetype half = name.size() / 2;
    const QByteArrayView a(name.constData(), half), b(name.constData() + half, name.size() - half);
    FUZZ_CHECK(rk::compareFolded(a, b) == -rk::compareFolded(b, a));
    FUZZ_CHECK(rk::compareFolded(a, a) == 0);
    return 0;
}
