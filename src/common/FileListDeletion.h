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

// A file as it was when the user marked it. Just before the file is deleted or trashed it is
// compared with what it is then, so a file replaced or rewritten since it was listed is never
// removed without a second question.
struct MarkedFile {
    QByteArray path;  // exact bytes
    std::int64_t size = 0;
    std::int64_t modified = 0;  // last write, seconds since the epoch
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t room = 0;    // on disk, freed with the last of its links
    std::uint32_t links = 1;  // hard links when marked
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
};

// Deletes or trashes the marked files in the order given, each by its exact path relative to
// its opened folder. Just before a file goes it is compared with what was marked (size, last
// write, device, inode); one that changed is only removed when the user says so
// ("FILE has changed since it was listed. Delete it anyway?", default No), else it stays as
// Changed. A file marked without a record (device and inode 0) is not compared. Never asks
// anything else and shows nothing: the window tells the user what stayed.
FolderTreeResult DeleteMarkedFiles(const std::vector<MarkedFile>& files, const FileListRun& run);

}  // namespace rk
