#include "common/DriveWalk.h"

#include <algorithm>

#include "common/Drives.h"
#include "common/Messages.h"

namespace rk {

WalkResult walkDrive(FolderWalk& walk, const Drive& drive, const WalkSettings& settings,
                     WalkSink& sink) {
    const WalkResult result = walk.walk(drive.mountPoint, true, settings, sink);
    if (!result.rootOpened && !result.aborted)
        ShowMessage(MessageKind::Error, QStringLiteral("Can't open drive ") + drive.caption());
    return result;
}

std::vector<Drive> readyDrives(const std::vector<Drive>& chosen) {
    std::vector<Drive> ready;
    for (const Drive& d : chosen)
        if (IsDriveReady(d.mountPoint)) ready.push_back(d);
    return ready;
}

WalkResult walkDrive(FolderWalk& walk, const Drive& drive, const WalkSettings& settings,
                     const FolderStep& step) {
    StepSink sink(step);
    return walkDrive(walk, drive, settings, sink);
}

namespace {

struct DriveFolder {
    bool opened = false;
    FolderKey self;
    // The folders above it whose walk would come down to it: up to the top of its mount or
    // to a hidden folder on the way, which the walk does not enter.
    std::vector<FolderKey> reachedFrom;
};

QByteArray parentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

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
        if (path.mid(path.lastIndexOf('/') + 1).startsWith('.')) break;
        path = parentOf(path);
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
