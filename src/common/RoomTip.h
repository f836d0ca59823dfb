#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace rk {

class Platform;

// How far a file's room on disk and its length may part before a listed row says both: a
// sparse disk image or a file on a compressing file system ranks by the one and shows the
// other, and the user should see why.
constexpr std::int64_t roomTipThreshold = 1024 * 1024;

// "Length 5,368,709,120 bytes, room on disk 307,200 bytes" for a file whose two differ by
// more than the threshold; empty otherwise, for a folder, and for a file that is gone.
[[nodiscard]] QString roomToolTip(std::int64_t length, std::int64_t room);
[[nodiscard]] QString roomToolTip(const Platform& platform, const QByteArray& path);

}  // namespace rk
