#pragma once

#include <QByteArray>
#include <QString>

namespace rk {

enum class FolderProtection { None, DriveRoot, SystemFolder };

// Whether a folder may be deleted: the root of every drive is refused, and so are the
// system's own folders, the home folder and any folder that holds it. The path is compared
// as written (cleaned) and with the links above it resolved, since that is the folder a
// deletion would reach.
[[nodiscard]] FolderProtection folderProtection(const QByteArray& path);

inline const QString rootFolderText =
    QStringLiteral("You cannot delete the root folder using Roomkin 95");
inline const QString browserRootFolderText = QStringLiteral(
    "Cannot delete the root folder! To delete a folder including all files and sub-folders "
    "double click on the desired folder shown in the left panel.");
inline const QString windowsFolderText =
    QStringLiteral("You cannot delete the Windows folder using Roomkin 95");

// The check every caller makes before it offers to delete a folder: shows rootText for a
// drive's root, windowsFolderText for a system folder, and returns true when refused.
bool RefuseProtectedFolder(const QByteArray& path, const QString& rootText = rootFolderText);

}  // namespace rk
