#pragma once

#include <QByteArray>
#include <cstdint>
#include <ctime>
#include <functional>

namespace rk {

// The desktop's trash as the file managers of Linux desktops keep it: the home trash under
// $XDG_DATA_HOME/Trash for files on the file system that holds it, else the trash at the top
// of the file's own file system ($topdir/.Trash/$uid or $topdir/.Trash-$uid). Each trashed
// file gets a .trashinfo beside it, written before the file is moved, so that a file manager
// can put it back. A file is only ever renamed into a trash on its own file system: when none
// can take it, it stays where it is and the move fails.
class Trash {
public:
    // The mount point of the file system that holds a folder (given link-free).
    using MountPointLookup = std::function<QByteArray(const QByteArray& realFolder)>;

    // By default the mount point comes from the process's mount table.
    explicit Trash(MountPointLookup lookup = {});

    // Moves the entry name of the open folder folderFd, whose full, link-free path is path
    // (its .trashinfo records it; the descriptor's own path may be too long to read back).
    // Returns 0 or the system's error number (EXDEV when no trash on the entry's file system
    // can be used). otherTrash, when given, receives the trash folder used when the entry lay
    // on the home trash's file system but the home trash could not take it. A folder moved
    // whole gives its room on disk with all it holds (as du counts it) as folderRoom, for the
    // trash's cache of folder sizes ("directorysizes"); a file gives none.
    int moveToTrash(int folderFd, const QByteArray& name, const QByteArray& path,
                    QByteArray* otherTrash = nullptr, std::int64_t folderRoom = -1) const;
    int moveToTrash(const QByteArray& path, QByteArray* otherTrash = nullptr) const;

    // Whether files of this folder could be trashed: a writable file system with a usable
    // trash, existing or creatable. Creates nothing.
    [[nodiscard]] bool isAvailableFor(const QByteArray& folder) const;

    // $XDG_DATA_HOME/Trash, or ~/.local/share/Trash when the variable is unset or relative.
    [[nodiscard]] static QByteArray homeTrashPath();

    // How many names the trashes have tried for entries, clashes included, in this process:
    // a clash costs a few tries whatever number of its name the trash holds.
    [[nodiscard]] static std::uint64_t namesTried();

private:
    [[nodiscard]] QByteArray mountPointOf(const QByteArray& realFolder) const;

    MountPointLookup lookup_;
};

}  // namespace rk
