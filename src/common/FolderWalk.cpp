#include "common/FolderWalk.h"

#include <cerrno>

#include "common/Errors.h"
#include "common/TextHelpers.h"

namespace rk {

EventPump::EventPump(std::function<void()> processEvents, int intervalMs)
    : processEvents_(std::move(processEvents)), intervalMs_(intervalMs) {
    timer_.start();
}

void EventPump::pump() {
    if (processEvents_) processEvents_();
    timer_.restart();
}

QString skippedFoldersNote(std::uint64_t skipped) {
    if (skipped == 0) return {};
    if (skipped == 1) return QStringLiteral(" (1 folder could not be read)");
    return QStringLiteral(" (%1 folders could not be read)")
        .arg(formatThousands(std::int64_t(skipped)));
}

bool isSkippableOpenError(int error) {
    return error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR ||
           error == ELOOP;
}

namespace {

// One folder on the walk's current path. Its listing is kept until its step has run, so
// memory grows with the depth and width of the path, never with the size of the tree.
struct Frame {
    QByteArray path;
    QString text;
    std::vector<SearchRecord> entries;
    std::vector<std::uint32_t> subFolders;  // indices into entries, in listing order
    std::size_t next = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool isDriveRoot = false;
    bool isEmpty = false;
};

}  // namespace

FolderWalk::FolderWalk(const Platform& platform, const bool& abortFlag, EventPump* pump)
    : platform_(platform), abort_(abortFlag), pump_(pump) {}

WalkResult FolderWalk::walk(const QByteArray& root, bool isDriveRoot, const WalkSettings& settings,
                            const FolderStep& step) {
    WalkResult result;
    if (abort_) {
        result.aborted = true;
        return result;
    }
    OpenedFolder opened = platform_.openFolder(root);
    if (!opened.handle.isOpen()) {
        result.rootOpened = false;
        result.rootError = opened.error;
        return result;
    }
    const std::uint64_t device = opened.handle.device;
    FolderHandle current = std::move(opened.handle);
    std::size_t currentDepth = 0;  // depth of the folder `current` is open at
    std::vector<Frame> stack;

    // Reads the folder `current` is open at and puts it on the path; false when it had to be
    // skipped.
    const auto enter = [&](QByteArray path, bool driveRoot) -> bool {
        Frame f;
        f.path = std::move(path);
        f.text = displayPath(f.path);
        f.device = current.device;
        f.inode = current.inode;
        f.isDriveRoot = driveRoot;
        if (showFolder) showFolder(f.text);
        if (const int err = platform_.readFolder(current, driveRoot, f.entries)) {
            if (!isSkippableOpenError(err)) throw IoError(err);
            ++result.skippedFolders;
            return false;
        }
        f.isEmpty = true;
        for (std::size_t i = 0; i < f.entries.size(); ++i) {
            const SearchRecord& e = f.entries[i];
            if (includedBy(includeWalk, e.attributes)) f.isEmpty = false;
            // Hidden and system folders are not entered; a mount point belongs to another
            // drive.
            if (e.isDirectory() && !e.isDotEntry() && includedBy(includeWalk, e.attributes) &&
                e.device == device)
                f.subFolders.push_back(std::uint32_t(i));
        }
        stack.push_back(std::move(f));
        if (enteredFolder) enteredFolder(stack.back().path, int(stack.size()) - 1);
        return true;
    };

    // Makes `current` the folder at the given depth of the path, going up through "..".
    const auto climbTo = [&](std::size_t depth) {
        while (currentDepth > depth) {
            const Frame& parent = stack[currentDepth - 1];
            OpenedFolder up = platform_.openSubFolder(current, "..", parent.path);
            if (!up.handle.isOpen() || up.handle.device != parent.device ||
                up.handle.inode != parent.inode) {
                // The path moved under us: find the folder by its full path instead, and
                // make sure it is still the one we read.
                up = platform_.openFolder(parent.path);
                if (!up.handle.isOpen()) throw IoError(up.error);
                if (up.handle.device != parent.device || up.handle.inode != parent.inode)
                    throw IoError(ESTALE);
            }
            current = std::move(up.handle);
            --currentDepth;
        }
    };

    if (!enter(root, isDriveRoot)) return result;
    while (!stack.empty()) {
        if (abort_) {
            result.aborted = true;
            break;
        }
        Frame& top = stack.back();
        if (top.next < top.subFolders.size()) {
            const SearchRecord& sub = top.entries[top.subFolders[top.next++]];
            climbTo(stack.size() - 1);
            QByteArray childPath = JoinPath(top.path, sub.name);
            OpenedFolder child = platform_.openSubFolder(current, sub.name, childPath);
            if (!child.handle.isOpen()) {
                if (!isSkippableOpenError(child.error)) throw IoError(child.error);
                ++result.skippedFolders;
                continue;
            }
            if (child.handle.device != device) continue;  // mounted on since it was listed
            current = std::move(child.handle);
            currentDepth = stack.size();
            enter(std::move(childPath), false);
        } else {
            const Frame done = std::move(stack.back());
            stack.pop_back();
            if (!done.isEmpty || settings.stepOnEmptyFolder) {
                step(FolderVisit{done.path, done.text, done.entries, done.isDriveRoot,
                                 int(stack.size())});
                ++result.folders;
            }
        }
        if (pump_) pump_->poll();
    }
    return result;
}

}  // namespace rk
