#include "common/FolderWalk.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "common/Errors.h"
#include "common/TextHelpers.h"
#include "common/WalkRules.h"

namespace rk {

namespace {

std::int64_t steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

EventPump::EventPump(std::function<void()> processEvents, int intervalMs, Clock clock)
    : processEvents_(std::move(processEvents)),
      clock_(clock ? std::move(clock) : Clock(steadyMilliseconds)),
      intervalMs_(intervalMs) {
    last_ = clock_();
}

void EventPump::pump() {
    if (processEvents_) processEvents_();
    last_ = clock_();
}

QString FolderVisit::text() const {
    return displayPath(path);
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
// memory grows with the depth and width of the path, never with the size of the tree; its
// path is only a length into the walk's one path buffer.
struct Frame {
    std::vector<SearchRecord> entries;
    std::size_t next = 0;  // the entry to look at for the next sub-folder
    qsizetype pathLength = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t room = 0;  // the folder's own blocks
    bool isDriveRoot = false;
    bool isEmpty = false;
};

}  // namespace

FolderWalk::FolderWalk(const Platform& platform, const bool& abortFlag, EventPump* pump)
    : platform_(platform), abort_(abortFlag), pump_(pump) {}

WalkResult FolderWalk::walk(const QByteArray& root, bool isDriveRoot, const WalkSettings& settings,
                            const FolderStep& step) {
    StepSink sink(step);
    return walk(root, isDriveRoot, settings, sink);
}

WalkResult FolderWalk::walk(const QByteArray& root, bool isDriveRoot, const WalkSettings& settings,
                            WalkSink& sink) {
    WalkResult result;
    OpenedFolder opened = openWalkRoot(platform_, root, abort_, result);
    if (!opened.handle.isOpen()) return result;
    const WalkBounds bounds{opened.handle.device, opened.handle.mountId, settings.entersHidden};
    const std::uint64_t device = opened.handle.device;
    const std::uint64_t rootInode = opened.handle.inode;
    FolderHandle current = std::move(opened.handle);
    std::size_t currentDepth = 0;  // depth of the folder `current` is open at
    std::vector<Frame> stack;
    std::vector<FolderKey> chain{{device, rootInode}};  // of `current` and above it
    QByteArray path = root;  // the path of the deepest folder on the stack, or of its child

    const auto visitOf = [&](const Frame& f) {
        return FolderVisit{path, f.entries, f.isDriveRoot, int(stack.size()) - 1, f.room};
    };

    // Reads the folder `current` is open at and puts it on the path; false when it had to be
    // skipped.
    const auto enter = [&](bool driveRoot) -> bool {
        Frame f;
        f.pathLength = path.size();
        f.device = current.device;
        f.inode = current.inode;
        f.room = current.room;
        f.isDriveRoot = driveRoot;
        if (const int err = platform_.readFolder(current, driveRoot, f.entries)) {
            if (!isSkippableOpenError(err)) throw IoError(err);
            ++result.skippedFolders;
            return false;
        }
        f.isEmpty = holdsNothingWalked(f.entries);
        stack.push_back(std::move(f));
        sink.enterFolder(visitOf(stack.back()));
        return true;
    };

    // The next sub-folder of f the walk goes into, or null.
    const auto nextSubFolder = [&](Frame& f) -> const SearchRecord* {
        while (f.next < f.entries.size()) {
            const SearchRecord& e = f.entries[f.next++];
            if (bounds.entersSubFolder(e)) return &e;
        }
        return nullptr;
    };

    // Makes `current` the folder at the given depth of the path, going up through "..". The
    // folders between may have had their steps already, so each level's identity is kept in
    // `chain`, not taken from the stack.
    const auto climbTo = [&](std::size_t depth) {
        const Frame& target = stack[depth];
        while (currentDepth > depth) {
            const FolderKey& parent = chain[currentDepth - 1];
            OpenedFolder up = platform_.openSubFolder(current, "..", QByteArray());
            if (!up.handle.isOpen() || up.handle.device != parent.device ||
                up.handle.inode != parent.inode) {
                // The path moved under us: find the folder by its full path instead, and
                // make sure it is still the one we read.
                up = platform_.openFolder(path.left(target.pathLength));
                if (!up.handle.isOpen()) throw IoError(up.error);
                if (up.handle.device != target.device || up.handle.inode != target.inode)
                    throw IoError(ESTALE);
                currentDepth = depth + 1;
            }
            current = std::move(up.handle);
            --currentDepth;
            chain.resize(currentDepth + 1);
        }
    };

    // Takes the deepest folder off the path, after its step if it had one.
    const auto leave = [&](bool stepped) {
        path.truncate(stack.back().pathLength);
        sink.leaveFolder(visitOf(stack.back()), stepped);
        stack.pop_back();
    };

    if (!enter(isDriveRoot)) return result;
    while (!stack.empty()) {
        if (abort_) {
            result.aborted = true;
            while (!stack.empty())
                leave(false);
            break;
        }
        Frame& top = stack.back();
        if (const SearchRecord* sub = nextSubFolder(top)) {
            climbTo(stack.size() - 1);
            path.truncate(top.pathLength);
            if (!path.endsWith('/')) path.append('/');
            path.append(sub->name);
            OpenedFolder child = platform_.openSubFolder(current, sub->name, path);
            if (!child.handle.isOpen()) {
                if (!isSkippableOpenError(child.error)) throw IoError(child.error);
                ++result.skippedFolders;
                continue;
            }
            // A mount point, or mounted on since, or another drive of the search.
            if (bounds.onOtherMount(child.handle) || isOtherRoot(otherRoots, child.handle))
                continue;
            current = std::move(child.handle);
            currentDepth = stack.size();
            chain.resize(currentDepth);
            chain.push_back({current.device, current.inode});
            enter(false);
        } else {
            path.truncate(top.pathLength);
            const bool stepped = !top.isEmpty || settings.stepOnEmptyFolder;
            if (stepped) {
                sink.folderStep(visitOf(top));
                ++result.folders;
            }
            leave(stepped);
        }
        if (pump_) pump_->poll();
    }
    return result;
}

}  // namespace rk
