#pragma once

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/ProtectedFolders.h"
#include "platform/SearchRecord.h"

namespace rk {

class EventPump;

// Why an entry of a deletion stayed where it was.
enum class StayReason {
    Error,       // the system would not delete or trash it (error holds why)
    Changed,     // it changed since it was listed and the user chose to keep it
    Unreadable,  // a folder that could not be opened or listed; what it holds stayed too
    NotTried,    // the run stopped before it came to this file
};

struct StayedEntry {
    QByteArray path;  // exact bytes
    StayReason reason = StayReason::Error;
    int error = 0;  // the system's error number for Error and Unreadable
};

// What a deletion did.
struct FolderTreeResult {
    bool completed = true;             // false: the user stopped the run, or it was refused
    std::int64_t files = 0;            // files actually deleted or recycled
    std::int64_t bytes = 0;            // the room on disk their removal freed
    std::int64_t keptByLinks = 0;      // of them, files another hard link keeps: no room freed
    std::int64_t filesNotRemoved = 0;  // files that stayed (every reason but Unreadable)
    std::int64_t foldersNotRead = 0;   // folders whose contents could not be seen
    std::vector<StayedEntry> stayed;   // every file and folder counted above
    // Trashes other than the home trash that took files of the home's file system, because
    // the home trash could not be used: the user is told where to look for them.
    std::vector<QByteArray> otherTrashes;
    // Set when nothing was done: the folder is protected (or is a mount point, or holds the
    // trash), or it is no longer the folder that was listed.
    FolderProtection refused = FolderProtection::None;
    bool topChanged = false;

    // Counts a file removed, as it was just before: its room is freed only with its last
    // link. otherTrash is the trash it went to when not the home trash.
    void removed(const SearchRecord& file, const QByteArray& otherTrash = {}) {
        ++files;
        if (file.links > 1)
            ++keptByLinks;
        else
            bytes += file.room;
        if (!otherTrash.isEmpty() &&
            std::find(otherTrashes.begin(), otherTrashes.end(), otherTrash) == otherTrashes.end())
            otherTrashes.push_back(otherTrash);
    }
};

// Who a folder is: taken when it is listed, checked again just before it is deleted, so that
// a folder replaced, or reached through an ancestor swapped for a link, is not deleted instead.
struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t mountId = 0;
    friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};
// The identity of the folder at path (a link at its end is not followed); empty when it is
// no folder.
[[nodiscard]] std::optional<FolderIdentity> folderIdentity(const QByteArray& path);

// Deletes the folder at path with everything in it, or sends its files to the recycle bin
// one by one (the emptied folders are removed either way). Asks before each read-only, hidden
// or system file; any answer but Yes ends the whole run. The folder is opened once and checked
// against expected when given; everything below is reached relative to open folders, never
// through a link (a link is removed as a link), never into another mount (a bind mount of the
// same file system included) nor into the trash, with few descriptors open at any depth.
// A protected folder, a mount point and a folder holding the trash are refused. The pump,
// when given, lets the window repaint now and then.
FolderTreeResult DeleteFolderTree(const QByteArray& path, bool sendToBin, EventPump* pump = nullptr,
                                  const std::optional<FolderIdentity>& expected = std::nullopt);

// The callers' steps after the user chose: an empty folder is removed as it is (also when the
// recycle bin was chosen), anything else goes through DeleteFolderTree.
struct FolderDeletion {
    bool removedEmpty = false;
    FolderTreeResult tree;  // zero when removedEmpty
};
FolderDeletion DeleteFolder(const QByteArray& path, bool sendToBin, EventPump* pump = nullptr,
                            const std::optional<FolderIdentity>& expected = std::nullopt);

// Sends one file to the recycle bin; true on success.
bool RecycleOneFile(const QByteArray& path);

inline const QString deletionCanceledNote =
    QStringLiteral(" (Note: Deletion operation canceled ... not all files deleted)");

// The summary after a folder deletion: "Deleted 1,234 files for a savings of 56,789 bytes.",
// with "Recycled " in place of "Deleted " when recycledWording, the cancel note, how many
// files stayed and folders could not be read, and where files went when not to the home
// trash. Empty when there is nothing to tell.
[[nodiscard]] QString deletionSummary(const FolderTreeResult& result, bool recycledWording);
// Shows that summary: as information when files were removed, as an error when none was but
// some could not be, or why the deletion was refused.
void ShowDeletionSummary(const FolderTreeResult& result, bool recycledWording,
                         const QString& rootText = rootFolderText);
// Why the savings leave out files: "2 files keep other hard links: their room is not freed"; for
// the savings to come and those made alike.
[[nodiscard]] QString keptByLinksNote(std::int64_t files);
// Where files went that did not go to the home trash; empty when none did.
[[nodiscard]] QString otherTrashesNote(const std::vector<QByteArray>& trashes);

}  // namespace rk
