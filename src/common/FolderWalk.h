#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Platform.h"

namespace rk {

// What the walk hands a tool's per-folder step: one folder, after all its sub-folders.
struct FolderVisit {
    const QByteArray& path;                    // exact bytes
    const QString& text;                       // the path as shown to the user
    const std::vector<SearchRecord>& entries;  // the folder's whole listing, read once
    bool isDriveRoot;
    int depth;  // 0 for the folder the walk started at
};

// The tool's per-folder work (its scanfiles).
using FolderStep = std::function<void(const FolderVisit&)>;

// Lets the window process pending events while a walk runs, but no more often than every
// interval, so that event processing never dominates a scan.
class EventPump {
public:
    explicit EventPump(std::function<void()> processEvents, int intervalMs = 30);
    void poll() {
        if (processEvents_ && timer_.elapsed() >= intervalMs_) pump();
    }
    void pump();

private:
    std::function<void()> processEvents_;
    QElapsedTimer timer_;
    int intervalMs_;
};

// What differs between the tools' walks.
struct WalkSettings {
    // Whether the step runs for a folder whose listing holds nothing but hidden and system
    // entries (only a drive's root can be that empty: every other folder lists "." and "..").
    bool stepOnEmptyFolder = true;
};

struct WalkResult {
    bool rootOpened = true;  // false: the drive's root could not be opened (rootError says why)
    int rootError = 0;
    bool aborted = false;
    std::uint64_t folders = 0;         // per-folder steps run
    std::uint64_t skippedFolders = 0;  // sub-folders that could not be opened or had gone
};

// The one folder walk every tool uses: post-order, never leaving the file system it started
// on, never following links, hidden and system folders not entered, each folder read once.
// It is iterative and holds only the folder it is in open, so any depth works: going down
// opens the child relative to the parent, going up opens ".." and checks it is the folder it
// came from. Permission errors and vanished folders are skipped and counted; any other error
// throws IoError.
class FolderWalk {
public:
    FolderWalk(const Platform& platform, const bool& abortFlag, EventPump* pump = nullptr);

    // Called with each folder's text before it is read, for a status caption.
    std::function<void(const QString&)> showFolder;
    // Called when the walk has read a folder and goes down into it (depth 0 is the start).
    std::function<void(const QByteArray& path, int depth)> enteredFolder;

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
