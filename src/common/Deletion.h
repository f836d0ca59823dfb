#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace rk {

class EventPump;

// What a folder-tree deletion did.
struct FolderTreeResult {
    bool completed = true;             // false: the user stopped the run, or the tree moved
    std::int64_t files = 0;            // files actually deleted or recycled
    std::int64_t bytes = 0;            // their total size
    std::int64_t filesNotRemoved = 0;  // files the system would not delete or recycle
};

// Deletes the folder at path with everything in it, or sends its files to the recycle bin
// one by one (the emptied folders are removed either way). Asks before each read-only, hidden
// or system file; any answer but Yes ends the whole run. Works relative to open folders and
// never follows a link (a link is removed as a link), never enters or removes a mount point,
// and holds few descriptors open at any depth. A protected folder is left alone. The pump,
// when given, lets the window repaint now and then.
FolderTreeResult DeleteFolderTree(const QByteArray& path, bool sendToBin,
                                  EventPump* pump = nullptr);

// The callers' steps after the user chose: an empty folder is removed as it is (also when the
// recycle bin was chosen), anything else goes through DeleteFolderTree.
struct FolderDeletion {
    bool removedEmpty = false;
    FolderTreeResult tree;  // zero when removedEmpty
};
FolderDeletion DeleteFolder(const QByteArray& path, bool sendToBin, EventPump* pump = nullptr);

// Sends one file to the recycle bin; true on success.
bool RecycleOneFile(const QByteArray& path);

inline const QString deletionCanceledNote =
    QStringLiteral(" (Note: Deletion operation canceled ... not all files deleted)");

// The summary after a folder deletion: "Deleted 1,234 files for a savings of 56,789 bytes.",
// with "Recycled " in place of "Deleted " when recycledWording, the cancel note, and how many
// files stayed. Empty when there is nothing to tell.
[[nodiscard]] QString deletionSummary(const FolderTreeResult& result, bool recycledWording);
// Shows that summary: as information when files were removed, as an error when none was but
// some could not be.
void ShowDeletionSummary(const FolderTreeResult& result, bool recycledWording);

}  // namespace rk
