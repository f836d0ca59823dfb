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

void MarkedFileList::add(MarkedFile entry, const std::optional<MarkedFile>& now) {
    files_.push_back(std::move(entry));
    counted_.push_back(now.has_value());
    if (now) {
        ++count_;
        bytes_ += now->size;
    }
}

bool MarkedFileList::unmark(const QByteArray& path) {
    const auto it = std::find_if(files_.begin(), files_.end(),
                                 [&](const MarkedFile& f) { return f.path == path; });
    if (it == files_.end()) return false;
    const auto at = std::size_t(it - files_.begin());
    if (counted_[at]) {
        --count_;
        bytes_ -= it->size;
    }
    files_.erase(it);
    counted_.erase(counted_.begin() + std::ptrdiff_t(at));
    return true;
}

void MarkedFileList::clear() {
    files_.clear();
    counted_.clear();
    count_ = 0;
    bytes_ = 0;
}

}  // namespace rk
