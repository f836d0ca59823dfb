#include "platform/Platform.h"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace rk {

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.release();
        device = other.device;
        inode = other.inode;
        mountId = other.mountId;
        isMountRoot = other.isMountRoot;
        room = other.room;
    }
    return *this;
}

FolderHandle::~FolderHandle() {
    if (fd_ >= 0) ::close(fd_);
}

int Platform::listFolder(const QByteArray& path, bool isDriveRoot, const NamePattern& pattern,
                         int includeSet, std::vector<SearchRecord>& entries) const {
    entries.clear();
    OpenedFolder opened = openFolder(path);
    if (!opened.handle.isOpen()) return opened.error;
    std::vector<SearchRecord> all;
    if (const int err = readFolder(opened.handle, isDriveRoot, all)) return err;
    for (SearchRecord& r : all)
        if (includedBy(includeSet, r.attributes) && pattern.matches(r.name))
            entries.push_back(std::move(r));
    return 0;
}

}  // namespace rk
