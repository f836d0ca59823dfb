#pragma once

#include <vector>

#include "common/FolderWalk.h"
#include "common/ParallelWalk.h"
#include "platform/Platform.h"

namespace rk {

// How every scan walks: folders read ahead by worker threads (ParallelWalk), the sink's calls
// on this thread. With a window's event pump the walk goes in short slices with the window's
// events between them; without one (the reports) it runs straight through. The abort flag,
// whether set by an event or by the sink itself, stops the walk as soon as it is seen, so the
// folders still open are left as FolderWalk leaves them.
WalkResult walkFolders(const Platform& platform, const QByteArray& root, bool isDriveRoot,
                       const WalkSettings& settings, WalkSink& sink, const bool& abort,
                       EventPump* pump, const std::vector<FolderKey>& otherRoots = {});
// One chosen drive walked so, as every multi-drive tool's scan_dir does it: a root that cannot
// be opened is reported ("Can't open drive " and the drive's caption, an error box without a
// beep) and the scan goes on with the next drive.
WalkResult walkDrive(const Platform& platform, const Drive& drive, const WalkSettings& settings,
                     WalkSink& sink, const bool& abort, EventPump* pump,
                     const std::vector<FolderKey>& otherRoots);

// The worker threads the scans' walks read with, as ReaderSettings::threads takes it (0: the
// machine's). The command line's --threads sets it for the reports.
void setWalkThreads(int threads);
[[nodiscard]] int walkThreads();

// The chosen drives that are ready (IsDriveReady), in their order: the others are passed
// over without a message.
[[nodiscard]] std::vector<Drive> readyDrives(const std::vector<Drive>& chosen);

// The drives of one search, so that no folder is walked twice when the chosen drives overlap
// (the same folder twice, through a link, nested, or a bind mount): a drive that is the same
// folder as an earlier one, or that the walk of another would reach, is dropped. Folders are
// told apart by device and inode, never by the text of their paths.
struct SearchDrives {
    std::vector<Drive> drives;  // in the order chosen
    // The roots of the drives kept; each walk is given these as its otherRoots, so that a
    // bind mount's source met inside another drive is not walked a second time.
    std::vector<FolderKey> roots;
};
[[nodiscard]] SearchDrives distinctDrives(const Platform& platform,
                                          const std::vector<Drive>& chosen);

}  // namespace rk
