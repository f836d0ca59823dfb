#pragma once

#include <QByteArray>
#include <QHash>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "common/FileListDeletion.h"

namespace rk {

class Platform;

// The files marked in a window, by their exact paths, in marking order, with how many of
// them were there when marked and the room on disk deleting them would free. A file with
// several hard links frees its room only when every one of its names is marked. Unmarking
// takes back exactly what its mark added, whatever the file has become since, so the totals
// never drift.
class MarkedFileList {
public:
    // Marks the file at path as it is now. A file that is gone is marked without counting.
    void mark(const Platform& platform, const QByteArray& path);
    // The same, but kept as it was read (a file compared by its contents), so the deletion
    // asks about a file changed since; the totals still count the file as it is now.
    void mark(const Platform& platform, const QByteArray& path, const MarkedFile& asRead);
    // Unmarks the file of exactly these bytes; false when it was not marked.
    bool unmark(const QByteArray& path);
    void clear();

    [[nodiscard]] const std::vector<MarkedFile>& files() const { return files_; }
    [[nodiscard]] std::int64_t count() const { return count_; }
    // The room on disk deleting the marked files would free.
    [[nodiscard]] std::int64_t bytes() const { return bytes_; }
    // Marked files whose room stays taken through a hard link that is not marked.
    [[nodiscard]] std::int64_t keptByLinks() const { return keptByLinks_; }

private:
    using FileKey = std::pair<std::uint64_t, std::uint64_t>;  // device, inode
    // The marked names of one file.
    struct Names {
        std::uint32_t marked = 0;
        std::uint32_t links = 1;
        std::int64_t room = 0;
        [[nodiscard]] std::int64_t freed() const;
    };
    void add(MarkedFile entry, const std::optional<MarkedFile>& now);
    // Counts a name of the file in (now given) or out (null).
    void count(const FileKey& key, const MarkedFile* now);

    std::vector<MarkedFile> files_;
    std::vector<std::optional<FileKey>> counted_;  // the file each mark counted, if any
    QHash<FileKey, Names> byFile_;
    std::int64_t count_ = 0;
    std::int64_t bytes_ = 0;
    std::int64_t keptByLinks_ = 0;
};

}  // namespace rk
