#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "common/DriveWalk.h"
#include "common/FolderWalk.h"
#include "common/ScanRecord.h"
#include "platform/NamePattern.h"
#include "platform/Platform.h"

namespace rk {

// Which of a file's three times is tested (rgWhat's items, in order).
enum class DateField { Accessed, Created, Modified };
// How its day must lie to the chosen days (rgWhen's items, in order).
enum class DateRelation { OnOrBefore, Between, OnOrAfter };

// What the user asked for in the files-by-date window (or on the command line). The days are
// read from the date boxes once, when Start is pressed.
struct DateQuery {
    DateField what = DateField::Accessed;
    DateRelation when = DateRelation::Between;
    QDate start;
    QDate end;  // used by Between only
    QString pattern = QStringLiteral("*.*");
    std::vector<Drive> drives;
};

// A calendar day as a number that orders like the day: yyyymmdd.
[[nodiscard]] constexpr int dayNumber(int year, int month, int day) {
    return year * 10000 + month * 100 + day;
}
[[nodiscard]] int dayNumber(const QDate& date);

// Whether a file whose tested time is `day` (empty: not recorded) satisfies the relation:
// an unrecorded time satisfies "On or Before" only; both ends of "In between" are included.
[[nodiscard]] bool dayInRange(std::optional<int> day, DateRelation when, int start, int end);

// The files-by-date scan, without a window: the window, the command-line report and the
// benchmark run it. It lists every ordinary file (not hidden, not a link or other system
// entry) matching the pattern whose tested time lies on the chosen days, in walk order, and
// hands each over the moment it is found, so a window fills its grid as it goes and a report
// streams its lines without holding them. Only metadata is read: no file is opened, so no
// access time changes. Chosen drives that overlap are walked once.
// A record has the grid's six fields: name (exact case, unpadded), accessed, created,
// modified (date texts, empty where a time is not recorded or out of the packed range),
// folder (no trailing "/" except "/" itself) and type name.
class DateScan {
public:
    static constexpr std::size_t defaultListLimit = 10'000'000;

    explicit DateScan(const Platform& platform, EventPump* pump = nullptr);

    bool abort = false;                              // the abort flag
    std::function<void(const QString&)> showFolder;  // pnlScan
    // Each file found: its record, and its exact path where the record's name and folder
    // do not give it back as it is (else empty).
    std::function<void(QByteArrayView record, const QByteArray& exactPath)> found;
    // How many files may be listed before the scan stops, its list full.
    std::size_t listLimit = defaultListLimit;
    void setPump(EventPump* pump) { pump_ = pump; }

    void run(const DateQuery& query);
    // The window's relation, tested time and pattern stay live during a scan: a change
    // applies from the next file (the pattern from the next folder) on.
    void setWhat(DateField what) { query_.what = what; }
    void setWhen(DateRelation when) { query_.when = when; }
    void setPattern(const QString& pattern);

    void ScanAllDrives();
    void scanfiles(const FolderVisit& folder);
    // Does a file's tested time satisfy the query.
    [[nodiscard]] bool QinDateRange(std::int64_t unixSeconds);

    // Files listed so far, counted as listed: an abort or the list limit adds nothing.
    [[nodiscard]] std::uint64_t listed() const { return listed_; }
    // Files without a creation date: of those tested when the creation date is tested (they
    // count as not recorded), else of those listed (their Created cell is empty).
    [[nodiscard]] std::uint64_t withoutCreationDate() const { return noCreation_; }
    // What the last search met: folders skipped, drives not opened, a full list.
    [[nodiscard]] const SearchOutcome& outcome() const { return outcome_; }

    // The exact path of a found file, from what found() handed over: its exact path where the
    // scan gave one, else the record's folder and name, which are then the path's very bytes.
    [[nodiscard]] static QByteArray pathOf(QByteArrayView record, const QByteArray& exactPath);
    // What ResultWindow::runScan asks of a scan: this one hands its rows over as it finds
    // them, so it keeps no list.
    [[nodiscard]] QByteArray pathOf(const ScanRecord& record) const {
        return pathOf(record.text(), record.exactPath());
    }
    void releaseList() {}

private:
    [[nodiscard]] int dayOf(std::int64_t unixSeconds);
    [[nodiscard]] QByteArrayView typeOf(const QByteArray& name);
    [[nodiscard]] QByteArrayView dateText(std::int64_t unixSeconds);

    const Platform& platform_;
    EventPump* pump_;
    DateQuery query_;
    NamePattern pattern_;
    bool patternChanged_ = false;
    QString nextPattern_;
    int start_ = 0;
    int end_ = 0;
    std::uint64_t listed_ = 0;
    std::uint64_t noCreation_ = 0;
    SearchOutcome outcome_;

    // Local days of 15-minute spans of time, where the span lies within one day at one UTC
    // offset: most stamps of a tree fall into few spans, and localtime_r is costly.
    struct DaySpan {
        std::int64_t span = -1;
        int day = 0;
    };
    std::array<DaySpan, 4096> days_{};
    // Date texts in UTF-8 by the packed date: a scan meets few distinct days.
    std::vector<QByteArray> dateTexts_ = std::vector<QByteArray>(65536);
    QHash<QByteArray, QByteArray> typeNames_;  // by lower-case extension, UTF-8
    QByteArray record_;                        // the record being written
};

// The line the clipboard copy and the report write for a record: the name padded with
// blanks to 14 characters (a longer one whole), the creation date, the access date, the
// modification date, the folder and the type.
[[nodiscard]] QByteArray clipboardLine(QByteArrayView record);

// The warning for a search that stopped with its list full.
[[nodiscard]] QString dateListFullText();

// The abort line the clipboard list ends with after the user stopped a scan.
[[nodiscard]] QString abortLine();

}  // namespace rk
