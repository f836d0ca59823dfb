#include "common/FileListDeletion.h"

#include "platform/Platform.h"

namespace rk {

std::optional<MarkedFile> markFile(const Platform& platform, const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0 || slash + 1 >= path.size()) return std::nullopt;
    const QByteArray folder = slash == 0 ? QByteArray("/") : path.left(slash);
    const OpenedFolder opened = platform.openFolder(folder);
    if (!opened.handle.isOpen()) return std::nullopt;
    SearchRecord r;
    r.name = path.mid(slash + 1);
    if (platform.statEntry(opened.handle, r.name, r) != 0 || r.isDirectory()) return std::nullopt;
    return MarkedFile{path, r.size, r.raw.write, r.device, r.inode};
}

}  // namespace rk
