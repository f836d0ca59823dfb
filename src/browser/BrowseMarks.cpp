#include "browser/BrowseMarks.h"

#include <algorithm>

namespace rk {

void BrowseMarks::mark(const Platform& platform, const QByteArray& path) {
    const std::optional<MarkedFile> file = markFile(platform, path);
    files_.push_back(file ? *file : MarkedFile{path});
    counted_.push_back(file.has_value());
    if (file) {
        ++count_;
        bytes_ += file->size;
    }
}

bool BrowseMarks::unmark(const QByteArray& path) {
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

void BrowseMarks::clear() {
    files_.clear();
    counted_.clear();
    count_ = 0;
    bytes_ = 0;
}

}  // namespace rk
