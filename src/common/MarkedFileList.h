#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/FileListDeletion.h"

namespace rk {

class Platform;

// The files marked in a window, by their exact paths, in marking order, with how many of
// them were there when marked and their bytes. Unmarking takes back exactly what its mark
// added, whatever the file has become since, so the totals never drift.
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
    [[nodiscard]] std::int64_t bytes() const { return bytes_; }

private:
    void add(MarkedFile entry, const std::optional<MarkedFile>& now);

    std::vector<MarkedFile> files_;
    std::vector<bool> counted_;  // whether each file counted toward the totals
    std::int64_t count_ = 0;
    std::int64_t bytes_ = 0;
};

}  // namespace rk
