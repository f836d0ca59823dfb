#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "common/BlockArray.h"
#include "common/DriveWalk.h"
#include "common/FolderWalk.h"
#include "common/RowSource.h"
#include "common/ScanRecord.h"
#include "common/TimeHelpers.h"
#include "platform/PackedTime.h"
#include "platform/Platform.h"

namespace rk {

// What the user asked for in the duplicate window (or on the command line).
struct DupQuery {
    bool duplicates = true;  // false: file hogs
    bool exact = false;      // duplicates of equal name and equal size in K
    int sizeLimitKb = 250;   // files must be strictly larger than this many K
    QString pattern = QStringLiteral("*.*");
    std::vector<Drive> drives;
    // Folders of originals: a group of duplicates whose files all lie in them is not listed.
    std::vector<QByteArray> originals;
};

// Whether folder is one of folders or lies inside one, at any depth (exact paths).
[[nodiscard]] bool insideFolders(const QByteArray& folder, const std::vector<QByteArray>& folders);

// One collected file; its exact path is also kept for names with trailing blanks, which the
// padding of the name field would hide.
using DupRecord = ScanRecord;

// What the records of one folder's files share: the folder as shown, with "/" at the end
// (as text for a duplicate record, as UTF-8 for a file hog's), and the search-path marker.
struct DupFolder {
    QByteArray path;  // exact bytes
    QString slashed;
    QString marker;  // "*(SEARCHPATH)*" or empty
    bool shownExactly = true;

    [[nodiscard]] static DupFolder of(const QByteArray& path, bool asText);
    // The UTF-8 text in the two pieces it is kept in: a folder whose path is shown as its
    // bytes (nearly all) keeps no second copy of them, only the "/" to follow.
    [[nodiscard]] std::array<QByteArrayView, 2> slashedUtf8() const {
        if (!shownSlashedUtf8_.isEmpty()) return {shownSlashedUtf8_, {}};
        return {path, path.endsWith('/') ? QByteArrayView() : QByteArrayView("/")};
    }

private:
    QByteArray shownSlashedUtf8_;  // of a file hog's folder not shown as its bytes
};

// Writes the seven-field duplicate record of a file, keeping the type names it looked up.
class DupRecordWriter {
public:
    [[nodiscard]] ScanRecord record(const DupFolder& folder, const QByteArray& exactName,
                                    std::int64_t size, PackedTime written, PackedTime accessed);

private:
    FileTimeTexts times_;
    QHash<QString, QString> typeNames_;        // by lower-case extension
    QHash<QByteArray, QByteArray> typeBytes_;  // the same as UTF-8, for plain names
};

// The exact path a duplicate record stands for.
[[nodiscard]] QByteArray duplicatePath(const DupRecord& record);
// A duplicate record's line as a report writes it: its name and folder as the exact bytes.
[[nodiscard]] QByteArray duplicateReportLine(const DupRecord& record);

// The walk of a duplicate search over its drives: showFolder as the walk goes into each
// folder, step after its sub-folders.
void searchDupDrives(const Platform& platform, const std::vector<Drive>& drives, const bool& abort,
                     EventPump* pump, const std::function<void(const QString&)>& showFolder,
                     const FolderStep& step, SearchOutcome& outcome);

// The warning for a search whose collected list was full; the scan then ended as after Abort.
[[nodiscard]] QString listFullText();

// The ranked file hogs of a scan and what their records are written from. The scan keeps its
// list in one; a window's grid takes it over as the source of its rows, so a list of millions
// is held once, as 28 bytes a hog and its name, and never as records besides.
class HogRows : public RowSource {
public:
    [[nodiscard]] std::size_t size() const override { return hogs_.size(); }
    void writeRecord(std::size_t index, QByteArray& out) const override;
    [[nodiscard]] QByteArray recordPath(std::size_t index) const override;
    // A sort reads one column of every row: the size or a date is written without the path.
    bool writeField(std::size_t index, int column, QByteArray& out) const override;

protected:
    // A file hog as the scan keeps it until its record is shown or written: 28 bytes and
    // the name, as a list may hold millions.
    struct Hog {
        // The room on disk in whole K, what a hog is ranked by and shows, in two words so that
        // no padding follows the last field.
        std::uint32_t kilobytesLow = 0;
        std::uint32_t kilobytesHigh : 31 = 0;
        std::uint32_t shownExactly : 1 = 1;  // else the exact name follows the shown one in names_
        PackedTime written = 0;
        PackedTime accessed = 0;
        std::uint32_t folder = 0;  // in folders_
        std::uint32_t name = 0;    // offset in names_ of the name as the record shows it
        std::uint32_t type = 0;    // in hogTypes_

        [[nodiscard]] std::uint64_t kilobytes() const {
            return std::uint64_t(kilobytesHigh) << 32 | kilobytesLow;
        }
        void setRoom(std::int64_t room) {
            const std::uint64_t k = room > 0 ? std::uint64_t(room) / 1024 : 0;  // below 2^53
            kilobytesLow = std::uint32_t(k);
            kilobytesHigh = std::uint32_t(k >> 32);
        }
    };
    static_assert(sizeof(Hog) == 28);
    void appendHogText(QByteArray& out, const Hog& hog) const;
    void appendHogField(QByteArray& out, const Hog& hog, int column) const;
    // Ranked by size, the hogs reach their names and folders in no order at all: a reader
    // going down the list fetches those of the hogs a little ahead of hog i as it writes i.
    void fetchAhead(std::size_t i) const;
    [[nodiscard]] QByteArrayView hogName(const Hog& hog) const;
    [[nodiscard]] QByteArray hogPath(const Hog& hog) const;

