#include "common/MarkedFileList.h"

#include <algorithm>

namespace rk {

void MarkedFileList::mark(const Platform& platform, const QByteArray& path) {
    const std::optional<MarkedFile> file = markFile(platform, path);
    add(file ? *file : MarkedFile{path}, file);
}

void MarkedFileList::mark(const Platform& platform, const QByteArray& path,
                          const MarkedFile& asRead) {
    add(asRead, markFile(platform, path));
}

std::int64_t MarkedFileList::Names::freed() const {
    return marked >= links ? room : 0;
}

void MarkedFileList::count(const FileKey& key, const MarkedFile* now) {
    Names& names = byFile_[key];
    if (now && names.marked == 0) {
        names.links = std::max<std::uint32_t>(now->links, 1);
        names.room = now->room;
    }
    bytes_ -= names.freed();
    keptByLinks_ -= names.marked < names.links ? names.marked : 0;
    if (now)
        ++names.marked;
    else
        --names.marked;
    bytes_ += names.freed();
    keptByLinks_ += names.marked < names.links ? names.marked : 0;
    if (names.marked == 0) byFile_.remove(key);
}

void MarkedFileList::add(MarkedFile entry, const std::optional<MarkedFile>& now) {
    files_.push_back(std::move(entry));
    counted_.push_back(now ? std::optional<FileKey>(FileKey{now->device, now->inode})
                           : std::nullopt);
    if (now) {
        ++count_;
        count(*counted_.back(), &*now);
    }
}

bool MarkedFileList::unmark(const QByteArray& path) {
    const auto it = std::find_if(files_.begin(), files_.end(),
                                 [&](const MarkedFile& f) { return f.path == path; });
    if (it == files_.end()) return false;
    const auto at = std::size_t(it - files_.begin());
    if (counted_[at]) {
        --count_;
        count(*counted_[at], nullptr);
    }
    files_.erase(it);
    counted_.erase(counted_.begin() + std::ptrdiff_t(at));
    return true;
}

void MarkedFileList::clear() {
    files_.clear();
    counted_.clear();
    byFile_.clear();
    count_ = 0;
    bytes_ = 0;
    keptByLinks_ = 0;
}

}  // namespace rk
