#include "viewer/PageCache.h"

#include <algorithm>
#include <numeric>

namespace rk {

PageCache::PageCache(int pageCount) {
    setPageCount(pageCount);
}

void PageCache::attach(ViewedFile* file) {
    file_ = file;
    status_ = {};
    size_ = 0;
    shrank_ = false;
    dropAll();
    ++generation_;
    if (!file_) return;
    if (const int e = file_->status(status_); e < 0) throw ViewerError(-e);
    size_ = status_.size;
}

void PageCache::dropAll() {
    for (Entry& e : entries_) {
        e.page = -1;
        e.valid = 0;
        e.stamp = 0;
    }
}

void PageCache::setPageCount(int count) {
    count = std::clamp(count, 2, 512);
    std::vector<Entry> old = entries_;
    std::vector<char> oldMemory = std::move(memory_);
    // The most recently used pages are the ones kept.
    std::sort(old.begin(), old.end(),
              [](const Entry& a, const Entry& b) { return a.stamp > b.stamp; });
    memory_.assign(std::size_t(count) * pageSize, 0);
    entries_.assign(std::size_t(count), Entry{});
    for (int i = 0; i < count; ++i) {
        Entry& e = entries_[std::size_t(i)];
        e.data = memory_.data() + std::size_t(i) * pageSize;
        if (std::size_t(i) < old.size() && old[std::size_t(i)].page >= 0) {
            const Entry& o = old[std::size_t(i)];
            std::copy_n(o.data, o.valid, e.data);
            e.page = o.page;
            e.valid = o.valid;
            e.stamp = o.stamp;
        }
    }
    last_ = 0;
}

void PageCache::refresh() {
    if (!file_) return;
    ViewedFileStatus now;
    if (const int e = file_->status(now); e < 0) throw ViewerError(-e);
    if (now == status_) return;
    if (now.size < size_) shrank_ = true;
    status_ = now;
    size_ = now.size;
    dropAll();
    ++generation_;
}

void PageCache::fill(std::int64_t page, int ahead) {
    const std::int64_t lastPage = (size_ - 1) / pageSize;
    ahead = std::clamp(ahead, -pageCount() / 2, pageCount() / 2);
    std::int64_t first = page;
    std::int64_t last = page;
    const auto cached = [&](std::int64_t p) {
        return std::any_of(entries_.begin(), entries_.end(),
                           [p](const Entry& e) { return e.page == p; });
    };
    for (int i = 1; i < ahead && last + 1 <= lastPage && !cached(last + 1); ++i)
        ++last;
    for (int i = 1; i < -ahead && first > 0 && !cached(first - 1); ++i)
        --first;
    const int count = int(last - first + 1);

    // The least recently used entries, oldest first (ties: the first entry).
    std::vector<int> order(entries_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return entries_[std::size_t(a)].stamp < entries_[std::size_t(b)].stamp;
    });
    std::vector<char*> buffers;
    for (int i = 0; i < count; ++i) {
        Entry& e = entries_[std::size_t(order[std::size_t(i)])];
        e.page = -1;
        e.valid = 0;
        buffers.push_back(e.data);
    }
    const std::int64_t n = file_->readAt(first * pageSize, buffers.data(), count, pageSize);
    if (n < 0) throw ViewerError(int(-n));
    const std::int64_t expected =
        std::min<std::int64_t>(std::int64_t(count) * pageSize, size_ - first * pageSize);
    if (n < expected) {
        // The file ended early: it shrank since its status was read.
        size_ = first * pageSize + n;
        shrank_ = true;
        ++generation_;
    }
    for (int i = 0; i < count; ++i) {
        Entry& e = entries_[std::size_t(order[std::size_t(i)])];
        const std::int64_t valid =
            std::clamp<std::int64_t>(n - std::int64_t(i) * pageSize, 0, pageSize);
        if (valid == 0) continue;
        e.page = first + i;
        e.valid = valid;
        e.stamp = ++clock_;
    }
}

PageCache::Span PageCache::spanAt(std::int64_t offset, int ahead) {
    if (!file_ || offset < 0) return {};
    const std::int64_t page = offset / pageSize;
    const auto lookup = [&]() -> Entry* {
        if (entries_[std::size_t(last_)].page == page) return &entries_[std::size_t(last_)];
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].page == page) {
                last_ = int(i);
                return &entries_[i];
            }
        return nullptr;
    };
    Entry* e = offset < size_ ? lookup() : nullptr;
    if (!e) {
        // A miss is where a change of the file is noticed: never more often than pages are read.
        refresh();
        if (offset >= size_) return {};
        fill(page, ahead);
        if (offset >= size_) return {};
        e = lookup();
        if (!e) return {};
    }
    e->stamp = ++clock_;
    const std::int64_t start = page * pageSize;
    const std::int64_t length = std::min(e->valid, size_ - start);
    if (offset >= start + length) return {};
    return {e->data, start, length};
}

int PageCache::byteAt(std::int64_t offset, int ahead) {
    const Span s = spanAt(offset, ahead);
    if (s.length == 0) return -1;
    return static_cast<unsigned char>(s.data[offset - s.start]);
}

}  // namespace rk
