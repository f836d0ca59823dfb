#include <gtest/gtest.h>

#include <QDateTime>
#include <cstdlib>
#include <ctime>

#include "platform/PackedTime.h"

#include "common/TimeHelpers.h"

namespace rk {
namespace {

PackedTime pack(int year, int month, int day, int hour, int minute, int secondsField) {
    return PackedTime(year - 1980) << 25 | PackedTime(month) << 21 | PackedTime(day) << 16 |
           PackedTime(hour) << 11 | PackedTime(minute) << 5 | PackedTime(secondsField);
}

TEST(PackedTime, ZeroMeansNoTime) {
    EXPECT_EQ(fileDateText(0), "");
    EXPECT_EQ(fileTimeText(0), "12:00:00 PM");
    EXPECT_EQ(packFileTime(0), 0u);
}

TEST(PackedTime, LastSecondOfTheCentury) {
    const PackedTime t = pack(1999, 12, 31, 23, 59, 29);
    EXPECT_EQ(fileDateText(t), "12/31/99");
    EXPECT_EQ(fileTimeText(t), "11:59:58 PM");
    EXPECT_EQ(packDateTime(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58))), t);
}

TEST(PackedTime, InvalidFieldsFallBack) {
    // Month 13: the date of 1 January 1980, and noon for the time.
    const PackedTime t = pack(1999, 13, 1, 10, 0, 0);
    EXPECT_EQ(fileDateText(t), "1/1/80");
    EXPECT_EQ(fileTimeText(t), "12:00:00 PM");
    // Hour 25 is no time of day either.
    EXPECT_EQ(fileTimeText(pack(2001, 2, 3, 25, 0, 0)), "12:00:00 PM");
    EXPECT_EQ(fileDateText(pack(2001, 2, 30, 1, 0, 0)), "1/1/80");
}

TEST(PackedTime, PacksLocalTimeAndRefusesWhatTheLayoutCannotHold) {
    const QDateTime local(QDate(2026, 7, 4), QTime(8, 30, 17));
    const PackedTime t = packFileTime(local.toSecsSinceEpoch());
    EXPECT_EQ(t, pack(2026, 7, 4, 8, 30, 8));  // seconds are kept in steps of two
    EXPECT_EQ(unpackFileTime(t)->date(), QDate(2026, 7, 4));
    EXPECT_EQ(packFileTime(QDateTime(QDate(1979, 12, 31), QTime(23, 0)).toSecsSinceEpoch()), 0u);
    EXPECT_EQ(packFileTime(QDateTime(QDate(2108, 1, 1), QTime(0, 0)).toSecsSinceEpoch()), 0u);
    EXPECT_NE(packFileTime(QDateTime(QDate(2107, 12, 31), QTime(0, 0)).toSecsSinceEpoch()), 0u);
}

// A walk's packer gives what the system's conversion gives, also on the days the offset
// changes (summer time, Lord Howe's half hour, a zone counting leap seconds) and at the ends
// of what the layout holds; a packer made after the zone changed uses the new zone.
TEST(PackedTime, PackerAgreesWithTheSystemAroundOffsetChanges) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    const std::int64_t march2024 = 1711670400;    // 2024-03-29 00:00 UTC
    const std::int64_t october2024 = 1729900800;  // 2024-10-26 00:00 UTC
    const std::int64_t april2024 = 1712102400;    // 2024-04-03 00:00 UTC
    for (const char* zone :
         {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "right/UTC", "UTC"}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        const LocalTimePacker packer;
        for (const std::int64_t from : {march2024, october2024, april2024})
            for (std::int64_t t = from; t < from + 4 * 86400; t += 59)
                ASSERT_EQ(packer.pack(t), packFileTime(t)) << zone << " at " << t;
        for (const std::int64_t t :
             {std::int64_t(0), std::int64_t(-1), std::int64_t(315446400), std::int64_t(315532799),
              std::int64_t(315532800), std::int64_t(4354819199), std::int64_t(4354905600)})
            EXPECT_EQ(packer.pack(t), packFileTime(t)) << zone << " at " << t;
    }
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
    const PackedTime berlin = LocalTimePacker().pack(october2024);
    ::setenv("TZ", "America/New_York", 1);
    ::tzset();
    EXPECT_NE(LocalTimePacker().pack(october2024), berlin);
    EXPECT_EQ(LocalTimePacker().pack(october2024), packFileTime(october2024));
    if (old)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST(PackedTime, ReadersTakeTheirOwnStamp) {
    SearchRecord r;
    r.raw.access = QDateTime(QDate(2001, 1, 1), QTime(0, 0)).toSecsSinceEpoch();
    r.raw.write = QDateTime(QDate(2002, 2, 2), QTime(0, 0)).toSecsSinceEpoch();
    r.raw.creation = 0;  // not recorded
    EXPECT_EQ(fileDateText(accessFileTime(r)), "1/1/01");
    EXPECT_EQ(fileDateText(writeFileTime(r)), "2/2/02");
    EXPECT_EQ(createFileTime(r), 0u);
}

