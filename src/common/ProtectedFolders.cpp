#include "common/ProtectedFolders.h"

#include <QDir>
#include <QFile>
#include <QList>

#include "common/Drives.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"
#include "platform/SplitPath.h"
#include "platform/Trash.h"

namespace rk {

namespace {

const char* const systemFolders[] = {"/bin",   "/boot",   "/dev", "/etc",  "/lib",  "/lib32",
                                     "/lib64", "/libx32", "/opt", "/proc", "/root", "/run",
                                     "/sbin",  "/srv",    "/sys", "/usr",  "/var",  "/home"};

// An absolute path without ".", "..", doubled or trailing separators, read as written.
QByteArray cleanPath(const Platform& platform, const QByteArray& path) {
    const QByteArray absolute =
        path.startsWith('/') ? path : JoinPath(platform.currentFolder(), path);
    QList<QByteArray> parts;
    for (const QByteArray& part : absolute.split('/')) {
        if (part.isEmpty() || part == ".") continue;
        if (part == "..") {
            if (!parts.isEmpty()) parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return "/" + parts.join('/');
}

// The folder the system would reach: the links above the last part resolved, the last part
// itself kept (a deletion removes a link as a link). Empty when the folder above is gone.
QByteArray reachedPath(const Platform& platform, const QByteArray& path) {
    const auto [folder, last] = splitPath(path);
    if (folder.isEmpty() || last == "." || last == "..")
        return platform.realPath(folder.isEmpty() ? last : JoinPath(folder, last));
    const QByteArray parent = platform.realPath(folder);
    return parent.isEmpty() ? QByteArray() : JoinPath(parent, last);
}

// The folders refused besides the drives, each as written and as the links in it resolve.
QList<QByteArray> systemFolderList(const Platform& platform) {
    QList<QByteArray> written;
    for (const char* folder : systemFolders)
        written << folder;
    written << "/var/lib" << platform.systemFolder() << platform.windowsFolder();
    for (const QByteArray& part : platform.searchPathVariable().split(':'))
        if (part.startsWith('/')) written << part;  // a relative entry names no fixed folder
    written << QFile::encodeName(QDir::homePath());
    QList<QByteArray> all;
    for (const QByteArray& w : written) {
        all << cleanPath(platform, w);
        if (const QByteArray real = platform.realPath(w); !real.isEmpty()) all << real;
    }
    return all;
}

bool isMountPoint(const Platform& platform, const QByteArray& path) {
    const OpenedFolder f = platform.openFolder(path);
    return f.handle.isOpen() && f.handle.isMountRoot;
}

FolderProtection classify(const Platform& platform, const QByteArray& path) {
    if (path == "/") return FolderProtection::DriveRoot;
    for (const Drive& d : platform.drives())
        if (cleanPath(platform, d.mountPoint) == path) return FolderProtection::DriveRoot;
    if (isMountPoint(platform, path)) return FolderProtection::DriveRoot;
    // Every folder directly inside /usr (bin, lib, share, local and whatever a system adds),
    // and everything in the Windows folder's stand-in: configuration frees no room worth its
    // loss.
    if (path.startsWith("/usr/") && path.indexOf('/', 5) < 0) return FolderProtection::SystemFolder;
    if (folderHolds(cleanPath(platform, platform.windowsFolder()), path))
        return FolderProtection::SystemFolder;
    for (const QByteArray& folder : systemFolderList(platform))
        if (folderHolds(path, folder)) return FolderProtection::SystemFolder;
    const QByteArray trash = Trash::homeTrashPath();
    for (const QByteArray& t : {cleanPath(platform, trash), platform.realPath(trash)})
        if (!t.isEmpty() && folderHolds(path, t)) return FolderProtection::HoldsTrash;
    return FolderProtection::None;
}

}  // namespace

FolderProtection folderProtection(const Platform& platform, const QByteArray& path) {
    const QByteArray clean = cleanPath(platform, path);
    if (const FolderProtection p = classify(platform, clean); p != FolderProtection::None) return p;
    const QByteArray reached = reachedPath(platform, path.startsWith('/') ? path : clean);
    if (reached.isEmpty() || reached == clean) return FolderProtection::None;
    return classify(platform, cleanPath(platform, reached));
}

QString protectionText(FolderProtection why, const QString& rootText) {
    switch (why) {
        case FolderProtection::None:
            return {};
        case FolderProtection::DriveRoot:
            return rootText;
        case FolderProtection::SystemFolder:
            return windowsFolderText;
        case FolderProtection::HoldsTrash:
            return trashFolderText;
    }
    return {};
}

}  // namespace rk
