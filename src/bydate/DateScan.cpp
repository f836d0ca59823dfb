#include "bydate/DateScan.h"

#include <ctime>

#include "bydate/DateColumns.h"
#include "common/DriveWalk.h"
#include "common/Drives.h"
#include "common/FileTypes.h"
#include "common/TextHelpers.h"
#include "common/TimeHelpers.h"

namespace rk {

namespace {

constexpr int includeDateFiles = 41;  // ordinary, read-only and archive files
constexpr std::int64_t spanSeconds = 15 * 60;

// The local day of a stamp, and its UTC offset; empty when the system cannot convert it.
struct LocalDay {
    int day;
    long offset;
};
std::optional<LocalDay> localDay(std::int64_t unixSeconds) {
    const std::time_t t = std::time_t(unixSeconds);
    std::tm tm{};
    if (!::localtime_r(&t, &tm)) return std::nullopt;
    return LocalDay{dayNumber(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday), tm.tm_gmtoff};
}

bool isPlainAscii(const QByteArray& name) {
    for (const char ch : name)
        if (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) >= 0x7f)
            return false;
    return true;
}

// The extension as the type name is found by: from the last "." on, unless a ":" or "\"
// comes after it.
QByteArray extensionOf(const QByteArray& name) {
    for (qsizetype i = name.size() - 1; i >= 0; --i) {
        const char c = name[i];
        if (c == '.') return name.mid(i);
        if (c == ':' || c == '\\') break;
    }
    return {};
}

}  // namespace

int dayNumber(const QDate& date) {
    return dayNumber(date.year(), date.month(), date.day());
}

bool dayInRange(std::optional<int> day, DateRelation when, int start, int end) {
    if (!day) return when == DateRelation::OnOrBefore;
    switch (when) {
        case DateRelation::OnOrBefore:
            return *day <= start;
        case DateRelation::Between:
            return start <= *day && *day <= end;
        case DateRelation::OnOrAfter:
            return *day >= start;
    }
    return false;
}

QString dateListFullText() {
    return QStringLiteral(
        "Resource limit reached ... cannot process any more files.\nTry "
        "decreasing the file date range.");
}

QString abortLine() {
    return QStringLiteral(" LIST INCOMPLETE ... ABORTED BY USER");
}

QByteArray clipboardLine(QByteArrayView record) {
    // Fields 0..5: name, accessed, created, modified, folder, type.
    std::array<QByteArrayView, 6> f{};
    qsizetype from = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const qsizetype tab = i + 1 < f.size() ? record.indexOf('\t', from) : -1;
        f[i] = record.sliced(from, (tab < 0 ? record.size() : tab) - from);
        if (tab < 0) {
            from = record.size();
            for (std::size_t j = i + 1; j < f.size(); ++j)
                f[j] = {};
            break;
        }
        from = tab + 1;
    }
    qsizetype characters = 0;
    for (const char c : f[0])
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    QByteArray line;
    line.reserve(record.size() + 16);
    line.append(f[0]);
    if (characters < 14) line.append(14 - characters, ' ');
    for (const std::size_t i : {2, 1, 3, 4, 5})
        line.append('\t').append(f[i]);
    return line;
}

DateScan::DateScan(const Platform& platform, EventPump* pump) : platform_(platform), pump_(pump) {}

QByteArray DateScan::pathOf(QByteArrayView record, const QByteArray& exactPath) {
    if (!exactPath.isEmpty()) return exactPath;
    const QByteArrayView name = recordFieldBytes(record, DateColumns::Filename);
    if (name.isEmpty()) return {};
    return JoinPath(recordFieldBytes(record, DateColumns::Folder).toByteArray(),
                    name.toByteArray());
}

void DateScan::setPattern(const QString& pattern) {
    nextPattern_ = pattern;
    patternChanged_ = true;
}

void DateScan::run(const DateQuery& query) {
    query_ = query;
    pattern_ = NamePattern(query.pattern);
    patternChanged_ = false;
    start_ = dayNumber(query.start);
    end_ = dayNumber(query.end);
    listed_ = 0;
    noCreation_ = 0;
    outcome_ = {};
    abort = false;
    ScanAllDrives();
}

