#pragma once

#include <QByteArray>
#include <ctime>
#include <optional>

namespace rk {

// The .trashinfo beside each trashed entry: where it came from and when it was trashed.

// The text of a .trashinfo: path is the original location (absolute, or relative to the top
// folder of a drive's trash), of any bytes, escaped as in URLs; the date is local time.
[[nodiscard]] QByteArray trashInfoText(const QByteArray& path, std::time_t deletedAt);

struct TrashInfo {
    QByteArray path;          // decoded: the exact bytes of the original location
    QByteArray deletionDate;  // as written, "YYYY-MM-DDThh:mm:ss"
};

// Reads a .trashinfo: the [Trash Info] group's Path (percent-decoded) and DeletionDate. Empty
// when the text has no such group, no Path, or a Path with a broken escape.
[[nodiscard]] std::optional<TrashInfo> parseTrashInfo(const QByteArray& text);

}  // namespace rk
