#pragma once

#include <QByteArray>
#include <vector>

#include "platform/Platform.h"

namespace rk {

// The platform on Linux: drives from /proc/self/mountinfo, listings with getdents64 and
// statx relative to open folders, never following links.
class LinuxPlatform : public Platform {
public:
    struct Options {
        bool systemDrives = true;               // the mounted file systems
        std::vector<QByteArray> virtualDrives;  // folders given with --drive
    };

    LinuxPlatform();
    explicit LinuxPlatform(Options options);

    [[nodiscard]] std::vector<Drive> drives() const override;
    [[nodiscard]] std::optional<DriveSpace> driveSpace(const QByteArray& mountPoint) const override;
    [[nodiscard]] QByteArray currentFolder() const override;

    [[nodiscard]] OpenedFolder openFolder(const QByteArray& path) const override;
    [[nodiscard]] OpenedFolder openSubFolder(const FolderHandle& parent, const QByteArray& name,
                                             const QByteArray& path) const override;
    int readFolder(const FolderHandle& folder, bool isDriveRoot,
                   std::vector<SearchRecord>& entries) const override;

    [[nodiscard]] QByteArray searchPathVariable() const override;
    void beep(Beep kind) const override;

    // A folder's absolute, link-free form for use as a virtual drive; empty when it is not
    // an existing folder.
    [[nodiscard]] static QByteArray resolveDriveFolder(const QByteArray& folder);

private:
    Options options_;
};

}  // namespace rk
