#include "common/ProtectedFolders.h"

#include <QDir>
#include <QFile>
#include <QList>

#include "common/Drives.h"
#include "common/Messages.h"
#include "common/Services.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"

namespace rk {

namespace {

const char* const systemFolders[] = {"/bin",   "/boot",   "/dev", "/etc",  "/lib",  "/lib32",
                                     "/lib64", "/libx32", "/opt", "/proc", "/root", "/run",
                                     "/sbin",  "/srv",    "/sys", "/usr",  "/var",  "/home"};

// An absolute path without ".", "..", doubled or trailing separators, read as written.
QByteArray cleanPath(const QByteArray& path) {
    const QByteArray absolute =
        path.startsWith('/') ? path : JoinPath(platform().currentFolder(), path);
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
QByteArray reachedPath(const QByteArray& path) {
    QByteArray p = path;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf('/');
    const QByteArray last = p.mid(slash + 1);
    if (slash < 0 || last == "." || last == "..") return platform().realPath(p);
    const QByteArray parent = platform().realPath(slash == 0 ? QByteArray("/") : p.left(slash));
    return parent.isEmpty() ? QByteArray() : JoinPath(parent, last);
}

bool holds(const QByteArray& folder, const QByteArray& path) {
    return folder == path || folder == "/" || path.startsWith(folder + '/');
}

FolderProtection classify(const QByteArray& path) {
    if (path == "/") return FolderProtection::DriveRoot;
    for (const Drive& d : driveTable().drives())
        if (cleanPath(d.mountPoint) == path) return FolderProtection::DriveRoot;
    for (const char* folder : systemFolders)
        if (path == folder) return FolderProtection::SystemFolder;
    const QByteArray home = cleanPath(QFile::encodeName(QDir::homePath()));
    for (const QByteArray& h : {home, platform().realPath(home)})
        if (!h.isEmpty() && holds(path, h)) return FolderProtection::SystemFolder;
    return FolderProtection::None;
}

}  // namespace

FolderProtection folderProtection(const QByteArray& path) {
    const QByteArray clean = cleanPath(path);
    if (const FolderProtection p = classify(clean); p != FolderProtection::None) return p;
    const QByteArray reached = reachedPath(path.startsWith('/') ? path : clean);
    if (reached.isEmpty() || reached == clean) return FolderProtection::None;
    return classify(cleanPath(reached));
}

bool RefuseProtectedFolder(const QByteArray& path, const QString& rootText) {
    switch (folderProtection(path)) {
        case FolderProtection::None:
            return false;
        case FolderProtection::DriveRoot:
            ShowError(rootText);
            return true;
        case FolderProtection::SystemFolder:
            ShowError(windowsFolderText);
            return true;
    }
    return true;
}

}  // namespace rk
