#pragma once

#include <QByteArray>
#include <QString>

namespace rk {

class Platform;

enum class FolderProtection { None, DriveRoot, SystemFolder, HoldsTrash };

// Whether a folder may be deleted: the root of every drive the platform reports now and
// every other mount point are refused; so are the system's own folders, the folders of the search
// path and the system folder stand-ins, every folder directly inside /usr, /var/lib, the home
// folder, and any folder that holds one of these; and any folder that holds the trash in use. The
// path is compared as written (cleaned) and with the links above it resolved, since that is the
// folder a deletion would reach. Folders deeper down (/var/log/old) may be deleted.
[[nodiscard]] FolderProtection folderProtection(const Platform& platform, const QByteArray& path);

inline const QString rootFolderText =
    QStringLiteral("You cannot delete the root folder using Roomkin 95");
inline const QString browserRootFolderText = QStringLiteral(
    "Cannot delete the root folder! To delete a folder including all files and sub-folders "
    "double click on the desired folder shown in the left panel.");
inline const QString windowsFolderText =
    QStringLiteral("You cannot delete a system folder using Roomkin 95");

inline const QString trashFolderText = QStringLiteral(
    "This folder holds the recycle bin. It cannot be deleted or sent to the recycle bin.");

// The message for a refusal: rootText for a drive's root or a mount point.
[[nodiscard]] QString protectionText(FolderProtection why,
                                     const QString& rootText = rootFolderText);

}  // namespace rk
