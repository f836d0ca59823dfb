#include "platform/LinuxPlatform.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/MountTable.h"
#include "platform/PackedTime.h"

Q_LOGGING_CATEGORY(lcPlatform, "roomkin.platform")

namespace rk {

namespace {

constexpr unsigned statxMask = STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_SIZE |
                               STATX_BLOCKS | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME;

QByteArray readWholeFile(const char* path) {
    QFile f(QString::fromLatin1(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();  // proc files report size 0, so read to the end
}

bool sysfsSaysRemovable(unsigned major, unsigned minor) {
    const QString base = QStringLiteral("/sys/dev/block/%1:%2").arg(major).arg(minor);
    const QString real = QFileInfo(base).canonicalFilePath();
    if (real.isEmpty()) return false;
    if (real.contains(QLatin1String("/usb"))) return true;
    // A partition's removable flag lives on its parent disk.
    for (const QString& dir : {real, QFileInfo(real).path()}) {
        QFile f(dir + QLatin1String("/removable"));
        if (f.open(QIODevice::ReadOnly) && f.readAll().trimmed() == "1") return true;
    }
    return false;
}

bool sourceIsBlockDevice(const QByteArray& source) {
    struct stat st {};
    return source.startsWith("/dev/") && ::stat(source.constData(), &st) == 0 &&
           S_ISBLK(st.st_mode);
}

// /dev/disk/by-label holds one link per labelled file system; its names escape blanks
// and other awkward characters as \xHH.
QString labelOfDevice(const QByteArray& source) {
    static const QString byLabel = QStringLiteral("/dev/disk/by-label");
    QDir dir(byLabel);
    if (!dir.exists()) return {};
    const QString device = QFileInfo(QFile::decodeName(source)).canonicalFilePath();
    if (device.isEmpty()) return {};
    for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files)) {
        if (link.canonicalFilePath() != device) continue;
        QByteArray name = QFile::encodeName(link.fileName());
        QByteArray out;
        for (qsizetype i = 0; i < name.size(); ++i) {
            if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
                bool ok = false;
                const int v = name.mid(i + 2, 2).toInt(&ok, 16);
                if (ok) {
                    out.append(char(v));
                    i += 3;
                    continue;
                }
            }
            out.append(name[i]);
        }
        return QString::fromUtf8(out);
    }
    return {};
}

std::uint64_t deviceOf(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) return 0;
    return st.st_dev;
}

// Names that share one allocation. Each is a QByteArray of its own to whoever holds it, and
// holds the block, which goes with the last of them; each is followed by a NUL, as the bytes of
// any QByteArray are. Changing one copies it first, as for any shared QByteArray.
class NameBlock {
public:
    explicit NameBlock(qsizetype bytes) : block_(bytes, Qt::Uninitialized), free_(block_.data()) {}
    QByteArray add(const char* name) {
        const auto length = qsizetype(std::strlen(name));
        char* at = free_;
        std::memcpy(at, name, std::size_t(length) + 1);
        free_ += length + 1;
        QByteArray::DataPointer& block = block_.data_ptr();
        block.d_ptr()->ref();
        return QByteArray(QByteArray::DataPointer(block.d_ptr(), at, length));
    }

private:
    QByteArray block_;
    char* free_;
};

