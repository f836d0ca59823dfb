#include "common/TimeHelpers.h"

#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>
#include <ctime>

namespace rk {

QLocale textLocale() {
    // The program reads the user's settings once, at its first date or number.
    static const QLocale locale = [] {
        const QLocale system = QLocale::system();
        if (system.language() == QLocale::C)
            return QLocale(QLocale::English, QLocale::UnitedStates);
        return system;
    }();
    return locale;
}

QString shortDateFormat() {
    static const QString format = textLocale().dateFormat(QLocale::ShortFormat);
    return format;
}

QString longTimeFormat() {
    static const QString format = [] {
        QString f = textLocale().timeFormat(QLocale::LongFormat);
        // Drop the time-zone tokens ("t", "tttt" ...) that stand outside quoted text.
        QString out;
        bool quoted = false;
        for (QChar c : f) {
            if (c == QLatin1Char('\'')) quoted = !quoted;
            if (!quoted && c == QLatin1Char('t')) continue;
            out += c;
        }
        return out.simplified();
    }();
    return format;
}

PackedTime packDateTime(const QDateTime& local) {
    if (!local.isValid()) return 0;
    const QDate d = local.date();
    const QTime t = local.time();
    if (d.year() < 1980 || d.year() > 2107) return 0;
    const std::uint32_t date = std::uint32_t((d.year() - 1980) << 9 | d.month() << 5 | d.day());
    const std::uint32_t time = std::uint32_t(t.hour() << 11 | t.minute() << 5 | t.second() / 2);
    return date << 16 | time;
}

namespace {

// The packed fields as a date and a time of day, each invalid when its fields are. Built
// without QDateTime, whose local-time conversion asks the system for the time zone each time.
struct Unpacked {
    QDate date;
    QTime time;
    [[nodiscard]] bool valid() const { return date.isValid() && time.isValid(); }
};

Unpacked unpack(PackedTime t) {
    const int year = int(t >> 25) + 1980;
    const int month = int(t >> 21 & 0xF);
    const int day = int(t >> 16 & 0x1F);
    const int hour = int(t >> 11 & 0x1F);
    const int minute = int(t >> 5 & 0x3F);
    const int second = int(t & 0x1F) * 2;
    Unpacked u;
    if (QDate::isValid(year, month, day)) u.date = QDate(year, month, day);
    if (QTime::isValid(hour, minute, second)) u.time = QTime(hour, minute, second);
    return u;
}

}  // namespace

std::optional<QDateTime> unpackFileTime(PackedTime t) {
    const Unpacked u = unpack(t);
    if (!u.valid()) return std::nullopt;
    return QDateTime(u.date, u.time);
}

PackedTime accessFileTime(const SearchRecord& r) {
    return packFileTime(r.raw.access);
}
PackedTime createFileTime(const SearchRecord& r) {
    return packFileTime(r.raw.creation);
}
PackedTime writeFileTime(const SearchRecord& r) {
    return packFileTime(r.raw.write);
}

namespace {

// The first year of the 100 that a two-digit year is read in.
int firstWindowYear(int currentYear) {
    return currentYear + 20 - 99;
}

// The years a four-digit year standing in a two-digit field is read in: those the date
// boxes' calendar can show (so also every file date). "0980" is no year the program writes.
constexpr int firstFourDigitYear = 1600;
constexpr int lastFourDigitYear = 3999;

// A two-digit year in the window, as its full year.
int windowedYear(int twoDigits, int currentYear) {
    const int lastYear = currentYear + 20;
    return lastYear - ((lastYear - twoDigits) % 100 + 100) % 100;
}

// The short date format with a two-digit year field widened to four digits; the format
// itself when it has none.
QString fourDigitYearFormat() {
    static const QString format = [] {
        const QString f = shortDateFormat();
        QString out;
        bool quoted = false;
        for (qsizetype i = 0; i < f.size();) {
            const QChar c = f[i];
            if (c == QLatin1Char('\'')) quoted = !quoted;
            qsizetype run = 1;
            while (!quoted && c == QLatin1Char('y') && i + run < f.size() && f[i + run] == c)
                ++run;
            out += (!quoted && c == QLatin1Char('y') && run == 2) ? QStringLiteral("yyyy")
                                                                  : f.mid(i, run);
            i += run;
        }
        return out;
    }();
    return format;
}

}  // namespace

QString shortDateText(const QDate& date, int currentYear) {
    const int first = firstWindowYear(currentYear);
    const bool readsBack = date.year() >= first && date.year() <= first + 99;
    return textLocale().toString(date, readsBack ? shortDateFormat() : fourDigitYearFormat());
}

QString shortDateText(const QDate& date) {
    return shortDateText(date, QDate::currentDate().year());
}

QString fileDateText(PackedTime t) {
    if (t == 0) return {};
    const Unpacked u = unpack(t);
    return shortDateText(u.valid() ? u.date : QDate(1980, 1, 1));
}

QString fileTimeText(PackedTime t) {
    const Unpacked u = unpack(t);
    return textLocale().toString(t != 0 && u.valid() ? u.time : QTime(12, 0, 0), longTimeFormat());
}

namespace {

// Reads a date written in a format of numbers only (d, dd, M, MM, yy, yyyy between other
// characters), as most short date formats are. Qt's reader takes "yy" as 19yy before it checks
// the day, which loses 29 February 2000; this one keeps the year's digits for the window.
// Empty when the format has other fields or the text does not fit it.
std::optional<QDate> readNumericDate(const QString& text, const QString& format, int currentYear) {
    int day = -1, month = -1, year = -1;
    bool twoDigitYear = false;
    qsizetype t = 0;
    for (qsizetype f = 0; f < format.size();) {
        const QChar c = format[f];
        qsizetype run = 1;
        while (f + run < format.size() && format[f + run] == c)
            ++run;
        if (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) {
            if ((c != QLatin1Char('y') && run > 2) ||
                (c == QLatin1Char('y') && run != 2 && run != 4))
                return std::nullopt;  // day or month names
            // ASCII digits only: toInt reads no others, and would take other digits for 0.
            const auto asciiDigit = [](QChar ch) {
                return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
            };
            qsizetype available = 0;
            while (t + available < text.size() && asciiDigit(text[t + available]))
                ++available;
            // A two-digit year field also takes a year of four digits standing alone.
            const bool fullYear = c == QLatin1Char('y') && run == 2 && available == 4;
            const qsizetype digits = fullYear ? 4 : std::min(available, run + (run < 2));
            if (digits == 0) return std::nullopt;
            const int value = text.mid(t, digits).toInt();
            t += digits;
            if (c == QLatin1Char('d'))
                day = value;
            else if (c == QLatin1Char('M'))
                month = value;
            else {
                year = value;
                twoDigitYear = run == 2 && !fullYear;
            }
        } else {
            if (c.isLetter() || c == QLatin1Char('\'')) return std::nullopt;
            for (qsizetype i = 0; i < run; ++i, ++t)
                if (t >= text.size() || text[t] != c) return std::nullopt;
        }
        f += run;
    }
    if (t != text.size() || day < 0 || month < 0 || year < 0) return std::nullopt;
    if (twoDigitYear)
        year = windowedYear(year, currentYear);
    else if (year < firstFourDigitYear || year > lastFourDigitYear)
        return std::nullopt;
    if (!QDate::isValid(year, month, day)) return std::nullopt;
    return QDate(year, month, day);
}

}  // namespace

std::optional<QDate> readShortDate(const QString& text, int currentYear) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    const QString format = shortDateFormat();
    if (std::optional<QDate> numeric = readNumericDate(trimmed, format, currentYear))
        return numeric;
    QDate date = textLocale().toDate(trimmed, format);
    if (!date.isValid()) {
        // Written with four digits, as a year outside the window is.
        date = textLocale().toDate(trimmed, fourDigitYearFormat());
        const bool readable =
            date.isValid() && date.year() >= firstFourDigitYear && date.year() <= lastFourDigitYear;
        return readable ? std::optional(date) : std::nullopt;
    }
    if (!format.contains(QStringLiteral("yyyy"))) {
        // Qt reads "yy" as 19yy; move it into the window of 100 years ending at +20.
        date = QDate(windowedYear(date.year(), currentYear), date.month(), date.day());
        if (!date.isValid()) return std::nullopt;
    }
    return date;
}