    // In blocks rather than one array that doubles: a list of millions never holds a half-empty
    // array, nor two arrays while it grows.
    std::deque<DupFolder> folders_;
    // File hogs, ranked, and their names (each ended by a NUL), until lbFiles asks; or the
    // duplicate candidates' names.
    mutable std::deque<Hog> hogs_;
    mutable QByteArray names_;
    std::vector<QByteArray> hogTypes_;  // type names, UTF-8
    // Texts by key in one block, so that writing a list of millions finds them in the cache:
    // text k is bytes[at[k], at[k + 1]).
    struct KeyedTexts {
        std::vector<std::uint32_t> at;
        QByteArray bytes;
        [[nodiscard]] QByteArrayView operator[](std::uint32_t k) const {
            return {bytes.constData() + at[k], qsizetype(at[k + 1] - at[k])};
        }
    };
    // Date and time texts by the packed date (or time of day); the last key is for 0.
    KeyedTexts dateTexts_;
    KeyedTexts timeTexts_;
};

// The duplicate and file-hog scan, without a window: the window and the command-line report
// both run it. A duplicate record has seven fields (name padded to 14, length, modified, time,
// access, folder with "/", type), a file-hog record six (room on disk, modified, time, access,
// full path, type); a folder on the search path adds "*(SEARCHPATH)*" after the folder. The
// size limit applies to the same measure the record shows.
// Chosen drives that overlap are walked once (distinctDrives), and one file (device and inode)
// is never listed twice in a duplicate group, so no group offers the only copy for deletion.
class DupScan : private HogRows {
public:
    static constexpr std::size_t defaultCollectLimit = 10'000'000;

    explicit DupScan(const Platform& platform, EventPump* pump = nullptr);

    // The abort flag: set by the Abort button (or when too many files were collected).
    bool abort = false;
    // pnlSel: the folder being searched.
    std::function<void(const QString&)> showFolder;
    // Lets the window process events while the scan runs; none for a report.
    void setPump(EventPump* pump) { pump_ = pump; }
    // How many records the scan collects before it stops, its list full.
    std::size_t collectLimit = defaultCollectLimit;

    // The whole search: walks the query's drives, then groups (duplicates) or ranks (file
    // hogs) what it collected into lbFiles.
    void run(const DupQuery& query);

    void ScanAllDrives(int sizeLimitKb);
    void scanfiles(const FolderVisit& folder, int sizeLimitKb);
    void addDups(bool exact);
    void reSort();

    // The listed records, in grid order. A file-hog list is kept compact until it is first
    // asked for here; a report that only writes it uses listedCount and writeListed.
    [[nodiscard]] const std::vector<DupRecord>& lbFiles() const;
    [[nodiscard]] std::size_t listedCount() const;
    // Each listed record's line as a report writes it (names and paths as their exact bytes),
    // in grid order, without keeping the records.
    void writeListed(const std::function<void(QByteArrayView text)>& line) const;
    // The ranked file hogs as the source of a grid's rows, which the scan no longer holds;
    // null when the list is not one of file hogs or was made into records.
    [[nodiscard]] std::shared_ptr<const RowSource> takeListedRows();
    // Lets the listed records go once a window's grid holds them.
    void releaseList();
    [[nodiscard]] QByteArray pathOf(const DupRecord& record) const;
    // What the last search met: folders skipped, drives not opened, a full list.
    [[nodiscard]] const SearchOutcome& outcome() const { return outcome_; }
    // True when the list is incomplete: aborted, or the collected list overflowed.
    [[nodiscard]] bool incomplete() const { return abort; }

private:
    // A collected file before its record is written: most never get one, as they have no
    // partner, so it stays small. Its names are in names_: the padded name as the record shows
    // it (the grouping key), and after it the exact bytes where they are not its beginning.
    struct Candidate {
        std::int64_t size = 0;
        PackedTime written = 0;
        PackedTime accessed = 0;
        std::uint32_t folder = 0;  // in folders_
        std::uint32_t key = 0;     // offset in names_
        std::uint16_t keyLength = 0;
        std::uint16_t plainLength = 0;  // a plain ASCII name: its length at the key's start
        bool plain = false;
        std::uint64_t device = 0;  // which file it is, whatever its path
        std::uint64_t inode = 0;
    };
    [[nodiscard]] QByteArrayView keyOf(const Candidate& c) const {
        return {names_.constData() + c.key, c.keyLength};
    }
    [[nodiscard]] QByteArray exactName(const Candidate& c) const;
    [[nodiscard]] ScanRecord makeRecord(const Candidate& c);

    void addHog(const SearchRecord& entry, std::uint32_t folder);
    void rankHogs();
    [[nodiscard]] ScanRecord hogRecord(const Hog& hog) const;
    void eachHog(const std::function<void(QByteArrayView text, const Hog& hog)>& line) const;

    const Platform& platform_;
    EventPump* pump_;
    DupQuery query_;
    NamePattern pattern_;
    // A block at a time: a walk of millions never copies them to grow (the copy held the
    // window up tens of milliseconds).
    BlockArray<Candidate, 16> candidates_;
    std::vector<DupRecord> collected_;               // lbList, sorted once the walk is done
    mutable std::vector<DupRecord> listed_;          // lbFiles
    QHash<QByteArray, std::uint32_t> hogTypeIndex_;  // by lower-case extension
    SearchOutcome outcome_;
    FileTimeTexts times_;
    LocalTimePacker packer_;
    DupRecordWriter records_;
};

// The unit text beside the size limit: "KB (256000 bytes)" or "KB ( 1.2 Meg)".
[[nodiscard]] QString KiloToMega(int sizeLimitKb);
// The extension of a file name, from its last "." on; empty without one.
[[nodiscard]] QString extensionOf(const QString& name);

}  // namespace rk
