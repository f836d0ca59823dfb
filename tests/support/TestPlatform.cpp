#include "TestPlatform.h"

#include <QDir>
#include <algorithm>

#include "common/TextHelpers.h"

namespace rk::test {

TestPlatform::TestPlatform(std::vector<QByteArray> driveFolders)
    : LinuxPlatform(Options{false, std::move(driveFolders)}) {}

QByteArray TestPlatform::currentFolder() const {
    return current_.isEmpty() ? LinuxPlatform::currentFolder() : current_;
}

std::vector<Drive> TestPlatform::drives() const {
    std::vector<Drive> drives = LinuxPlatform::drives();
    for (const QByteArray& folder : addedDrives_) {
        Drive d;
        d.mountPoint = resolveDriveFolder(folder);
        d.isVirtual = true;
        if (!d.mountPoint.isEmpty()) drives.push_back(d);  // a folder removed since is gone
    }
    std::sort(drives.begin(), drives.end(),
              [](const Drive& a, const Drive& b) { return a.mountPoint < b.mountPoint; });
    return drives;
}

OpenedFolder TestPlatform::track(OpenedFolder opened, const QByteArray& path) const {
    if (!opened.handle.isOpen()) return opened;
    // Copies of their own, in and out: a byte array shared between workers is freed inside Qt,
    // where the thread sanitizer cannot see the count that makes it safe.
    const QByteArray own(path.constData(), path.size());
    std::lock_guard lock(fdMutex_);
    pathOfFd_[opened.handle.fd()] = own;
    return opened;
}

QByteArray TestPlatform::pathOf(const FolderHandle& folder) const {
    std::lock_guard lock(fdMutex_);
    const auto it = pathOfFd_.constFind(folder.fd());
    return it == pathOfFd_.cend() ? QByteArray() : QByteArray(it->constData(), it->size());
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
    const QByteArray path = pathOf(folder);
    lastReadPath = path;
    if (readFailures_.contains(path)) return readFailures_.value(path);
    const int error = LinuxPlatform::readFolder(folder, isDriveRoot, entries);
    for (SearchRecord& e : entries)
        e.room = roomOf(path, e);
    return error;
}

int TestPlatform::statEntry(const FolderHandle& folder, const QByteArray& name,
                            SearchRecord& record) const {
    const int error = LinuxPlatform::statEntry(folder, name, record);
    if (error == 0) record.room = roomOf(pathOf(folder), record);
    return error;
}

std::int64_t TestPlatform::roomOf(const QByteArray& folder, const SearchRecord& entry) const {
    if (roomFollowsLength_ && !(entry.attributes & (attrDirectory | attrSystem))) return entry.size;
    if (rooms_.isEmpty()) return entry.room;
    return rooms_.value(JoinPath(folder, entry.name), entry.room);
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

int TestPlatform::removeFile(const QByteArray& path) const {
    if (removeFailures_.contains(path)) return removeFailures_.value(path);
    return LinuxPlatform::removeFile(path);
}

int TestPlatform::removeEntry(const FolderHandle& folder, const QByteArray& name,
                              bool isFolder) const {
    const QByteArray path = JoinPath(pathOf(folder), name);
    if (removeFailures_.contains(path)) return removeFailures_.value(path);
    return LinuxPlatform::removeEntry(folder, name, isFolder);
}

int TestPlatform::moveToTrash(const QByteArray& path) const {
    if (removeFailures_.contains(path)) return removeFailures_.value(path);
    return LinuxPlatform::moveToTrash(path);
}

int TestPlatform::moveToTrash(const FolderHandle& folder, const QByteArray& name,
                              const QByteArray& path, QByteArray* otherTrash) const {
    if (removeFailures_.contains(path)) return removeFailures_.value(path);
    return LinuxPlatform::moveToTrash(folder, name, path, otherTrash);
}

int TestPlatform::moveFolderToTrash(const FolderHandle& folder, const QByteArray& name,
                                    const QByteArray& path, std::int64_t treeRoom,
                                    QByteArray* otherTrash) const {
    if (wholeFailures_.contains(path)) return wholeFailures_.value(path);
    return LinuxPlatform::moveFolderToTrash(folder, name, path, treeRoom, otherTrash);
}

bool TestPlatform::offersTrash(const QByteArray& folder) const {
    return offersTrash_ ? *offersTrash_ : LinuxPlatform::offersTrash(folder);
}

int TestPlatform::openWithAssociatedProgram(const QByteArray& path, const QByteArray& folder,
                                            std::function<void(bool succeeded)> finished) const {
    programsOpened.push_back({path, folder});
    if (startError == 0 && finished) finished(openSucceeds);
    return startError;
}

}  // namespace rk::test