// Fills a search record from an entry's status; the record's name is already set.
void fillSearchRecord(SearchRecord& r, const struct ::statx& st, const LocalTimePacker& times) {
    const unsigned type = st.stx_mode & S_IFMT;
    r.size = (type == S_IFREG) ? std::int64_t(st.stx_size) : 0;
    r.room =
        (type == S_IFREG && (st.stx_mask & STATX_BLOCKS)) ? std::int64_t(st.stx_blocks) * 512 : 0;
    r.raw.access = (st.stx_mask & STATX_ATIME) ? st.stx_atime.tv_sec : 0;
    r.raw.write = (st.stx_mask & STATX_MTIME) ? st.stx_mtime.tv_sec : 0;
    r.raw.creation = (st.stx_mask & STATX_BTIME) ? st.stx_btime.tv_sec : 0;
    r.writeNs = (st.stx_mask & STATX_MTIME) ? st.stx_mtime.tv_nsec : 0;
    r.changeNs = (st.stx_mask & STATX_CTIME)
                     ? std::int64_t(st.stx_ctime.tv_sec) * 1'000'000'000 + st.stx_ctime.tv_nsec
                     : 0;
    r.device = makedev(st.stx_dev_major, st.stx_dev_minor);
    r.inode = st.stx_ino;
    r.links = st.stx_nlink;
    r.time = times.pack(r.raw.write);
    r.isMountPoint = (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT &&
                      st.stx_attributes & STATX_ATTR_MOUNT_ROOT) ||
                     (st.stx_attributes & STATX_ATTR_AUTOMOUNT);
    std::uint8_t a = 0;
    if (type == S_IFDIR)
        a |= attrDirectory;
    else if (type != S_IFREG)
        a |= attrSystem;  // links, sockets, FIFOs, devices
    if (!(st.stx_mode & S_IWUSR)) a |= attrReadOnly;
    if (r.name.startsWith('.') && !r.isDotEntry()) a |= attrHidden;
    r.attributes = a;
}

}  // namespace

LinuxPlatform::LinuxPlatform() : LinuxPlatform(Options{}) {}

LinuxPlatform::LinuxPlatform(Options options) : options_(std::move(options)) {}

std::vector<Drive> LinuxPlatform::drives() const {
    std::vector<Drive> drives;
    if (options_.systemDrives) {
        const BlockDeviceFacts facts{sysfsSaysRemovable, sourceIsBlockDevice};
        const std::vector<MountEntry> mounts =
            parseMountInfo(readWholeFile("/proc/self/mountinfo"));
        drives = drivesFromMounts(mounts, facts);
        for (Drive& d : drives) {
            d.device = deviceOf(d.mountPoint);
            if (d.type == DriveType::Remote) continue;
            // The last mount at a point is the one in sight; a root the table does not list
            // (a chroot) is known by its device alone.
            QByteArray source = QByteArray("/dev/block/") + QByteArray::number(major(d.device)) +
                                ':' + QByteArray::number(minor(d.device));
            for (auto m = mounts.rbegin(); m != mounts.rend(); ++m)
                if (m->mountPoint == d.mountPoint) {
                    source = m->source;
                    break;
                }
            if (sourceIsBlockDevice(source)) d.label = labelOfDevice(source);
        }
    }
    for (const QByteArray& folder : options_.virtualDrives) {
        const QByteArray path = resolveDriveFolder(folder);
        if (path.isEmpty()) continue;
        const auto same = [&](const Drive& d) { return d.mountPoint == path; };
        if (std::any_of(drives.begin(), drives.end(), same)) continue;
        Drive d;
        d.mountPoint = path;
        d.isVirtual = true;
        d.device = deviceOf(path);
        drives.push_back(std::move(d));
    }
    std::sort(drives.begin(), drives.end(),
              [](const Drive& a, const Drive& b) { return a.mountPoint < b.mountPoint; });
    return drives;
}

std::optional<DriveSpace> LinuxPlatform::driveSpace(const QByteArray& mountPoint) const {
    struct statvfs v {};
    if (::statvfs(mountPoint.constData(), &v) != 0) return std::nullopt;
    DriveSpace s;
    s.clusterSize = std::int64_t(v.f_frsize ? v.f_frsize : v.f_bsize);
    s.total = std::int64_t(v.f_blocks) * s.clusterSize;
    s.free = std::int64_t(v.f_bavail) * s.clusterSize;
    // f_bfree counts the blocks only the administrator may still use as well.
    s.reserved = std::int64_t(v.f_bfree > v.f_bavail ? v.f_bfree - v.f_bavail : 0) * s.clusterSize;
    return s;
}

