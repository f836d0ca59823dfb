#include "platform/MountTable.h"

#include <QSet>
#include <algorithm>
#include <map>

namespace rk {

namespace {

// mountinfo escapes blanks, tabs, newlines and backslashes as a backslash and three octal
// digits; anything else after a backslash is kept as it stands.
QByteArray unescapeOctal(const QByteArray& field) {
    const auto octal = [](char c) { return c >= '0' && c <= '7'; };
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] <= '3' &&
            octal(field[i + 1]) && octal(field[i + 2]) && octal(field[i + 3])) {
            out.append(
                char((field[i + 1] - '0') << 6 | (field[i + 2] - '0') << 3 | (field[i + 3] - '0')));
            i += 3;
            continue;
        }
        out.append(field[i]);
    }
    return out;
}

// A path the kernel could have written: absolute, and no NUL, which no path can hold and
// which would cut it short where it is opened.
bool possiblePath(const QByteArray& path) {
    return path.startsWith('/') && !path.contains('\0');
}

const QSet<QString>& remoteFileSystems() {
    static const QSet<QString> names = {"nfs",         "nfs4",        "cifs",           "smb3",
                                        "smbfs",       "fuse.sshfs",  "sshfs",          "9p",
                                        "afs",         "ceph",        "coda",           "davfs",
                                        "fuse.davfs2", "glusterfs",   "fuse.glusterfs", "lustre",
                                        "ncpfs",       "fuse.rclone", "fuse.s3fs",      "gfs2",
                                        "ocfs2",       "orangefs",    "fuse.curlftpfs"};
    return names;
}

bool isAtOrBelow(const QByteArray& path, const QByteArray& folder) {
    return path == folder || path.startsWith(folder + '/');
}

}  // namespace

std::vector<MountEntry> parseMountInfo(const QByteArray& text) {
    std::vector<MountEntry> mounts;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        // id parent major:minor root mountpoint options [optional...] - fstype source super
        const qsizetype dash = f.indexOf("-");
        if (f.size() < 10 || dash < 6 || dash + 2 >= f.size()) continue;
        MountEntry m;
        const QList<QByteArray> dev = f[2].split(':');
        if (dev.size() == 2) {
            m.major = dev[0].toUInt();
            m.minor = dev[1].toUInt();
        }
        m.root = unescapeOctal(f[3]);
        m.mountPoint = unescapeOctal(f[4]);
        m.fileSystem = QString::fromLatin1(f[dash + 1]);
        m.source = unescapeOctal(f[dash + 2]);
        // A damaged line (an extra blank shifts every field) is no mount.
        if (!possiblePath(m.root) || !possiblePath(m.mountPoint)) continue;
        mounts.push_back(std::move(m));
    }
    return mounts;
}

std::optional<DriveType> classifyMount(const MountEntry& m, const BlockDeviceFacts& facts) {
    const bool isRootMount = m.mountPoint == "/";
    // A bind mount of part of a file system shows a folder that already is on a drive.
    if (m.root != "/" && !isRootMount) return std::nullopt;
    if (remoteFileSystems().contains(m.fileSystem) || m.fileSystem.startsWith("nfs"))
        return DriveType::Remote;
    if (m.fileSystem == "iso9660" || m.fileSystem == "udf") return DriveType::CdRom;
    if (m.fileSystem == "tmpfs" || m.fileSystem == "ramfs") {
        const QByteArray& p = m.mountPoint;
        if (p == "/tmp" || isAtOrBelow(p, "/dev/shm") || p.startsWith("/media/") ||
            p.startsWith("/mnt/"))
            return DriveType::RamDisk;
        return isRootMount ? std::optional(DriveType::Fixed) : std::nullopt;
    }
    const bool block = (facts.isBlockDevice && facts.isBlockDevice(m.source));
    if (!block && !isRootMount) return std::nullopt;
    if (m.mountPoint.startsWith("/media/") || m.mountPoint.startsWith("/run/media/"))
        return DriveType::Removable;
    if (block && facts.isRemovable && facts.isRemovable(m.major, m.minor))
        return DriveType::Removable;
    return DriveType::Fixed;
}

std::vector<Drive> drivesFromMounts(const std::vector<MountEntry>& mounts,
                                    const BlockDeviceFacts& facts) {
    // Later lines of the table are mounted over earlier ones at the same point.
    std::map<QByteArray, Drive> byPoint;
    for (const MountEntry& m : mounts) {
        const std::optional<DriveType> type = classifyMount(m, facts);
        if (!type) {
            byPoint.erase(m.mountPoint);
            continue;
        }
        Drive d;
        d.mountPoint = m.mountPoint;
        d.type = *type;
        d.fileSystem = m.fileSystem;
        if (*type == DriveType::Remote) d.networkName = QString::fromLocal8Bit(m.source);
        byPoint[m.mountPoint] = d;
    }
    // The root folder is always a drive, also where the table does not list it: in a chroot
    // the root is a folder of some file system mounted outside it.
    if (!byPoint.contains("/")) {
        Drive root;
        root.mountPoint = "/";
        root.type = DriveType::Fixed;
        byPoint["/"] = root;
    }
    std::vector<Drive> drives;
    for (auto& [point, d] : byPoint)
        drives.push_back(std::move(d));
    return drives;  // std::map keeps them sorted by mount path
}

}  // namespace rk
