#pragma once

#include <QByteArray>
#include <vector>

#include "platform/Platform.h"
#include "platform/Trash.h"

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

    [[nodiscard]] std::optional<std::int64_t> fileSize(const QByteArray& path) const override;
    [[nodiscard]] QByteArray searchPathVariable() const override;
    void beep(Beep kind) const override;

    [[nodiscard]] QByteArray realPath(const QByteArray& path) const override;
    int removeFile(const QByteArray& path) const override;
    int removeEmptyFolder(const QByteArray& path) const override;
    int statEntry(const FolderHandle& folder, const QByteArray& name,
                  SearchRecord& record) const override;
    int removeEntry(const FolderHandle& folder, const QByteArray& name,
                    bool isFolder) const override;
    int setReadOnly(const FolderHandle& folder, const QByteArray& name,
                    bool readOnly) const override;
    int moveToTrash(const QByteArray& path) const override;
    int moveToTrash(const FolderHandle& folder, const QByteArray& name, const QByteArray& path,
                    QByteArray* otherTrash = nullptr) const override;
    int moveFolderToTrash(const FolderHandle& folder, const QByteArray& name,
                          const QByteArray& path, std::int64_t treeRoom,
                          QByteArray* otherTrash = nullptr) const override;
    [[nodiscard]] bool offersTrash(const QByteArray& folder) const override;
    // xdg-open, watched from the event loop until it ends.
    int openWithAssociatedProgram(const QByteArray& path, const QByteArray& folder,
                                  std::function<void(bool succeeded)> finished) const override;

    // Where the trash of a drive other than the home's is looked for; by default at the
    // mount point of the file's file system, from the mount table.
    void setTrashMountPoints(Trash::MountPointLookup lookup) { trash_ = Trash(std::move(lookup)); }

    // A folder's absolute, link-free form for use as a virtual drive; empty when it is not
    // an existing folder.
    [[nodiscard]] static QByteArray resolveDriveFolder(const QByteArray& folder);

private:
    Options options_;
    Trash trash_;
};

}  // namespace rk
