#include "common/DriveWalk.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include "common/Drives.h"
#include "platform/SplitPath.h"

namespace rk {

namespace {

std::atomic<int> readerThreads{0};

// Passes the walk's calls on, and stops the walk once a call has seen the abort flag set.
class AbortingSink : public WalkSink {
public:
    AbortingSink(WalkSink& sink, const bool& abort) : sink_(sink), abort_(abort) {}
    void attach(ParallelWalk& walk) { walk_ = &walk; }
    void check() {
        if (abort_ && !stopped_) {
            stopped_ = true;
            walk_->stop();
        }
    }
    void enterFolder(const FolderVisit& v) override {
        sink_.enterFolder(v);
        check();
    }
    void folderStep(const FolderVisit& v) override {
        sink_.folderStep(v);
        check();
    }
    void leaveFolder(const FolderVisit& v, bool stepped) override {
        sink_.leaveFolder(v, stepped);
        check();
    }

private:
    WalkSink& sink_;
    const bool& abort_;
    ParallelWalk* walk_ = nullptr;
    bool stopped_ = false;
};

}  // namespace

void setWalkThreads(int threads) {
    readerThreads = threads;
}

int walkThreads() {
    return readerThreads;
}

WalkResult walkFolders(const Platform& platform, const QByteArray& root, bool isDriveRoot,
                       const WalkSettings& settings, WalkSink& sink, const bool& abort,
                       EventPump* pump, const std::vector<FolderKey>& otherRoots) {
    AbortingSink guard(sink, abort);
    ReaderSettings reader;
    reader.threads = platform.readsFromWorkers() ? walkThreads() : -1;
    ParallelWalk walk(platform, guard, reader);
    guard.attach(walk);
    walk.otherRoots = otherRoots;
    walk.start(root, isDriveRoot, settings);
    guard.check();
    if (!pump) return walk.run();
    // Slices well inside the pump's interval, so the window answers as often as it did.
    while (!walk.pump(std::chrono::milliseconds(10))) {
        pump->poll();
        guard.check();
    }
    return walk.result();
}

void searchDrives(const Platform& platform, const std::vector<Drive>& chosen,
                  const WalkSettings& settings, WalkSink& sink, const bool& abort, EventPump* pump,
                  SearchOutcome& outcome, const std::function<void(const Drive&)>& beforeDrive) {
    const SearchDrives search = distinctDrives(platform, readyDrives(platform, chosen));
    for (const Drive& drive : search.drives) {
        if (abort) break;
        if (beforeDrive) beforeDrive(drive);
        const WalkResult walked = walkFolders(platform, drive.mountPoint, true, settings, sink,
                                              abort, pump, search.roots);
        outcome.skippedFolders += walked.skippedFolders;
        if (!walked.rootOpened && !walked.aborted) outcome.unopened.push_back(drive);
    }
}

QString driveNotOpenedText(const Drive& drive) {
    return QStringLiteral("Can't open drive ") + drive.caption();
}

std::vector<Drive> readyDrives(const Platform& platform, const std::vector<Drive>& chosen) {
    std::vector<Drive> ready;
    for (const Drive& d : chosen)
        if (IsDriveReady(platform, chosen, d.mountPoint)) ready.push_back(d);
    return ready;
}

namespace {

struct DriveFolder {
    bool opened = false;
    FolderKey self;
    // The folders above it whose walk would come down to it: up to the top of its mount or
    // to a hidden folder on the way, which the walk does not enter.
    std::vector<FolderKey> reachedFrom;
};

DriveFolder driveFolder(const Platform& platform, const QByteArray& mountPoint) {
    DriveFolder d;
    OpenedFolder opened = platform.openFolder(mountPoint);
    if (!opened.handle.isOpen()) return d;
    d.opened = true;
    d.self = {opened.handle.device, opened.handle.inode};
    // Drive folders are absolute and link-free (mount points, or resolved --drive folders),
    // so each prefix of the path is the folder above.
    QByteArray path = mountPoint;
    FolderHandle here = std::move(opened.handle);
    while (path != "/" && !path.isEmpty() && !here.isMountRoot) {
        const PathParts parts = splitPath(path);
        if (parts.name.startsWith('.') || parts.folder.isEmpty()) break;
        path = parts.folder;
        OpenedFolder up = platform.openFolder(path);
        if (!up.handle.isOpen() || up.handle.device != here.device) break;
        d.reachedFrom.push_back({up.handle.device, up.handle.inode});
        here = std::move(up.handle);
    }
    return d;
}

}  // namespace

SearchDrives distinctDrives(const Platform& platform, const std::vector<Drive>& chosen) {
    std::vector<DriveFolder> folders;
    folders.reserve(chosen.size());
    for (const Drive& d : chosen)
        folders.push_back(driveFolder(platform, d.mountPoint));
    SearchDrives result;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        bool covered = false;
        for (std::size_t j = 0; j < chosen.size() && !covered; ++j) {
            if (j == i || !folders[i].opened || !folders[j].opened) continue;
            const std::vector<FolderKey>& above = folders[i].reachedFrom;
            covered = (folders[i].self == folders[j].self && j < i) ||
                      std::find(above.begin(), above.end(), folders[j].self) != above.end();
        }
        if (covered) continue;
        result.drives.push_back(chosen[i]);
        if (folders[i].opened) result.roots.push_back(folders[i].self);
    }
    return result;
}

}  // namespace rk
