#include "platform/Trash.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/MountTable.h"
#include "platform/Platform.h"

namespace rk {

namespace {

constexpr int maxNameBytes = 255;
constexpr int maxTries = 10000;  // names tried for one file before giving up
const QByteArray infoSuffix = ".trashinfo";

QByteArray join(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray uidText() {
    return QByteArray::number(qulonglong(::getuid()));
}

QByteArray homeFolder() {
    QByteArray home = qgetenv("HOME");
    if (home.startsWith('/')) return home;
    if (const struct passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

// The folder the kernel has open at fd, link-free.
QByteArray pathOfDescriptor(int fd) {
    char buffer[PATH_MAX + 1];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), buffer, PATH_MAX);
    if (n <= 0) return {};
    return QByteArray(buffer, n);
}

// The device of a path, or of the nearest folder above it that exists.
std::optional<dev_t> deviceOfNearest(QByteArray path) {
    for (;;) {
        struct stat st {};
        if (::stat(path.constData(), &st) == 0) return st.st_dev;
        if (errno != ENOENT || path == "/" || path.isEmpty()) return std::nullopt;
        const qsizetype slash = path.lastIndexOf('/');
        path = slash <= 0 ? QByteArray("/") : path.left(slash);
    }
}

bool isOwnFolder(const struct stat& st) {
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// An open trash: its files and info folders, and what Path= is relative to.
struct TrashFolder {
    FolderHandle files;
    FolderHandle info;
    dev_t device = 0;
    QByteArray topDir;  // empty for the home trash: Path= is then absolute
};

// Opens, or creates, the sub-folder name of dirFd as a folder of our own; never through a
// link. Returns -1 with errno set.
int openOwnFolder(int dirFd, const char* name, bool create) {
    if (create && ::mkdirat(dirFd, name, 0700) != 0 && errno != EEXIST) return -1;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !isOwnFolder(st)) {
        ::close(fd);
        errno = EACCES;
        return -1;
    }
    return fd;
}

// Fills files and info from the open trash folder trashFd (which it closes).
bool finishTrashFolder(int trashFd, TrashFolder& t) {
    struct stat st {};
    if (trashFd < 0 || ::fstat(trashFd, &st) != 0) {
        if (trashFd >= 0) ::close(trashFd);
        return false;
    }
    t.device = st.st_dev;
    t.files = FolderHandle(openOwnFolder(trashFd, "files", true));
    t.info = FolderHandle(openOwnFolder(trashFd, "info", true));
    ::close(trashFd);
    return t.files.isOpen() && t.info.isOpen();
}

// Creates the folders of path as needed, private to the user where they are new.
int makeFolders(const QByteArray& path) {
    QByteArray sofar;
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty()) continue;
        sofar += '/' + part;
        if (::mkdir(sofar.constData(), 0700) != 0 && errno != EEXIST) return errno;
    }
    return 0;
}

std::optional<TrashFolder> openHomeTrash() {
    const QByteArray path = Trash::homeTrashPath();
    if (makeFolders(path) != 0) return std::nullopt;
    TrashFolder t;
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (!finishTrashFolder(fd, t)) return std::nullopt;
    return t;
}

// $topdir/.Trash/$uid when an administrator made .Trash a sticky folder (not a link), else
// $topdir/.Trash-$uid; each created when missing.
std::vector<TrashFolder> openDriveTrashes(const QByteArray& topDir) {
    std::vector<TrashFolder> found;
    const int top = ::open(topDir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (top < 0) return found;
    const QByteArray uid = uidText();
    struct stat st {};
    if (::fstatat(top, ".Trash", &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) &&
        (st.st_mode & S_ISVTX)) {
        const int shared = ::openat(top, ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (shared >= 0) {
            TrashFolder t;
            t.topDir = topDir;
            if (finishTrashFolder(openOwnFolder(shared, uid.constData(), true), t))
                found.push_back(std::move(t));
            ::close(shared);
        }
    }
    TrashFolder t;
    t.topDir = topDir;
    if (finishTrashFolder(openOwnFolder(top, (".Trash-" + uid).constData(), true), t))
        found.push_back(std::move(t));
    ::close(top);
    return found;
}

// "report.txt" -> "report.2.txt"; the name is shortened where the .trashinfo beside it would
// not fit.
QByteArray candidateName(const QByteArray& name, int n) {
    QByteArray stem = name;
    QByteArray ext;
    const qsizetype dot = name.lastIndexOf('.');
    if (dot > 0) {
        stem = name.left(dot);
        ext = name.mid(dot);
    }
    const QByteArray number = n > 1 ? "." + QByteArray::number(n) : QByteArray();
    const qsizetype room = maxNameBytes - infoSuffix.size() - number.size() - ext.size();
    if (room < 1) {  // an extension too long to keep
        stem = name;
        ext.clear();
    }
    const qsizetype fit = maxNameBytes - infoSuffix.size() - number.size() - ext.size();
    if (stem.size() > fit) stem.truncate(fit);
    return stem + number + ext;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

int renameNoReplace(int fromFd, const QByteArray& from, int toFd, const QByteArray& to) {
    if (::renameat2(fromFd, from.constData(), toFd, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the no-replace rename: check first, then rename. The .trashinfo
    // we already hold reserves the name against other well-behaved clients.
    struct stat st {};
    if (::fstatat(toFd, to.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    return ::renameat(fromFd, from.constData(), toFd, to.constData()) == 0 ? 0 : errno;
}

// Writes the .trashinfo under a name free in both halves of the trash, then moves the entry.
int moveInto(const TrashFolder& t, int folderFd, const QByteArray& name,
             const QByteArray& originalPath) {
    QByteArray pathValue = originalPath;
    if (!t.topDir.isEmpty()) {
        const QByteArray prefix = t.topDir.endsWith('/') ? t.topDir : t.topDir + '/';
        if (originalPath.startsWith(prefix)) pathValue = originalPath.mid(prefix.size());
    }
    const QByteArray info = Trash::trashInfoText(pathValue, std::time(nullptr));
    for (int n = 1; n <= maxTries; ++n) {
        const QByteArray target = candidateName(name, n);
        const QByteArray infoName = target + infoSuffix;
        const int fd = ::openat(t.info.fd(), infoName.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return errno;
        }
        const bool written = writeAll(fd, info);
        const int writeError = errno;
        if (::close(fd) != 0 || !written) {
            ::unlinkat(t.info.fd(), infoName.constData(), 0);
            return written ? EIO : writeError;
        }
        const int err = renameNoReplace(folderFd, name, t.files.fd(), target);
        if (err == 0) return 0;
        ::unlinkat(t.info.fd(), infoName.constData(), 0);
        if (err != EEXIST) return err;  // a file without its .trashinfo holds this name
    }
    return EEXIST;
}

QByteArray mountPointFromTable(const QByteArray& realFolder) {
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (!f.open(QIODevice::ReadOnly)) return "/";
    QByteArray best = "/";
    for (const MountEntry& m : parseMountInfo(f.readAll())) {
        const QByteArray& mp = m.mountPoint;
        const bool holds = realFolder == mp || realFolder.startsWith(mp + '/');
        if (holds && mp.size() > best.size()) best = mp;
    }
    return best;
}

}  // namespace

Trash::Trash(MountPointLookup lookup) : lookup_(std::move(lookup)) {}

QByteArray Trash::mountPointOf(const QByteArray& realFolder) const {
    return lookup_ ? lookup_(realFolder) : mountPointFromTable(realFolder);
}

QByteArray Trash::homeTrashPath() {
    QByteArray data = qgetenv("XDG_DATA_HOME");
    if (!data.startsWith('/')) data = join(homeFolder(), ".local/share");
    return join(data, "Trash");
}

QByteArray Trash::trashInfoText(const QByteArray& path, std::time_t deletedAt) {
    struct tm local {};
    ::localtime_r(&deletedAt, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + path.toPercentEncoding("/") + "\nDeletionDate=" + date + "\n";
}

int Trash::moveToTrash(int folderFd, const QByteArray& name) const {
    struct stat st {};
    if (::fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    const QByteArray folder = pathOfDescriptor(folderFd);
    if (!folder.startsWith('/')) return ENOENT;
    const QByteArray original = join(folder, name);

    if (deviceOfNearest(homeTrashPath()) == st.st_dev) {
        if (const std::optional<TrashFolder> home = openHomeTrash();
            home && home->device == st.st_dev) {
            const int err = moveInto(*home, folderFd, name, original);
            if (err != EXDEV) return err;  // EXDEV: the same device seen through a bind mount
        }
    }
    for (const TrashFolder& t : openDriveTrashes(mountPointOf(folder))) {
        if (t.device != st.st_dev) continue;
        const int err = moveInto(t, folderFd, name, original);
        if (err != EXDEV) return err;
    }
    return EXDEV;
}

int Trash::moveToTrash(const QByteArray& path) const {
    QByteArray clean = path;
    while (clean.size() > 1 && clean.endsWith('/'))
        clean.chop(1);
    const qsizetype slash = clean.lastIndexOf('/');
    if (slash < 0 || slash == clean.size() - 1) return EINVAL;
    const QByteArray folder = slash == 0 ? QByteArray("/") : clean.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int err = moveToTrash(fd, clean.mid(slash + 1));
    ::close(fd);
    return err;
}

bool Trash::isAvailableFor(const QByteArray& folder) const {
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    struct statvfs vfs {};
    if (::statvfs(folder.constData(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY)) return false;
    if (deviceOfNearest(homeTrashPath()) == st.st_dev) return true;

    char* real = ::realpath(folder.constData(), nullptr);
    if (!real) return false;
    const QByteArray topDir = mountPointOf(QByteArray(real));
    std::free(real);
    const QByteArray uid = uidText();
    // A trash that exists and is ours, or one we may create.
    const auto usable = [&](const QByteArray& parent, const QByteArray& name) {
        struct stat p {};
        if (::lstat(parent.constData(), &p) != 0 || p.st_dev != st.st_dev) return false;
        struct stat t {};
        const QByteArray trash = join(parent, name);
        if (::lstat(trash.constData(), &t) == 0) return isOwnFolder(t);
        return errno == ENOENT && ::access(parent.constData(), W_OK) == 0;
    };
    struct stat shared {};
    const QByteArray sharedPath = join(topDir, ".Trash");
    if (::lstat(sharedPath.constData(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX) && usable(sharedPath, uid))
        return true;
    return usable(topDir, ".Trash-" + uid);
}

}  // namespace rk
