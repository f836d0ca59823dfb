#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/NamePattern.h"
#include "platform/SearchRecord.h"

namespace rk {

enum class DriveType { Removable, Fixed, Remote, CdRom, RamDisk };

// A mounted file system the user keeps files on, or a folder given with --drive.
struct Drive {
    QByteArray mountPoint;  // exact bytes; the drive's identity
    DriveType type = DriveType::Fixed;
    QString fileSystem;   // "ext4", "nfs4", ...
    QString label;        // empty when the file system has none
    QString networkName;  // the mount source of a remote drive
    std::uint64_t device = 0;
    bool isVirtual = false;  // given on the command line

    [[nodiscard]] QString caption() const { return QString::fromLocal8Bit(mountPoint); }
};

// A drive's size as df reads it. Some file systems keep blocks back for the administrator:
// they are neither free to the user nor in use, so used = total - free - reserved.
struct DriveSpace {
    std::int64_t total = 0;
    std::int64_t free = 0;  // what the user can still write
    std::int64_t clusterSize = 0;
    std::int64_t reserved = 0;

    [[nodiscard]] std::int64_t used() const { return total - free - reserved; }
};

// An open folder. Owns its descriptor; the walk holds at most two of these at a time.
class FolderHandle {
public:
    FolderHandle() = default;
    explicit FolderHandle(int fd) : fd_(fd) {}
    FolderHandle(FolderHandle&& other) noexcept
        : device(other.device),
          inode(other.inode),
          mountId(other.mountId),
          isMountRoot(other.isMountRoot),
          room(other.room),
          fd_(other.release()) {}
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    ~FolderHandle();

    [[nodiscard]] int fd() const { return fd_; }
    [[nodiscard]] bool isOpen() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

    // Identity of the open folder, filled by the platform when it opens one.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // The mount the folder lies on: a bind mount of the same file system has the device of
    // its source but a mount of its own, so crossing into another mount is told by these.
    std::uint64_t mountId = 0;
    bool isMountRoot = false;  // the folder is the top of a mount
    // The folder's own room on disk (allocated blocks x 512), without what it holds: a trash
    // records a folder's size with its folders' blocks, as du counts it.
    std::int64_t room = 0;

private:
    int fd_ = -1;
};

// The result of opening a folder: a handle, or the system's error number.
struct OpenedFolder {
    FolderHandle handle;
    int error = 0;
};

enum class Beep { Exclamation, CriticalStop };

// The one interface to the operating system. Everything the program asks of the system goes
// through here, so tests can stand a platform of temporary folders in its place.
class Platform {
public:
    virtual ~Platform() = default;

    // Drives, sorted by mount path.
    [[nodiscard]] virtual std::vector<Drive> drives() const = 0;
    // Size of the drive at mountPoint; empty when it cannot be read (the drive is not ready).
    [[nodiscard]] virtual std::optional<DriveSpace> driveSpace(
        const QByteArray& mountPoint) const = 0;
    // The program's current folder, absolute.
    [[nodiscard]] virtual QByteArray currentFolder() const = 0;

    // Opening folders without following links. openSubFolder is relative to an open parent,
    // so a folder replaced by a link between listing and entering cannot redirect a walk;
    // path is the same folder's full path, for messages and test seams only.
    [[nodiscard]] virtual OpenedFolder openFolder(const QByteArray& path) const = 0;
    [[nodiscard]] virtual OpenedFolder openSubFolder(const FolderHandle& parent,
                                                     const QByteArray& name,
                                                     const QByteArray& path) const = 0;
    // Every entry of an open folder, "." and ".." first unless it is a drive's root; those two
    // carry their names and the folder attribute alone ("." also the folder's identity).
    // Returns 0 or the system's error number.
    virtual int readFolder(const FolderHandle& folder, bool isDriveRoot,
                           std::vector<SearchRecord>& entries) const = 0;
    // Whether the three calls above may come from several threads at once, as the scans' walks
    // make them; a platform that says no has each folder read on the walk's own thread.
    [[nodiscard]] virtual bool readsFromWorkers() const { return true; }

    // The folder listing by name pattern and attribute include-set: an entry is skipped when
    // it has any of the hidden, system, volume-label or directory bits that includeSet lacks.
    // A drive's root lists no "." and ".."; the caller knows its drives. Returns 0 or the
    // system's error number.
    int listFolder(const QByteArray& path, bool isDriveRoot, const NamePattern& pattern,
                   int includeSet, std::vector<SearchRecord>& entries) const;

    // The program search path (PATH) and the two folders that stand for the system folders.
    [[nodiscard]] virtual QByteArray searchPathVariable() const = 0;
    [[nodiscard]] virtual QByteArray systemFolder() const { return "/usr/lib"; }
    [[nodiscard]] virtual QByteArray windowsFolder() const { return "/etc"; }

    virtual void beep(Beep kind) const = 0;

    // A path with every link and "." or ".." resolved; empty when it does not exist.
    [[nodiscard]] virtual QByteArray realPath(const QByteArray& path) const = 0;
    // The size of the entry at path when it is there and is no folder; a link is not followed.
    [[nodiscard]] virtual std::optional<std::int64_t> fileSize(const QByteArray& path) const = 0;

    // Removing files and folders; each returns 0 or the system's error number. A link is
    // removed as a link, never followed.
    virtual int removeFile(const QByteArray& path) const = 0;
    virtual int removeEmptyFolder(const QByteArray& path) const = 0;
    // The same relative to an open folder, so that a folder replaced by a link cannot redirect
    // a deletion that is under way.
    virtual int statEntry(const FolderHandle& folder, const QByteArray& name,
                          SearchRecord& record) const = 0;
    virtual int removeEntry(const FolderHandle& folder, const QByteArray& name,
                            bool isFolder) const = 0;
    virtual int setReadOnly(const FolderHandle& folder, const QByteArray& name,
                            bool readOnly) const = 0;

    // The recycle bin: the desktop's trash. A file is moved there, or left where it is with
    // the error returned; it is never deleted instead. Relative to an open folder, path is the
    // entry's full path as the caller reached it, for the trash's record of where it was.
    // otherTrash, when given, receives the trash used when the home trash could not be.
    virtual int moveToTrash(const QByteArray& path) const = 0;
    virtual int moveToTrash(const FolderHandle& folder, const QByteArray& name,
                            const QByteArray& path, QByteArray* otherTrash = nullptr) const = 0;
    // A folder moved into the trash whole, as one entry that is restored in one step;
    // treeRoom (its room on disk with all it holds) goes to the trash's cache of folder sizes.
    virtual int moveFolderToTrash(const FolderHandle& folder, const QByteArray& name,
                                  const QByteArray& path, std::int64_t treeRoom,
                                  QByteArray* otherTrash = nullptr) const = 0;
    // Whether the files of a folder can be sent to a trash at all.
    [[nodiscard]] virtual bool offersTrash(const QByteArray& folder) const = 0;

    // Opens the file at path with the program the desktop associates with it: the opener is
    // started without a shell, in folder, with the exact path as its one argument, so no name
    // is ever read as an option or a command. Returns 0 when it started, else the system's
    // error number. Whether it then succeeded comes later, from the event loop, to finished;
    // an opener still running after ten seconds is taken to have succeeded.
    virtual int openWithAssociatedProgram(const QByteArray& path, const QByteArray& folder,
                                          std::function<void(bool succeeded)> finished) const = 0;
};

// True when a listing with includeSet returns an entry with these attributes.
[[nodiscard]] constexpr bool includedBy(int includeSet, int attributes) {
    return (attributes & (~includeSet & 30)) == 0;
}

}  // namespace rk
