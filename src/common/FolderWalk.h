#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Platform.h"

namespace rk {

// Which folder a folder is, whatever path leads to it.
struct FolderKey {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FolderKey&, const FolderKey&) = default;
};

// One folder as the walk hands it to its sink. Valid only during the call: the path is the
// walk's own buffer, which grows and shrinks with the depth.
struct FolderVisit {
    const QByteArray& path;                    // exact bytes
    const std::vector<SearchRecord>& entries;  // the folder's whole listing, read once
    bool isDriveRoot;
    int depth;  // 0 for the folder the walk started at
    // The folder's own room on disk (its blocks, without what it holds), which a listing gives
    // for no folder: du counts it, and so does a map of where the room goes.
    std::int64_t room = 0;

    // The path as shown to the user, made when asked for (a status caption): the walk keeps
    // no text per level, so a deep tree costs memory in its depth, not its square.
    [[nodiscard]] QString text() const;
};

// A per-folder step alone, for walks that need nothing else.
using FolderStep = std::function<void(const FolderVisit&)>;

// What a tool does with the walk: its per-folder step and, where it needs them, the moments
// the walk goes down into a folder and comes back out of it. For one walk the calls come in
// this order, depth first:
//
//   enterFolder(F)               F has been read; its listing is in the visit
//     ... the same for each sub-folder of F the walk enters, in listing order ...
//   folderStep(F)                after all of F's sub-folders (the tool's scanfiles)
//   leaveFolder(F, true)
//
// Every enterFolder is answered by exactly one leaveFolder, also when the walk is aborted:
// then the folders still open are left innermost first with stepped false and no step. A
// folder whose step is not wanted (WalkSettings::stepOnEmptyFolder) is left with stepped
// false. A folder that cannot be read is neither entered nor left. When an IoError ends the
// walk, no more calls come.
class WalkSink {
public:
    virtual ~WalkSink() = default;
    virtual void enterFolder(const FolderVisit& /*folder*/) {}
    virtual void folderStep(const FolderVisit& folder) = 0;
    virtual void leaveFolder(const FolderVisit& /*folder*/, bool /*stepped*/) {}
};

// A sink of a per-folder step alone; the step must outlive it.
class StepSink : public WalkSink {
public:
    explicit StepSink(const FolderStep& step) : step_(step) {}
    void folderStep(const FolderVisit& folder) override { step_(folder); }

private:
    const FolderStep& step_;
};

// Lets the window process pending events while a walk runs, but no more often than every
// interval, so that event processing never dominates a scan. The clock (milliseconds from
// any start) is the system's steady clock unless one is given.
class EventPump {
public:
    using Clock = std::function<std::int64_t()>;

    explicit EventPump(std::function<void()> processEvents, int intervalMs = 30, Clock clock = {});
    void poll() {
        if (processEvents_ && clock_() - last_ >= intervalMs_) pump();
    }
    void pump();

private:
    std::function<void()> processEvents_;
    Clock clock_;
    std::int64_t last_ = 0;
    int intervalMs_;
};

// What differs between the tools' walks.
struct WalkSettings {
    // Whether the step runs for a folder whose listing holds nothing but hidden and system
    // entries (only a drive's root can be that empty: every other folder lists "." and "..").
    bool stepOnEmptyFolder = true;
    // Whether hidden folders are entered too: a map of where the room goes must count them,
    // as du does; the searches for files pass them over.
    bool entersHidden = false;
};

struct WalkResult {
    bool rootOpened = true;  // false: the drive's root could not be opened (rootError says why)
    int rootError = 0;
    bool aborted = false;
    std::uint64_t folders = 0;         // per-folder steps run
    std::uint64_t skippedFolders = 0;  // sub-folders that could not be opened or had gone
};

// The one folder walk every tool uses: post-order, never following links, hidden and system
// folders not entered, each folder read once. It never enters another mount, a bind mount of
// the same file system included: a sub-folder whose mount differs from the start's, or that
// is the top of a mount, belongs to another drive.
// It is iterative and holds only the folder it is in open, so any depth works: going down
// opens the child relative to the parent, going up opens ".." and checks it is the folder it
// came from. Permission errors and vanished folders are skipped and counted; any other error
// throws IoError.
class FolderWalk {
public:
    FolderWalk(const Platform& platform, const bool& abortFlag, EventPump* pump = nullptr);

    // Folders, by device and inode, that are the roots of other drives of the same search:
    // they are walked as drives of their own, so a walk that meets one does not go in.
    std::vector<FolderKey> otherRoots;

    WalkResult walk(const QByteArray& root, bool isDriveRoot, const WalkSettings& settings,
                    WalkSink& sink);
    // The same with only a per-folder step.
    WalkResult walk(const QByteArray& root, bool isDriveRoot, const WalkSettings& settings,
                    const FolderStep& step);

private:
    const Platform& platform_;
    const bool& abort_;
    EventPump* pump_;
};

// What a tool's status adds after a scan that skipped folders: " (1 folder could not be
// read)", or nothing when none was skipped.
[[nodiscard]] QString skippedFoldersNote(std::uint64_t skipped);

// Whether a failure to open a sub-folder only skips it: permissions, and folders that went
// or were replaced by something else since their parent was read.
[[nodiscard]] bool isSkippableOpenError(int error);

}  // namespace rk
