#include "folderhogs/FolderHogScan.h"

#include "common/DriveWalk.h"
#include "common/Drives.h"
#include "common/TextHelpers.h"
#include "common/TimeHelpers.h"
#include "folderhogs/FolderHogColumns.h"

namespace rk {

QString rightAlign7(std::int64_t bytes) {
    return sizeInKText(bytes, 7);
}

QString percentOfDrive(std::int64_t bytes, std::int64_t driveSize) {
    if (driveSize <= 0 || bytes >= driveSize) return QStringLiteral("???");
    // Long double keeps the ratio exact enough on drives of many terabytes.
    const double percent = double((long double)bytes / (long double)driveSize * 100.0L);
    QLocale locale = textLocale();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(percent, 'f', 2);
}

QString folderListFullText() {
    return QStringLiteral("Resource limit reached ... cannot process any more files.");
}

FolderHogScan::FolderHogScan(const Platform& platform, EventPump* pump)
    : platform_(platform), pump_(pump) {}

void FolderHogScan::run(bool mainFolders, const std::vector<Drive>& drives) {
    collected_.clear();
    listed_.clear();
    linkedFiles_.clear();
    outcome_ = {};
    abort = false;
    ScanAllDrives(mainFolders, drives);
    copylb2tolb();
}

void FolderHogScan::ScanAllDrives(bool mainFolders, const std::vector<Drive>& drives) {
    // All folders: each folder's own files, as the walk comes to it. Main folders: a main
    // folder's totals start when the walk goes into it and are listed when it comes out, also
    // when the walk is aborted inside it (with what was counted so far).
    struct Sink : WalkSink {
        FolderHogScan& scan;
        bool mainFolders;
        Sink(FolderHogScan& s, bool m) : scan(s), mainFolders(m) {}
        void enterFolder(const FolderVisit& v) override {
            if (scan.showFolder) scan.showFolder(v.text());
            if (mainFolders && v.depth == 1) scan.mainTotals_ = {};
        }
        void folderStep(const FolderVisit& v) override {
            if (mainFolders)
                scan.td_scanfiles(v);
            else
                scan.scanfiles(v);
        }
        void leaveFolder(const FolderVisit& v, bool) override {
            if (mainFolders && v.depth == 1) scan.td_print_dir(v.path);
        }
    } sink(*this, mainFolders);
    // An empty root gives no record: only the root can list nothing at all.
    searchDrives(platform_, drives, WalkSettings{false}, sink, abort, pump_, outcome_,
                 [this](const Drive& drive) {
                     const std::optional<DriveSpace> space = platform_.driveSpace(drive.mountPoint);
                     driveSize_ = space ? space->total : -1;
                 });
}

bool FolderHogScan::firstSighting(const SearchRecord& e) {
    if (e.links <= 1) return true;
    const std::pair<std::uint64_t, std::uint64_t> id{e.device, e.inode};
    if (linkedFiles_.contains(id)) return false;
    linkedFiles_.insert(id);
    return true;
}

void FolderHogScan::scanfiles(const FolderVisit& folder) {
    if (abort) return;
    if (showFolder) showFolder(folder.text());
    FolderTotals totals;
    for (const SearchRecord& e : folder.entries) {
        if (e.isDotEntry()) continue;
        if (abort) break;  // the folder being counted is recorded with what it has so far
        if (pump_) pump_->poll();
        if (e.isDirectory()) {
            ++totals.subFolders;
            continue;
        }
        if (!firstSighting(e)) continue;
        totals.bytes += e.room;
        ++totals.files;
        totals.latest = std::max(totals.latest, packFileTime(e.raw.access));
    }
    addRecord(folder.path, totals);
}

// Called for every folder after its sub-folders. Everything below a main folder comes before
// the main folder itself, so its totals are complete when the walk reaches it (depth 1).
void FolderHogScan::td_scanfiles(const FolderVisit& folder) {
    if (folder.depth == 0) return;  // the root's own files are not listed
    if (showFolder) showFolder(folder.text());
    if (folder.depth > 1) ++mainTotals_.subFolders;
    for (const SearchRecord& e : folder.entries) {
        if (e.isDotEntry() || e.isDirectory()) continue;
        if (abort) break;
        if (pump_) pump_->poll();
        if (!firstSighting(e)) continue;
        mainTotals_.bytes += e.room;
        ++mainTotals_.files;
        mainTotals_.latest = std::max(mainTotals_.latest, e.time);
    }
}

void FolderHogScan::td_print_dir(const QByteArray& path) {
    addRecord(path, mainTotals_);
}

void FolderHogScan::addRecord(const QByteArray& path, const FolderTotals& t) {
    if (collected_.size() >= recordLimit) {
        if (!abort) outcome_.limitReached = true;
        abort = true;
        return;
    }
    const QString pathText = recordText(path);
    const QChar tab = QLatin1Char('\t');
    const QString record = rightAlign7(t.bytes) + tab + percentOfDrive(t.bytes, driveSize_) + tab +
                           QString::number(t.files) + tab + QString::number(t.subFolders) + tab +
                           fileDateText(t.latest) + tab + pathText;
    collected_.emplace_back(record.toUtf8(),
                            recordShowsExactly(path, pathText) ? QByteArray() : path);
}

void FolderHogScan::copylb2tolb() {
    rankLargestFirst(collected_, pump_);
    listed_ = std::move(collected_);
    collected_ = {};
}

QByteArray FolderHogScan::pathOf(const ScanRecord& record) const {
    if (QByteArray exact = record.exactPath(); !exact.isEmpty()) return exact;
    return recordField(QString::fromUtf8(record.text()), FolderHogColumns::Name).toUtf8();
}

}  // namespace rk
