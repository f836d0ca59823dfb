#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "viewer/ViewerFile.h"

namespace rk {

// A few fixed pages of one file, aligned to the page size, reused least recently used first.
// The cache never holds a byte the file did not give: a page keeps the count actually read,
// a short read is the end of the file, and when a miss finds the file changed (its status
// differs) every page is dropped and the generation moves on, so that whoever keeps
// positions in the file (the line anchors) knows to forget them.
class PageCache {
public:
    static constexpr int pageSize = 4096;
    static constexpr int defaultPageCount = 16;

    struct Span {
        const char* data = nullptr;
        std::int64_t start = 0;   // file offset of data[0]
        std::int64_t length = 0;  // 0 past the end of the file
        [[nodiscard]] std::int64_t end() const { return start + length; }
    };

    explicit PageCache(int pageCount = defaultPageCount);

    // Starts on a file (not owned; null for none), dropping every page. Raises ViewerError
    // when its status cannot be read.
    void attach(ViewedFile* file);
    // Clamped to 2..512; the pages that fit are kept, the most recent first.
    void setPageCount(int count);
    [[nodiscard]] int pageCount() const { return int(entries_.size()); }

    // The cached page that holds offset, read first on a miss. ahead > 0 reads up to that many
    // following pages with it, ahead < 0 as many before it: long scans read in larger pieces.
    // Raises ViewerError when the file cannot be read.
    [[nodiscard]] Span spanAt(std::int64_t offset, int ahead = 0);
    // The byte at offset, or -1 past the end.
    [[nodiscard]] int byteAt(std::int64_t offset, int ahead = 0);

    // The size as last seen: shrinks when a read comes back short.
    [[nodiscard]] std::int64_t size() const { return size_; }
    [[nodiscard]] std::uint64_t generation() const { return generation_; }
    // Reads the status again and drops everything when the file changed.
    void refresh();
    // Whether the file was found smaller than it was last seen, since the last call: once
    // for each shrink noticed, by a short read or by its status.
    [[nodiscard]] bool takeShrink() { return std::exchange(shrank_, false); }

private:
    struct Entry {
        std::int64_t page = -1;  // -1: empty
        std::int64_t valid = 0;
        std::uint64_t stamp = 0;
        char* data = nullptr;
    };
    void dropAll();
    void fill(std::int64_t page, int ahead);

    ViewedFile* file_ = nullptr;
    ViewedFileStatus status_;
    std::int64_t size_ = 0;
    std::uint64_t generation_ = 0;
    bool shrank_ = false;
    std::uint64_t clock_ = 0;
    std::vector<Entry> entries_;
    std::vector<char> memory_;
    int last_ = 0;  // the entry last used: most lookups are for the same page
};

}  // namespace rk
