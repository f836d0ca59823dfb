#include "common/RoomTip.h"

#include <cstdlib>

#include "common/FileListDeletion.h"
#include "common/TextHelpers.h"

namespace rk {

QString roomToolTip(std::int64_t length, std::int64_t room) {
    if (std::llabs(length - room) <= roomTipThreshold) return {};
    return QStringLiteral("Length ") + formatThousands(length) +
           QStringLiteral(" bytes, room on disk ") + formatThousands(room) +
           QStringLiteral(" bytes");
}

QString roomToolTip(const Platform& platform, const QByteArray& path) {
    // Asked only when a tip is about to show, so a listed row keeps no figure for it.
    const std::optional<MarkedFile> file = markFile(platform, path);
    return file ? roomToolTip(file->size, file->room) : QString();
}

}  // namespace rk
