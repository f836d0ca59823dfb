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
#include <random>

#include "platform/MountTable.h"
#include "platform/Platform.h"
#include "platform/SplitPath.h"
#include "platform/TrashInfo.h"

namespace rk {

namespace {

constexpr int maxNameBytes = 255;
// A clash is first resolved with a number (report.2.txt, as people expect); past that with a
// random tag, so that thousands of files of one name cost a few tries each, not thousands.
constexpr int numberedTries = 3;
// Random tags of 60 bits do not clash in practice: running out of these means the trash
// refuses every name (such as a file system rejecting the characters), not that it is full.
constexpr int randomTries = 64;
const QByteArray infoSuffix = ".trashinfo";
std::uint64_t namesTriedCount = 0;

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

// The device of a path, or of the nearest folder above it that exists.
std::optional<dev_t> deviceOfNearest(QByteArray path) {
    for (;;) {
        struct stat st {};
        if (::stat(path.constData(), &st) == 0) return st.st_dev;
        if (errno != ENOENT || path == "/" || path.isEmpty()) return std::nullopt;
        path = splitPath(path).folder;
    }
}

bool isOwnFolder(const struct stat& st) {
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// An open trash: its files and info folders, and what Path= is relative to.
struct TrashFolder {
    FolderHandle top;  // the trash folder itself, which holds the cache of folder sizes
    FolderHandle files;
    FolderHandle info;
    dev_t device = 0;
    QByteArray topDir;  // empty for the home trash: Path= is then absolute
    QByteArray path;    // the trash folder, to tell the user
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

// Fills the trash from its open folder trashFd, which it takes over.
bool finishTrashFolder(int trashFd, TrashFolder& t) {
    struct stat st {};
    if (trashFd < 0 || ::fstat(trashFd, &st) != 0) {
        if (trashFd >= 0) ::close(trashFd);
        return false;
    }
    t.device = st.st_dev;
    t.top = FolderHandle(trashFd);
    t.files = FolderHandle(openOwnFolder(trashFd, "files", true));
    t.info = FolderHandle(openOwnFolder(trashFd, "info", true));
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

// $topdir/.Trash/$uid when an administrator made .Trash a sticky folder (not a link);
// created when missing. Empty when there is none or it cannot be used.
std::optional<TrashFolder> openSharedTrash(const QByteArray& topDir) {
    const int top = ::open(topDir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (top < 0) return std::nullopt;
    std::optional<TrashFolder> found;
    struct stat st {};
    if (::fstatat(top, ".Trash", &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) &&
        (st.st_mode & S_ISVTX)) {
        const int shared = ::openat(top, ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (shared >= 0) {
            TrashFolder t;
            t.topDir = topDir;
            t.path = join(topDir, ".Trash/" + uidText());
            if (finishTrashFolder(openOwnFolder(shared, uidText().constData(), true), t))
                found = std::move(t);
            ::close(shared);
        }
    }
    ::close(top);
    return found;
}

// $topdir/.Trash-$uid, created when missing.
std::optional<TrashFolder> openOwnDriveTrash(const QByteArray& topDir) {
    const int top = ::open(topDir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (top < 0) return std::nullopt;
    TrashFolder t;
    t.topDir = topDir;
    t.path = join(topDir, ".Trash-" + uidText());
    const bool ok =
        finishTrashFolder(openOwnFolder(top, (".Trash-" + uidText()).constData(), true), t);
    ::close(top);
    if (!ok) return std::nullopt;
    return t;
}

// "report.txt" -> "report.<tag>.txt"; the name is shortened where the .trashinfo beside it
// would not fit.
QByteArray candidateName(const QByteArray& name, const QByteArray& tag) {
    QByteArray stem = name;
    QByteArray ext;
    const qsizetype dot = name.lastIndexOf('.');
    if (dot > 0) {
        stem = name.left(dot);
        ext = name.mid(dot);
    }
    const QByteArray number = tag.isEmpty() ? QByteArray() : "." + tag;
    const qsizetype room = maxNameBytes - infoSuffix.size() - number.size() - ext.size();
    if (room < 1) {  // an extension too long to keep
        stem = name;
        ext.clear();
    }
    const qsizetype fit = maxNameBytes - infoSuffix.size() - number.size() - ext.size();
    if (stem.size() > fit) stem.truncate(fit);
    return stem + number + ext;
}

QByteArray randomTag() {
    static std::mt19937_64 generator{std::random_device{}()};
    return QByteArray::number(qulonglong(generator() >> 4), 36);
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

QByteArray readAll(int fd) {
    QByteArray bytes;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return bytes;
        bytes.append(buffer, n);
    }
}

// Records a folder moved into the trash in the trash's cache of folder sizes: one line
// "room mtime name" per folder, the time being that of its .trashinfo and the name escaped
// as in URLs. A line of the same name (a folder since removed by a client that left its line)
// is replaced. Written to a file of its own and renamed over the cache, so that two clients
// writing at once cannot leave it half written; the cache is a help to other clients, so a
// failure here fails nothing else.
void recordFolderSize(const TrashFolder& t, const QByteArray& target, const QByteArray& infoName,
                      std::int64_t room) {
    struct stat info {};
    if (::fstatat(t.info.fd(), infoName.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) return;
    QByteArray cache;
    if (const int fd = ::openat(t.top.fd(), "directorysizes", O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        fd >= 0) {
        // Other clients may escape only "%" and line breaks: the name is all after two fields.
        for (const QByteArray& line : readAll(fd).split('\n')) {
            const qsizetype second = line.indexOf(' ', line.indexOf(' ') + 1);
            if (second < 0 || QByteArray::fromPercentEncoding(line.mid(second + 1)) == target)
                continue;
            cache += line + '\n';
        }
        ::close(fd);
    }
    cache += QByteArray::number(qlonglong(room)) + ' ' +
             QByteArray::number(qlonglong(info.st_mtime)) + ' ' + target.toPercentEncoding() + '\n';
    const QByteArray temporary = "directorysizes." + randomTag();
    const int fd = ::openat(t.top.fd(), temporary.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const bool written = writeAll(fd, cache);
    if (::close(fd) != 0 || !written ||
        ::renameat(t.top.fd(), temporary.constData(), t.top.fd(), "directorysizes") != 0)
        ::unlinkat(t.top.fd(), temporary.constData(), 0);
}

// Writes the .trashinfo under a name free in both halves of the trash, then moves the entry.
int moveInto(const TrashFolder& t, int folderFd, const QByteArray& name,
             const QByteArray& originalPath, std::int64_t folderRoom) {
    QByteArray pathValue = originalPath;
    if (!t.topDir.isEmpty()) {
        const QByteArray prefix = t.topDir.endsWith('/') ? t.topDir : t.topDir + '/';
        if (originalPath.startsWith(prefix)) pathValue = originalPath.mid(prefix.size());
    }
    const QByteArray info = trashInfoText(pathValue, std::time(nullptr));
    for (int n = 1; n <= numberedTries + randomTries; ++n) {
        ++namesTriedCount;
        const QByteArray tag = n == 1               ? QByteArray()
                               : n <= numberedTries ? QByteArray::number(n)
                                                    : randomTag();
        const QByteArray target = candidateName(name, tag);
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
        if (err == 0) {
            if (folderRoom >= 0) recordFolderSize(t, target, infoName, folderRoom);
            return 0;
        }
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

std::uint64_t Trash::namesTried() {
    return namesTriedCount;
}

int Trash::moveToTrash(int folderFd, const QByteArray& name, const QByteArray& path,
                       QByteArray* otherTrash, std::int64_t folderRoom) const {
    struct stat st {};
    if (::fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    if (!path.startsWith('/')) return EINVAL;
    const QByteArray folder = splitPath(path).folder;

    const bool onHomeFileSystem = deviceOfNearest(homeTrashPath()) == st.st_dev;
    if (onHomeFileSystem) {
        if (const std::optional<TrashFolder> home = openHomeTrash();
            home && home->device == st.st_dev) {
            const int err = moveInto(*home, folderFd, name, path, folderRoom);
            if (err != EXDEV) return err;  // EXDEV: the same device seen through a bind mount
        }
    }
    // The shared trash when there is one; the user's own one only when that cannot be used,
    // so no second trash is made beside one in use.
    const QByteArray topDir = mountPointOf(folder);
    for (auto open : {openSharedTrash, openOwnDriveTrash}) {
        const std::optional<TrashFolder> t = open(topDir);
        if (!t || t->device != st.st_dev) continue;
        const int err = moveInto(*t, folderFd, name, path, folderRoom);
        if (err == EXDEV) continue;
        if (err == 0 && onHomeFileSystem && otherTrash) *otherTrash = t->path;
        return err;
    }
    return EXDEV;
}

int Trash::moveToTrash(const QByteArray& path, QByteArray* otherTrash) const {
    const auto [folder, name] = splitPath(path);
    if (folder.isEmpty() || name.isEmpty()) return EINVAL;
    char* real = ::realpath(folder.constData(), nullptr);
    if (!real) return errno;
    const QByteArray realFolder(real);
    std::free(real);
    const int fd = ::open(realFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int err = moveToTrash(fd, name, join(realFolder, name), otherTrash);
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