std::optional<QDate> readShortDate(const QString& text) {
    return readShortDate(text, QDate::currentDate().year());
}

std::optional<QDate> readTypedDate(const QString& text, int currentYear) {
    if (std::optional<QDate> date = readShortDate(text, currentYear)) return date;
    return readNumericDate(text.trimmed(), QStringLiteral("yyyy-MM-dd"), currentYear);
}

std::optional<QDate> readTypedDate(const QString& text) {
    return readTypedDate(text, QDate::currentDate().year());
}

QString shortDateHint() {
    QString hint = shortDateFormat();
    bool quoted = false;
    for (QChar& c : hint) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && (c == QLatin1Char('d') || c == QLatin1Char('y'))) c = c.toUpper();
    }
    hint.remove(QLatin1Char('\''));
    return hint;
}

double dateTimeValue(const QDateTime& dt) {
    static const QDate epoch(1899, 12, 30);
    const qint64 days = epoch.daysTo(dt.date());
    return double(days) + double(dt.time().msecsSinceStartOfDay()) / 86400000.0;
}

namespace {

// Whether the packed fields form a real date and time of day, in plain arithmetic: this runs
// for every entry of a scan.
bool validPacked(PackedTime t) {
    const unsigned year = (t >> 25) + 1980;
    const unsigned month = t >> 21 & 0xF;
    const unsigned day = t >> 16 & 0x1F;
    if ((t >> 11 & 0x1F) > 23 || (t >> 5 & 0x3F) > 59 || (t & 0x1F) > 29) return false;
    static constexpr unsigned char monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > monthDays[month - 1]) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

}  // namespace

QString FileTimeTexts::date(PackedTime t) {
    if (t == 0) return {};
    if (!validPacked(t)) {
        static const QString fallback = fileDateText(t);
        return fallback;
    }
    QString& text = dates_[t >> 16];
    if (text.isNull()) {
        if (currentYear_ == 0) currentYear_ = QDate::currentDate().year();
        text = shortDateText(unpack(t).date, currentYear_);
    }
    return text;
}

QString FileTimeTexts::time(PackedTime t) {
    // An invalid date turns the time into noon as well, so those share one entry.
    if (t == 0 || !validPacked(t)) {
        static const QString noon = fileTimeText(0);
        return noon;
    }
    QString& text = times_[t & 0xFFFF];
    if (text.isNull()) text = fileTimeText(t);
    return text;
}

}  // namespace rk
