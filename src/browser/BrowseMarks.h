#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

#include "common/FileListDeletion.h"

namespace rk {

class Platform;

// The files marked in the browser, by their exact paths, in marking order, with how many of
// them were there when marked and their bytes. Unmarking takes back exactly what its mark
// added, whatever the file has become since, so the totals never drift.
class BrowseMarks {
public:
    // Marks the file at path as it is now. A file that is gone is marked without counting.
    void mark(const Platform& platform, const QByteArray& path);
    // Unmarks the file of exactly these bytes; false when it was not marked.
    bool unmark(const QByteArray& path);
    void clear();

    [[nodiscard]] const std::vector<MarkedFile>& files() const { return files_; }
    [[nodiscard]] std::int64_t count() const { return count_; }
    [[nodiscard]] std::int64_t bytes() const { return bytes_; }

private:
    std::vector<MarkedFile> files_;
    std::vector<bool> counted_;  // whether each file counted toward the totals
    std::int64_t count_ = 0;
    std::int64_t bytes_ = 0;
};

}  // namespace rk
