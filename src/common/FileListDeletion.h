#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "common/Deletion.h"

namespace rk {

class EventPump;
class Platform;
struct SearchRecord;

// A file as it was when the user marked it. Just before the file is deleted or trashed it is
// compared with what it is then, so a file replaced or rewritten since it was listed is never
// removed without a second question.
struct MarkedFile {
    QByteArray path;  // exact bytes
    std::int64_t size = 0;
    std::int64_t modified = 0;  // last write, seconds since the epoch
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // Nanoseconds of the last write within its second, and the last change of any kind
    // (ctime): a file rewritten in place keeping its size and time still differs in these.
    std::uint32_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    // What removing it frees, for the counts; not part of its identity (a change to either
    // moves the ctime anyway).
    std::int64_t room = 0;    // on disk, freed with the last of its links
    std::uint32_t links = 1;  // hard links when marked

    // The same file, unchanged: identity and contents' stamps, not the counting fields.
    friend bool operator==(const MarkedFile& a, const MarkedFile& b) {
        return a.path == b.path && a.size == b.size && a.modified == b.modified &&
               a.device == b.device && a.inode == b.inode && a.modifiedNs == b.modifiedNs &&
               a.changedNs == b.changedNs;
    }
};

// What the file at path is now; empty when it is not there or is a folder. A link is not
// followed: it is marked as the link.
[[nodiscard]] std::optional<MarkedFile> markFile(const Platform& platform, const QByteArray& path);

// How a list of marked files is deleted.
struct FileListRun {
    bool sendToBin = false;
    // Stop at the first file that cannot be deleted or trashed; the rest stay (NotTried).
    bool stopAtFirstFailure = false;
    EventPump* pump = nullptr;                        // lets the window repaint now and then
    std::function<void(std::size_t index)> progress;  // called before each file
    // Asked just before a file that passed its own check goes, with what it is now: false
    // keeps it (Withheld). Duplicates check here that a copy of their contents stays.
    std::function<bool(const MarkedFile& file, const SearchRecord& now)> mayRemove;
    // How the user is asked whether a file that changed since it was marked goes anyway.
    AskYesNo ask;
};

// Deletes or trashes the marked files in the order given, each by its exact path relative to
// its opened folder. Just before a file goes it is compared with what was marked (size, last
// write and last change to the nanosecond, device, inode); one that changed is only removed
// when the user says Yes to run.ask ("FILE has changed since it was listed. Delete it
// anyway?"), else it stays as Changed. A file marked while it could not be read (device and
// inode 0) counts as changed, so whatever took its name since is never removed without that
// question. Never asks anything else and shows nothing: the window tells the user what stayed.
FolderTreeResult DeleteMarkedFiles(const Platform& platform, const std::vector<MarkedFile>& files,
                                   const FileListRun& run);

}  // namespace rk
