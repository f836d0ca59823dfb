// Any text read as a date of the short date format, as the sort reads a date column: it must
// never crash, and a date it reads must be the one the digits say. The replays run in the C
// locale, whose format is the English "M/d/yy".
#include <QByteArray>
#include <QDate>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "common/GridSort.h"
#include "common/TimeHelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte picks the current year, so that the two-digit window moves too.
    const int currentYear = 1990 + data[0] % 100;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    (void)rk::dateKey(text);
    (void)rk::numberKey(text);

    // A date box reads what the short date reader reads, and else only calendar years.
    const std::optional<QDate> date = rk::readShortDate(text, currentYear);
    const std::optional<QDate> typed = rk::readTypedDate(text, currentYear);
    if (date) FUZZ_CHECK(typed == date);
    if (typed && !date) FUZZ_CHECK(typed->year() >= 1600 && typed->year() <= 3999);
    if (!date) return 0;
    FUZZ_CHECK(date->isValid());
    // A year read from two digits lies in the window; one written with four digits (as years
    // outside the window are) lies in the years the date boxes' calendar shows.
    const bool inWindow = date->year() > currentYear + 20 - 100 && date->year() <= currentYear + 20;
    FUZZ_CHECK(inWindow || (date->year() >= 1600 && date->year() <= 3999));
    // Written back, the date reads back as itself.
    const QString written = rk::textLocale().toString(*date, rk::shortDateFormat());
    FUZZ_CHECK(rk::readShortDate(written, currentYear) == date);
    if (rk::shortDateFormat() == QLatin1String("M/d/yy")) {
        const QStringList parts = text.trimmed().split(QLatin1Char('/'));
        FUZZ_CHECK(parts.size() == 3);
        int values[3];
        for (int i = 0; i < 3; ++i) {
            bool number = !parts[i].isEmpty();
            for (QChar c : parts[i])
                number = number && c >= QLatin1Char('0') && c <= QLatin1Char('9');
            FUZZ_CHECK(number);
            values[i] = parts[i].toInt();
        }
        FUZZ_CHECK(values[0] == date->month() && values[1] == date->day());
        if (parts[2].size() == 4)
            FUZZ_CHECK(values[2] == date->year());
        else
            FUZZ_CHECK(parts[2].size() <= 2 && inWindow && values[2] == date->year() % 100);
    }
    return 0;
}