void DateScan::ScanAllDrives() {
    struct Sink : WalkSink {
        DateScan& scan;
        explicit Sink(DateScan& s) : scan(s) {}
        void enterFolder(const FolderVisit& v) override {
            if (scan.showFolder) scan.showFolder(v.text());
        }
        void folderStep(const FolderVisit& v) override { scan.scanfiles(v); }
    } sink(*this);
    searchDrives(platform_, query_.drives, WalkSettings{true}, sink, abort, pump_, outcome_);
}

int DateScan::dayOf(std::int64_t unixSeconds) {
    const std::int64_t span =
        unixSeconds >= 0 ? unixSeconds / spanSeconds : (unixSeconds + 1) / spanSeconds - 1;
    DaySpan& cached = days_[std::size_t(span) & (days_.size() - 1)];
    if (cached.span == span) return cached.day;
    const std::optional<LocalDay> here = localDay(unixSeconds);
    if (!here) return dayNumber(1980, 1, 1);
    // The span is cached only when both its ends lie on the same day at the same offset:
    // then no change of offset, a daylight-saving one included, falls inside it.
    const std::optional<LocalDay> first = localDay(span * spanSeconds);
    const std::optional<LocalDay> last = localDay(span * spanSeconds + spanSeconds - 1);
    if (first && last && first->day == here->day && last->day == here->day &&
        first->offset == here->offset && last->offset == here->offset)
        cached = {span, here->day};
    return here->day;
}

bool DateScan::QinDateRange(std::int64_t unixSeconds) {
    const std::optional<int> day =
        unixSeconds == 0 ? std::nullopt : std::optional<int>(dayOf(unixSeconds));
    return dayInRange(day, query_.when, start_, end_);
}

QByteArrayView DateScan::typeOf(const QByteArray& name) {
    const QByteArray ext = isPlainAscii(name) ? extensionOf(name).toLower()
                                              : extensionOf(recordText(name).toUtf8()).toLower();
    auto type = typeNames_.find(ext);
    if (type == typeNames_.end())
        type = typeNames_.insert(ext, fileTypeName(QString::fromUtf8(ext)).toUtf8());
    return *type;
}

QByteArrayView DateScan::dateText(std::int64_t unixSeconds) {
    const PackedTime t = packFileTime(unixSeconds);
    if (t == 0) return {};
    QByteArray& text = dateTexts_[t >> 16];
    if (text.isNull()) text = fileDateText(t).toUtf8();
    return text;
}

void DateScan::scanfiles(const FolderVisit& folder) {
    if (abort) return;
    if (showFolder) showFolder(folder.text());
    if (patternChanged_) {
        pattern_ = NamePattern(nextPattern_);
        patternChanged_ = false;
    }
    // The folder's text is made once, for the first file found in it.
    QByteArray folderText;
    bool folderShownExactly = true;
    for (const SearchRecord& e : folder.entries) {
        if (abort) return;
        if (pump_) pump_->poll();
        if (e.isDotEntry() || (e.attributes & attrDirectory) ||
            !includedBy(includeDateFiles, e.attributes) || !pattern_.matches(e.name))
            continue;
        const DateField what = query_.what;
        const std::int64_t tested = what == DateField::Accessed  ? e.raw.access
                                    : what == DateField::Created ? e.raw.creation
                                                                 : e.raw.write;
        if (what == DateField::Created && e.raw.creation == 0) ++noCreation_;
        if (!QinDateRange(tested)) continue;
        if (listed_ >= listLimit) {
            outcome_.limitReached = true;
            abort = true;
            return;
        }
        if (what != DateField::Created && e.raw.creation == 0) ++noCreation_;
        if (folderText.isNull()) {
            const QString text = recordText(folder.path);
            folderShownExactly = recordShowsExactly(folder.path, text);
            folderText = text.toUtf8();
            if (folderText.isNull()) folderText = "";
        }
        bool nameShownExactly = true;
        record_.truncate(0);
        if (isPlainAscii(e.name)) {
            record_.append(e.name);
        } else {
            const QString name = recordText(e.name);
            nameShownExactly = recordShowsExactly(e.name, name);
            record_.append(name.toUtf8());
        }
        record_.append('\t').append(dateText(e.raw.access));
        record_.append('\t').append(dateText(e.raw.creation));
        record_.append('\t').append(dateText(e.raw.write));
        record_.append('\t').append(folderText);
        record_.append('\t').append(typeOf(e.name));
        ++listed_;
        if (found)
            found(record_, folderShownExactly && nameShownExactly ? QByteArray()
                                                                  : JoinPath(folder.path, e.name));
    }
}

}  // namespace rk
