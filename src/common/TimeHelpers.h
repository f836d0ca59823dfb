#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/PackedTime.h"
#include "platform/SearchRecord.h"

namespace rk {

// The locale whose formats the program writes: the user's, or en_US where it is C/POSIX.
[[nodiscard]] QLocale textLocale();
[[nodiscard]] QString shortDateFormat();
// The long time format without its time-zone part.
[[nodiscard]] QString longTimeFormat();

[[nodiscard]] PackedTime packDateTime(const QDateTime& local);
// The packed value's date and time, when its fields form a valid one.
[[nodiscard]] std::optional<QDateTime> unpackFileTime(PackedTime t);

[[nodiscard]] PackedTime accessFileTime(const SearchRecord& r);
[[nodiscard]] PackedTime createFileTime(const SearchRecord& r);
[[nodiscard]] PackedTime writeFileTime(const SearchRecord& r);

// The date in the short date format; empty for 0; 1 January 1980 for an invalid value.
[[nodiscard]] QString fileDateText(PackedTime t);
// A date in the short date format; a two-digit year is written with four digits where it
// would not read back as itself (outside the window readShortDate reads it in).
[[nodiscard]] QString shortDateText(const QDate& date);
[[nodiscard]] QString shortDateText(const QDate& date, int currentYear);
// The time of day in the long time format; noon for 0 or an invalid value.
[[nodiscard]] QString fileTimeText(PackedTime t);

// Reads back a date written in the short date format. A two-digit year lies in the 100
// years ending 20 years after the current one, so the 1990s read back as the 1990s; four
// digits where the format has two are taken as they stand.
[[nodiscard]] std::optional<QDate> readShortDate(const QString& text);
[[nodiscard]] std::optional<QDate> readShortDate(const QString& text, int currentYear);
// A date typed into a date box: the short date format, or year-month-day as YYYY-MM-DD with
// a year of 1600 to 3999, whatever the locale.
[[nodiscard]] std::optional<QDate> readTypedDate(const QString& text);
[[nodiscard]] std::optional<QDate> readTypedDate(const QString& text, int currentYear);
// The short date format as a hint for the user: "M/D/YY" for "M/d/yy".
[[nodiscard]] QString shortDateHint();

// Date-time value: days since 30 December 1899, the fraction being the time of day.
[[nodiscard]] double dateTimeValue(const QDateTime& dt);

// fileDateText and fileTimeText for the many entries of a scan: a scan meets few distinct
// days and times of day, and writing a date in the locale's format is costly.
class FileTimeTexts {
public:
    [[nodiscard]] QString date(PackedTime t);
    [[nodiscard]] QString time(PackedTime t);

private:
    // By the packed date or time of day; a null text is one not yet written.
    std::vector<QString> dates_ = std::vector<QString>(65536);
    std::vector<QString> times_ = std::vector<QString>(65536);
    // The year the two-digit years are read back in, taken with the first date written: the
    // texts kept are of that year's window, and asking the clock for each costs more than
    // writing the date.
    int currentYear_ = 0;
};

}  // namespace rk