TEST(ShortDate, TwoDigitYearsReadBackInTheirWindow) {
    // In 2026 two-digit years cover 1947 to 2046.
    EXPECT_EQ(readShortDate("12/31/98", 2026), QDate(1998, 12, 31));
    EXPECT_EQ(readShortDate("1/1/05", 2026), QDate(2005, 1, 1));
    EXPECT_EQ(readShortDate("6/15/46", 2026), QDate(2046, 6, 15));
    EXPECT_EQ(readShortDate("6/15/47", 2026), QDate(1947, 6, 15));
    // Leap days of years whose 19yy twin has none.
    EXPECT_EQ(readShortDate("2/29/00", 2026), QDate(2000, 2, 29));
    EXPECT_EQ(readShortDate("2/29/24", 2026), QDate(2024, 2, 29));
    EXPECT_FALSE(readShortDate("2/29/01", 2026));
    EXPECT_FALSE(readShortDate("12/31", 2026));
    EXPECT_FALSE(readShortDate("12/31/98 x", 2026));
    EXPECT_FALSE(readShortDate("", 2026));
    EXPECT_FALSE(readShortDate("13/45/99", 2026));
    EXPECT_FALSE(readShortDate("DELETED", 2026));
}

TEST(ShortDate, DateBoxesAlsoTakeYearMonthDay) {
    EXPECT_EQ(readTypedDate("1999-12-31", 2026), QDate(1999, 12, 31));
    EXPECT_EQ(readTypedDate(" 2000-2-29 ", 2026), QDate(2000, 2, 29));
    EXPECT_EQ(readTypedDate("12/31/98", 2026), QDate(1998, 12, 31));
    for (const char* bad : {"2001-02-29", "1599-01-01", "4000-01-01", "99-12-31", "01999-12-31",
                            "1999-12-31x", "1999-13-01", "1999--1", ""})
        EXPECT_FALSE(readTypedDate(QLatin1String(bad), 2026)) << bad;
}

TEST(ShortDate, WrittenDatesRoundTrip) {
    for (const QDate d : {QDate(1998, 3, 14), QDate(2026, 12, 8), QDate(2046, 1, 31)}) {
        const QString text = fileDateText(packDateTime(QDateTime(d, QTime(9, 0))));
        EXPECT_EQ(readShortDate(text, 2026), d) << text.toStdString();
    }
    // Years outside the window are written with four digits, so every date reads back.
    for (const QDate d : {QDate(1946, 12, 31), QDate(1950, 1, 1), QDate(2046, 12, 31),
                          QDate(2050, 1, 1), QDate(2107, 12, 31)}) {
        const QString text = shortDateText(d, 2026);
        EXPECT_EQ(readShortDate(text, 2026), d) << text.toStdString();
        const QString now = fileDateText(packDateTime(QDateTime(d, QTime(9, 0))));
        if (d.year() >= 1980) {
            EXPECT_EQ(readShortDate(now), d) << now.toStdString();
        }
    }
    EXPECT_EQ(shortDateText(QDate(1950, 1, 1), 2026), "1/1/50");
    EXPECT_EQ(shortDateText(QDate(2050, 1, 1), 2026), "1/1/2050");
    EXPECT_EQ(readShortDate("1/1/2050", 2026), QDate(2050, 1, 1));
    EXPECT_EQ(readShortDate("1/1/1950", 2026), QDate(1950, 1, 1));
    EXPECT_FALSE(readShortDate("1/1/205", 2026));
    EXPECT_FALSE(readShortDate("1/1/20500", 2026));
    // Four digits are read only for years the calendar can show: a padded "0980" is no year
    // the program writes.
    for (const char* odd : {" 1/1/0980", "1/1/0099", "1/1/1599", "12/31/4000"})
        EXPECT_FALSE(readShortDate(QLatin1String(odd), 2026)) << odd;
    EXPECT_EQ(readShortDate("1/1/1600", 2026), QDate(1600, 1, 1));
    EXPECT_EQ(readShortDate("12/31/3999", 2026), QDate(3999, 12, 31));
}

TEST(FileTimeTexts, CachedTextsMatchTheHelpers) {
    FileTimeTexts texts;
    std::vector<PackedTime> values = {0, pack(1999, 13, 1, 10, 0, 0), pack(2001, 2, 3, 25, 0, 0)};
    for (int d = 1; d <= 28; ++d)
        for (int h = 0; h < 24; h += 5)
            values.push_back(pack(1990 + d, 1 + d % 12, d, h, d, h));
    // Ask for many new entries within one expression, as a record is built.
    for (std::size_t i = 0; i + 2 < values.size(); i += 3) {
        const QString joined =
            texts.date(values[i]) + texts.time(values[i + 1]) + texts.date(values[i + 2]);
        EXPECT_EQ(joined, fileDateText(values[i]) + fileTimeText(values[i + 1]) +
                              fileDateText(values[i + 2]));
    }
    // No time (noon) and midnight share a packed time of day of 0, but not a text.
    EXPECT_EQ(texts.time(0), "12:00:00 PM");
    EXPECT_EQ(texts.time(pack(2022, 7, 8, 0, 0, 0)), "12:00:00 AM");
}

TEST(TimeFormats, EnglishFormatsWithoutTimeZone) {
    EXPECT_EQ(shortDateFormat(), "M/d/yy");
    EXPECT_EQ(longTimeFormat(), "h:mm:ss AP");
}

TEST(DateTimeValue, CountsDaysFromTheEndOf1899) {
    EXPECT_DOUBLE_EQ(dateTimeValue(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
    EXPECT_DOUBLE_EQ(dateTimeValue(QDateTime(QDate(1900, 1, 1), QTime(12, 0))), 2.5);
}

}  // namespace
}  // namespace rk
