#include "common/FileListDeletion.h"

#include <algorithm>

#include "common/FolderWalk.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"
#include "platform/SplitPath.h"

namespace rk {

namespace {

MarkedFile markedAs(const QByteArray& path, const SearchRecord& r) {
    return MarkedFile{.path = path,
                      .size = r.size,
                      .modified = r.raw.write,
                      .device = r.device,
                      .inode = r.inode,
                      .modifiedNs = r.writeNs,
                      .changedNs = r.changeNs,
                      .room = r.room,
                      .links = r.links};
}

bool changedSinceMarked(const MarkedFile& marked, const SearchRecord& now) {
    // Marked while it could not be read: whatever stands there now was never listed.
    if (marked.device == 0 && marked.inode == 0) return true;
    return now.isDirectory() || markedAs(marked.path, now) != marked;
}

}  // namespace

FolderTreeResult DeleteMarkedFiles(const Platform& p, const std::vector<MarkedFile>& files,
                                   const FileListRun& run) {
    FolderTreeResult result;
    const auto stay = [&](const QByteArray& path, StayReason reason, int error) {
        result.stayed.push_back(StayedEntry{path, reason, error});
        ++result.filesNotRemoved;
    };
    // The list comes sorted, so files of one folder follow each other: it is opened once for
    // them, and its link-free path found once.
    QByteArray openedPath;
    OpenedFolder parent;
    QByteArray realFolder;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (run.progress) run.progress(i);
        if (run.pump) run.pump->poll();
        const QByteArray& path = files[i].path;
        const auto [folder, name] = splitPath(path);
        int err = EINVAL;
        SearchRecord now;
        if (!folder.isEmpty() && !name.isEmpty() && !path.endsWith('/')) {
            if (folder != openedPath || !parent.handle.isOpen()) {
                parent = p.openFolder(folder);
                openedPath = folder;
                realFolder.clear();
            }
            err = parent.handle.isOpen() ? p.statEntry(parent.handle, name, now) : parent.error;
        }
        if (err == 0 && changedSinceMarked(files[i], now)) {
            const QString question =
                displayPath(path) +
                QStringLiteral(" has changed since it was listed. Delete it anyway?");
            if (!run.ask || !run.ask(question, false)) {
                stay(path, StayReason::Changed, 0);
                continue;
            }
        }
        if (err == 0 && run.mayRemove && !run.mayRemove(files[i], now)) {
            stay(path, StayReason::Withheld, 0);
            continue;
        }
        QByteArray otherTrash;
        if (err == 0) {
            if (run.sendToBin) {
                // The trash records where the file was: the folder as the system reaches it.
                if (realFolder.isEmpty()) realFolder = p.realPath(folder);
                if (realFolder.isEmpty()) realFolder = folder;
                err = p.moveToTrash(parent.handle, name, JoinPath(realFolder, name), &otherTrash);
            } else {
                err = p.removeEntry(parent.handle, name, false);
            }
        }
        if (err == 0) {
            result.removed(now, otherTrash);
            continue;
        }
        stay(path, StayReason::Error, err);
        if (run.stopAtFirstFailure) {
            result.completed = false;
            for (std::size_t j = i + 1; j < files.size(); ++j)
                stay(files[j].path, StayReason::NotTried, 0);
            break;
        }
    }
    return result;
}

std::optional<MarkedFile> markFile(const Platform& platform, const QByteArray& path) {
    const auto [folder, name] = splitPath(path);
    if (folder.isEmpty() || name.isEmpty() || path.endsWith('/')) return std::nullopt;
    const OpenedFolder opened = platform.openFolder(folder);
    if (!opened.handle.isOpen()) return std::nullopt;
    SearchRecord r;
    r.name = name;
    if (platform.statEntry(opened.handle, r.name, r) != 0 || r.isDirectory()) return std::nullopt;
    return markedAs(path, r);
}

}  // namespace rk
