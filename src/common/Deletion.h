#pragma once

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "common/ProtectedFolders.h"
#include "platform/SearchRecord.h"

namespace rk {

class EventPump;
class Platform;

// A question a deletion asks the user mid-way, No being the default answer; offerCancel adds
// Cancel beside Yes and No. True only for Yes. The deletion shows nothing itself: its caller
// decides how to ask, and without anyone to ask the answer is No.
using AskYesNo = std::function<bool(const QString& question, bool offerCancel)>;

// Why an entry of a deletion stayed where it was.
enum class StayReason {
    Error,       // the system would not delete or trash it (error holds why)
    Changed,     // it changed since it was listed and the user chose to keep it
    Unreadable,  // a folder that could not be opened or listed; what it holds stayed too
    NotTried,    // the run stopped before it came to this file
    Withheld,    // its caller kept it back: the copy meant to stay no longer holds its contents
};

struct StayedEntry {
    QByteArray path;  // exact bytes
    StayReason reason = StayReason::Error;
    int error = 0;  // the system's error number for Error and Unreadable
};

// Why a folder sent to the trash went file by file rather than whole, as one entry.
enum class TrashPiecemeal {
    No,             // it went whole, or was deleted, or nothing was done
    MountInside,    // other file systems are mounted inside: they stay, the rest goes
    FolderNotRead,  // a folder inside could not be read, so what it holds is not known
    TrashRefused,   // the trash would not take the folder whole (piecemealError says why)
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
    bool topIsLink = false;     // a link (or another special file) was given as the folder
    bool trashedWhole = false;  // the folder went to the trash as one entry
    TrashPiecemeal piecemeal = TrashPiecemeal::No;
    int piecemealError = 0;

    // Whether nothing was done because the folder was refused as it stood.
    [[nodiscard]] bool wasRefused() const {
        return refused != FolderProtection::None || topChanged || topIsLink;
    }
    // Counts a file removed, as it was just before: its room is freed only with its last
    // link. otherTrash is the trash it went to when not the home trash.
    void removed(const SearchRecord& file, const QByteArray& otherTrash = {}) {
        ++files;
        if (file.links > 1)
            ++keptByLinks;
        else
            bytes += file.room;
        usedTrash(otherTrash);
    }
    void usedTrash(const QByteArray& otherTrash) {
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
[[nodiscard]] std::optional<FolderIdentity> folderIdentity(const Platform& platform,
                                                           const QByteArray& path);

// What a folder tree holds, counted by the walk that deletes it, so that what the user is
// shown before answering is what would go.
struct FolderTreeCount {
    bool counted = false;          // the folder was opened: the figures below mean something
    bool isLink = false;           // a link (or another special file) stands where the folder was
    std::int64_t files = 0;        // every entry but a folder: links are removed as files too
    std::int64_t folders = 0;      // the folders below the top one
    std::int64_t bytes = 0;        // the files' room on disk, hard links once: what goes
    std::int64_t folderBytes = 0;  // the folders' own room, the top one's included
    std::int64_t foldersNotRead = 0;
    std::int64_t leftOut = 0;  // mount points inside (and the trash), which a deletion leaves
    bool complete = true;      // false: a folder could not be read, or the tree moved meanwhile
};
// Counts the tree at path as DeleteFolderTree would walk it, deleting nothing.
[[nodiscard]] FolderTreeCount CountFolderTree(const Platform& platform, const QByteArray& path);
// The count in words, as the folder confirmation shows it.
[[nodiscard]] QString folderTreeCountText(const FolderTreeCount& count);

// Deletes the folder at path with everything in it, or sends it to the recycle bin. Asks
// before each read-only, hidden or system file; any answer but Yes ends the whole run. The
// folder is opened once and checked against expected when given; everything below is reached
// relative to open folders, never through a link (a link is removed as a link), never into
// another mount (a bind mount of the same file system included) nor into the trash, with few
// descriptors open at any depth. A protected folder, a mount point, a folder holding the
// trash and a link given as the folder are refused. A folder sent to the trash is counted
// first: when the whole tree lies on its file system and every folder in it could be read,
// it goes as one entry, restored in one step; otherwise its files go one by one (the emptied
// folders are removed), and the result says why. The pump, when given, lets the window
// repaint now and then.
FolderTreeResult DeleteFolderTree(const Platform& platform, const QByteArray& path, bool sendToBin,
                                  EventPump* pump = nullptr,
                                  const std::optional<FolderIdentity>& expected = std::nullopt,
                                  const AskYesNo& ask = {});

// The callers' steps after the user chose: an empty folder is removed as it is (also when the
// recycle bin was chosen), anything else goes through DeleteFolderTree.
struct FolderDeletion {
    bool removedEmpty = false;
    FolderTreeResult tree;  // zero when removedEmpty
};
FolderDeletion DeleteFolder(const Platform& platform, const QByteArray& path, bool sendToBin,
                            EventPump* pump = nullptr,
                            const std::optional<FolderIdentity>& expected = std::nullopt,
                            const AskYesNo& ask = {});

// Sends one file to the recycle bin; true on success.
bool RecycleOneFile(const Platform& platform, const QByteArray& path);

inline const QString deletionCanceledNote =
    QStringLiteral(" (Note: Deletion operation canceled ... not all files deleted)");

// The summary after a folder deletion: "Deleted 1,234 files for a savings of 56,789 bytes.",
// with "Recycled " in place of "Deleted " when recycledWording, the cancel note, how many
// files stayed and folders could not be read, and where files went when not to the home
// trash. Empty when there is nothing to tell.
[[nodiscard]] QString deletionSummary(const FolderTreeResult& result, bool recycledWording);
// Why the savings leave out files: "2 files keep other hard links: their room is not freed"; for
// the savings to come and those made alike.
[[nodiscard]] QString keptByLinksNote(std::int64_t files);
// Where files went that did not go to the home trash; empty when none did.
[[nodiscard]] QString otherTrashesNote(const std::vector<QByteArray>& trashes);

}  // namespace rk