QByteArray LinuxPlatform::currentFolder() const {
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd) return "/";
    QByteArray result(cwd);
    std::free(cwd);
    return result;
}

static OpenedFolder finishOpen(int fd) {
    OpenedFolder opened;
    if (fd < 0) {
        opened.error = errno;
        return opened;
    }
    opened.handle = FolderHandle(fd);
    struct ::statx st {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_MNT_ID | STATX_BLOCKS, &st) == 0) {
        opened.handle.device = makedev(st.stx_dev_major, st.stx_dev_minor);
        opened.handle.inode = st.stx_ino;
        opened.handle.mountId = (st.stx_mask & STATX_MNT_ID) ? st.stx_mnt_id : 0;
        opened.handle.isMountRoot = (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
                                    (st.stx_attributes & STATX_ATTR_MOUNT_ROOT);
        if (st.stx_mask & STATX_BLOCKS) opened.handle.room = std::int64_t(st.stx_blocks) * 512;
    }
    return opened;
}

OpenedFolder LinuxPlatform::openFolder(const QByteArray& path) const {
    return finishOpen(
        ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
}

OpenedFolder LinuxPlatform::openSubFolder(const FolderHandle& parent, const QByteArray& name,
                                          const QByteArray& /*path*/) const {
    return finishOpen(::openat(parent.fd(), name.constData(),
                               O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
}

int LinuxPlatform::readFolder(const FolderHandle& folder, bool isDriveRoot,
                              std::vector<SearchRecord>& entries) const {
    entries.clear();
    const int fd = folder.fd();
    if (::lseek(fd, 0, SEEK_SET) < 0) return errno;
    alignas(8) char buffer[32768];
    const LocalTimePacker times;
    std::size_t dots = 0;
    for (;;) {
        const long n = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (n < 0) return errno;
        if (n == 0) break;
        // The names of one read share one block: a walk lists millions of entries, and one
        // allocation each, freed on another thread than the one that made it, cost more than
        // reading them.
        std::size_t count = 0;
        qsizetype nameBytes = 0;
        for (long pos = 0; pos < n;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer + pos);
            pos += d->d_reclen;
            ++count;
            nameBytes += qsizetype(std::strlen(d->d_name)) + 1;
        }
        entries.reserve(entries.size() + count);
        NameBlock names(nameBytes);
        for (long pos = 0; pos < n;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer + pos);
            pos += d->d_reclen;
            const char* name = d->d_name;
            const bool dot = name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
            if (dot && isDriveRoot) continue;
            if (dot) {
                // Listed as folders and nothing more: no tool counts them, and their status
                // would cost two look-ups a folder, a tenth of a walk's system time.
                SearchRecord& r = entries.emplace_back();
                r.name = names.add(name);
                r.attributes = attrDirectory;
                if (name[1] == 0) {
                    r.device = folder.device;
                    r.inode = folder.inode;
                }
                // "." and ".." go first, "." before "..", wherever the system listed them.
                const std::size_t at = name[1] == 0 ? 0 : dots;
                std::rotate(entries.begin() + std::ptrdiff_t(at), entries.end() - 1, entries.end());
                ++dots;
                continue;
            }
            struct ::statx st {};
            if (::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, statxMask, &st) != 0) {
                if (errno == ENOENT) continue;  // removed since the folder was read
                return errno;
            }
            SearchRecord& r = entries.emplace_back();
            r.name = names.add(name);
            fillSearchRecord(r, st, times);
        }
    }
    return 0;
}

std::optional<std::int64_t> LinuxPlatform::fileSize(const QByteArray& path) const {
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
    return S_ISREG(st.st_mode) ? std::int64_t(st.st_size) : 0;
}

QByteArray LinuxPlatform::searchPathVariable() const {
    return qgetenv("PATH");
}

void LinuxPlatform::beep(Beep) const {}

QByteArray LinuxPlatform::realPath(const QByteArray& path) const {
    char* real = ::realpath(path.constData(), nullptr);
    if (!real) return {};
    QByteArray result(real);
    std::free(real);
    return result;
}

