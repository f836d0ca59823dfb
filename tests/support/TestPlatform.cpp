#include "TestPlatform.h"

#include <QDir>

namespace rk::test {

TestPlatform::TestPlatform(std::vector<QByteArray> driveFolders)
    : LinuxPlatform(Options{false, std::move(driveFolders)}) {}

QByteArray TestPlatform::currentFolder() const {
    return current_.isEmpty() ? LinuxPlatform::currentFolder() : current_;
}

OpenedFolder TestPlatform::track(OpenedFolder opened, const QByteArray& path) const {
    if (opened.handle.isOpen()) pathOfFd_[opened.handle.fd()] = path;
    return opened;
}

int openDescriptorCount() {
    QDir fds(QStringLiteral("/proc/self/fd"));
    return int(fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot).size());
}

OpenedFolder TestPlatform::openFolder(const QByteArray& path) const {
    if (failures_.contains(path)) return OpenedFolder{FolderHandle(), failures_.value(path)};
    return track(LinuxPlatform::openFolder(path), path);
}

OpenedFolder TestPlatform::openSubFolder(const FolderHandle& parent, const QByteArray& name,
                                         const QByteArray& path) const {
    if (failures_.contains(path)) return OpenedFolder{FolderHandle(), failures_.value(path)};
    return track(LinuxPlatform::openSubFolder(parent, name, path), path);
}

int TestPlatform::readFolder(const FolderHandle& folder, bool isDriveRoot,
                             std::vector<SearchRecord>& entries) const {
    lastReadPath = pathOfFd_.value(folder.fd());
    if (readFailures_.contains(lastReadPath)) return readFailures_.value(lastReadPath);
    return LinuxPlatform::readFolder(folder, isDriveRoot, entries);
}

std::optional<DriveSpace> TestPlatform::driveSpace(const QByteArray& mountPoint) const {
    std::optional<DriveSpace> space = LinuxPlatform::driveSpace(mountPoint);
    if (space && sizes_.contains(mountPoint)) {
        if (sizes_.value(mountPoint) < 0) return std::nullopt;
        space->total = sizes_.value(mountPoint);
    }
    return space;
}

void TestPlatform::beep(Beep kind) const {
    ++beeps;
    beepKinds.push_back(kind);
}

}  // namespace rk::test
