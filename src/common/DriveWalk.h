#pragma once

#include <cstdint>
#include <functional>
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
// The worker threads the scans' walks read with, as ReaderSettings::threads takes it (0: the
// machine's). The command line's --threads sets it for the reports.
void setWalkThreads(int threads);
[[nodiscard]] int walkThreads();

// The chosen drives that are ready (IsDriveReady), in their order: the others are passed
// over without a message.
[[nodiscard]] std::vector<Drive> readyDrives(const Platform& platform,
                                             const std::vector<Drive>& chosen);

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

// What a search over the chosen drives met besides what its sink kept, for the window or the
// report to tell the user: the search itself shows nothing.
struct SearchOutcome {
    std::uint64_t skippedFolders = 0;  // sub-folders that could not be opened or had gone
    std::vector<Drive> unopened;       // drives whose root could not be opened, in walk order
    bool limitReached = false;         // the sink's list was full: the search stopped there
};

// The drive loop of every search over several drives: the ready drives among the chosen,
// those that overlap walked once (distinctDrives), each walked in turn into the same sink
// (beforeDrive, when given, is told which first) until the abort flag is set. A drive whose
// root cannot be opened is passed over and noted in outcome, whose limitReached the sink sets
// when its list is full (and the abort flag with it).
void searchDrives(const Platform& platform, const std::vector<Drive>& chosen,
                  const WalkSettings& settings, WalkSink& sink, const bool& abort, EventPump* pump,
                  SearchOutcome& outcome,
                  const std::function<void(const Drive&)>& beforeDrive = {});

// "Can't open drive " and the drive's caption: what the user is told of an unopened drive.
[[nodiscard]] QString driveNotOpenedText(const Drive& drive);

}  // namespace rk