int LinuxPlatform::removeFile(const QByteArray& path) const {
    return ::unlink(path.constData()) == 0 ? 0 : errno;
}

int LinuxPlatform::removeEmptyFolder(const QByteArray& path) const {
    return ::rmdir(path.constData()) == 0 ? 0 : errno;
}

int LinuxPlatform::statEntry(const FolderHandle& folder, const QByteArray& name,
                             SearchRecord& record) const {
    struct ::statx st {};
    if (::statx(folder.fd(), name.constData(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, statxMask,
                &st) != 0)
        return errno;
    record.name = name;
    fillSearchRecord(record, st, LocalTimePacker());
    return 0;
}

int LinuxPlatform::removeEntry(const FolderHandle& folder, const QByteArray& name,
                               bool isFolder) const {
    return ::unlinkat(folder.fd(), name.constData(), isFolder ? AT_REMOVEDIR : 0) == 0 ? 0 : errno;
}

int LinuxPlatform::setReadOnly(const FolderHandle& folder, const QByteArray& name,
                               bool readOnly) const {
    struct stat st {};
    if (::fstatat(folder.fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    if (S_ISLNK(st.st_mode)) return 0;  // a link has no permissions of its own
    const mode_t mode = readOnly ? (st.st_mode & ~S_IWUSR) : (st.st_mode | S_IWUSR);
    if ((mode & 07777) == (st.st_mode & 07777)) return 0;
    return ::fchmodat(folder.fd(), name.constData(), mode & 07777, AT_SYMLINK_NOFOLLOW) == 0
               ? 0
               : errno;
}

int LinuxPlatform::moveToTrash(const QByteArray& path) const {
    return trash_.moveToTrash(path);
}

int LinuxPlatform::moveToTrash(const FolderHandle& folder, const QByteArray& name,
                               const QByteArray& path, QByteArray* otherTrash) const {
    return trash_.moveToTrash(folder.fd(), name, path, otherTrash);
}

int LinuxPlatform::moveFolderToTrash(const FolderHandle& folder, const QByteArray& name,
                                     const QByteArray& path, std::int64_t treeRoom,
                                     QByteArray* otherTrash) const {
    return trash_.moveToTrash(folder.fd(), name, path, otherTrash, treeRoom);
}

bool LinuxPlatform::offersTrash(const QByteArray& folder) const {
    return trash_.isAvailableFor(folder);
}

QByteArray LinuxPlatform::resolveDriveFolder(const QByteArray& folder) {
    char* real = ::realpath(folder.constData(), nullptr);
    if (!real) return {};
    QByteArray path(real);
    std::free(real);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
    return path;
}

int LinuxPlatform::openWithAssociatedProgram(const QByteArray& path, const QByteArray& folder,
                                             std::function<void(bool succeeded)> finished) const {
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
    QByteArray program("xdg-open");
    QByteArray argument = path;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    const int started = ::posix_spawnp(&pid, program.constData(), &actions, nullptr, argv, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return started;
    // The opener hands the file to its program and ends; one that opens the file itself (a
    // terminal program, say) may run on. Its end is looked for now and then, so the window
    // never waits for it, and it is reaped whenever it ends, so it never stays a zombie.
    auto* watch = new QTimer;
    QElapsedTimer running;
    running.start();
    watch->setInterval(50);
    QObject::connect(watch, &QTimer::timeout, watch,
                     [watch, pid, running, finished = std::move(finished)]() mutable {
                         int status = 0;
                         if (::waitpid(pid, &status, WNOHANG) == 0) {
                             if (finished && running.elapsed() > 10000) {
                                 finished(true);
                                 finished = nullptr;
                                 watch->setInterval(1000);
                             }
                             return;
                         }
                         if (finished) finished(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                         watch->deleteLater();
                         watch->stop();
                     });
    watch->start();
    return 0;
}

}  // namespace rk
