#pragma once

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "common/FolderWalk.h"
#include "platform/Platform.h"

namespace rk {

// Files and bytes of one row of a tally; the bytes are the room the files take on disk.
struct Tally {
    std::int64_t files = 0;
    std::int64_t bytes = 0;
    void add(std::int64_t size) {
        ++files;
        bytes += size;
    }
    friend bool operator==(const Tally&, const Tally&) = default;
};

// One line of the extension table: the extension upper-cased with its leading "." (empty for
// names without one), as the exact bytes of the names it came from.
struct TypeTally {
    QByteArray extension;
    Tally tally;
};

constexpr int sizeClassCount = 9;  // classes 1..9
constexpr int ageRowCount = 10;    // rows 0..9, row 0 for a time not recorded

// The size class 1..9 of a file by its length: up to 16 K, 32 K, 128 K, 1, 2, 4, 8, 16 MB, then
// over.
[[nodiscard]] int sizeClassOf(std::int64_t size);
// The age row 0..9 of an age in whole days; a negative age (no time) is row 0.
[[nodiscard]] int ageToIndex(std::int64_t days);
// The part of a name from its last "." on, ASCII letters upper-cased; empty without a ".".
[[nodiscard]] QByteArray extensionOf(const QByteArray& name);
// Whether an extension is short enough for the extension table: the "." and at most four
// characters after it.
[[nodiscard]] bool fitsTypeTable(QByteArrayView extension);

// Local calendar days of time stamps, for the many entries of a scan: the offset from UTC is
// asked of the system once per quarter hour of time stamps met (zones change on quarter
// hours), not once per file.
class LocalDays {
public:
    // Days since 1 January 1970 of the local date of a time stamp (seconds since the epoch,
    // UTC); dayNone for 0 and for dates the packed file time cannot hold (before 1980, after
    // 2107), which count as not recorded.
    [[nodiscard]] std::int64_t dayOf(std::int64_t unixSeconds);
    static constexpr std::int64_t dayNone = INT64_MIN;

private:
    struct Slot {
        std::int64_t quarter = INT64_MIN;
        std::int64_t offset = 0;
    };
    std::array<Slot, 512> slots_{};
};

// Days since 1 January 1970 of a date.
[[nodiscard]] std::int64_t epochDay(const QDate& date);
// Whole calendar days between a file's local day and today, either way; -1 for dayNone.
[[nodiscard]] std::int64_t fileAgeDays(std::int64_t fileDay, std::int64_t today);

// Everything one run counts. 64-bit throughout: single files and sums pass 2 GB routinely.
struct StatisticsTallies {
    std::array<Tally, sizeClassCount + 1> sizes{};  // by class; index 0 unused
    std::array<Tally, ageRowCount> access{};
    std::array<Tally, ageRowCount> create{};
    std::array<Tally, ageRowCount> write{};
    std::vector<TypeTally> types;  // in order of first appearance, without a cap
    std::int64_t fileCount = 0;
    std::int64_t bytesProcessed = 0;  // room on disk, measured against the used space

    void clear();
    // Adds one file to its extension's line; an extension too long for the table is passed
    // over (the file still counts by size and age).
    void insertType(QByteArrayView extension, std::int64_t size);

private:
    QHash<QByteArray, std::size_t> typeIndex_;  // extension -> its line in types
};

// The statistics scan of one drive, without a window: walks the whole drive (hidden files
// included; hidden folders and other file systems not entered) and tallies every entry that
// is not a folder. Links, FIFOs and devices count as files of 0 bytes; a file with several
// hard links counts once per run.
class StatisticsScan {
public:
    enum class Outcome {
        Completed,
        Aborted,
        NotReady,       // the drive's size could not be read: nothing changed
        RootNotOpened,  // the drive's root could not be opened: nothing changed
        IoError,        // the walk stopped on an error: what was tallied up to it stays
    };

    explicit StatisticsScan(const Platform& platform);

    bool abort = false;  // abortRequested: set by Cancel or Esc while a run is in progress
    // Told the count of files tallied so far before every 25th file (0 included).
    std::function<void(std::int64_t files)> showCount;
    void setPump(EventPump* pump) { pump_ = pump; }

    // One run over the drive, ages counted from `today`. The tallies of the last run are
    // kept until a run opens its drive's root; after an abort or an I/O error they hold what
    // was tallied so far.
    Outcome run(const Drive& drive, const QDate& today);

    [[nodiscard]] const StatisticsTallies& tallies() const { return tallies_; }
    // What the drive reported when the run began (used space drives the progress).
    [[nodiscard]] const DriveSpace& space() const { return space_; }
    [[nodiscard]] std::int64_t usedBytes() const { return space_.used(); }
    // The progress of the run under way, 0 to 100.
    [[nodiscard]] int progressPercent() const;
    // The day the last run counted ages from.
    [[nodiscard]] const QDate& today() const { return today_; }
    // Why the last run stopped, when it ended in an I/O error.
    [[nodiscard]] const QString& errorText() const { return error_; }
    [[nodiscard]] int errorNumber() const { return errorNumber_; }
    [[nodiscard]] std::uint64_t skippedFolders() const { return skipped_; }

    // Tallies one entry (crunchNumbers).
    void crunchNumbers(const SearchRecord& entry);

private:
    bool firstSighting(const SearchRecord& entry);

    const Platform& platform_;
    EventPump* pump_ = nullptr;
    StatisticsTallies tallies_;
    DriveSpace space_;
    QDate today_;
    std::int64_t todayDay_ = 0;
    LocalDays days_;
    QString error_;
    int errorNumber_ = 0;
    std::uint64_t skipped_ = 0;
    QSet<std::pair<std::uint64_t, std::uint64_t>> linkedFiles_;  // (device, inode)
};

}  // namespace rk
