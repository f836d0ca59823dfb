#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "common/DriveWalk.h"
#include "common/FolderWalk.h"
#include "common/ScanRecord.h"
#include "platform/Platform.h"

namespace rk {

// What a folder holds, as one row of the folder-hog list counts it.
struct FolderTotals {
    std::int64_t bytes = 0;  // room on disk, as du counts it: what deleting the folder frees
    std::int64_t files = 0;
    std::int64_t subFolders = 0;
    PackedTime latest = 0;
};

// The folder-hog scan, without a window. Main folders: one record per folder directly under a
// drive's root, totalling everything the walk enters below it (latest last-write time). All
// folders: one record per visited folder, the root included, totalling only the files directly
// in it (latest last-access time); its hidden sub-folders are counted but not entered.
// A file with several hard links counts once per scan, where the walk first meets it; chosen
// drives that overlap are walked once.
// Record fields: size in K right-aligned to 7, percent of the drive, files, sub-folders,
// latest date, path.
class FolderHogScan {
public:
    static constexpr std::size_t defaultRecordLimit = 10'000'000;

    explicit FolderHogScan(const Platform& platform, EventPump* pump = nullptr);

    bool abort = false;                              // the abort flag
    std::function<void(const QString&)> showFolder;  // pnlScan
    std::size_t recordLimit = defaultRecordLimit;
    // Lets the window process events while the scan runs; none for a report.
    void setPump(EventPump* pump) { pump_ = pump; }

    // The whole search over the drives, then the ranking into lb.
    void run(bool mainFolders, const std::vector<Drive>& drives);

    void ScanAllDrives(bool mainFolders, const std::vector<Drive>& drives);
    // All folders.
    void scanfiles(const FolderVisit& folder);
    // Main folders.
    void td_scanfiles(const FolderVisit& folder);
    void td_print_dir(const QByteArray& path);
    void copylb2tolb();

    // The listed records, largest first.
    [[nodiscard]] const std::vector<ScanRecord>& lb() const { return listed_; }
    // Lets the listed records go once a window's grid holds them.
    void releaseList() { listed_ = {}; }
    [[nodiscard]] QByteArray pathOf(const ScanRecord& record) const;
    // What the last search met: folders skipped, drives not opened, a full list.
    [[nodiscard]] const SearchOutcome& outcome() const { return outcome_; }

private:
    void addRecord(const QByteArray& path, const FolderTotals& totals);
    // False when this file was already counted through another of its links.
    bool firstSighting(const SearchRecord& entry);

    const Platform& platform_;
    EventPump* pump_;
    std::int64_t driveSize_ = -1;
    std::vector<ScanRecord> collected_;  // lb2
    std::vector<ScanRecord> listed_;     // lb
    SearchOutcome outcome_;
    QSet<std::pair<std::uint64_t, std::uint64_t>> linkedFiles_;  // (device, inode)
    FolderTotals mainTotals_;  // of the main folder the walk is in
};

// The warning for a search that stopped with its list full.
[[nodiscard]] QString folderListFullText();

// "    123 K": the size in whole K, right-aligned to seven places when it fits.
[[nodiscard]] QString rightAlign7(std::int64_t bytes);
// bytes as a percentage of the drive, "#0.00"; "???" when the drive's size is unknown or not
// larger than bytes.
[[nodiscard]] QString percentOfDrive(std::int64_t bytes, std::int64_t driveSize);

}  // namespace rk
