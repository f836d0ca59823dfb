#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

namespace rk {

class Platform;

// A file as it was when the user marked it. Just before the file is deleted or trashed it is
// compared with what it is then, so a file replaced or rewritten since it was listed is never
// removed without a second question.
struct MarkedFile {
    QByteArray path;  // exact bytes
    std::int64_t size = 0;
    std::int64_t modified = 0;  // last write, seconds since the epoch
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

// What the file at path is now; empty when it is not there or is a folder. A link is not
// followed: it is marked as the link.
[[nodiscard]] std::optional<MarkedFile> markFile(const Platform& platform, const QByteArray& path);

}  // namespace rk
