#pragma once

#include <QByteArray>
#include <QMap>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/LinuxPlatform.h"

namespace rk::test {

// A value each thread sets and reads back for itself, for what a platform remembers of the
// call it just made while the walk's workers make theirs.
template <class T>
class PerThread {
public:
    PerThread& operator=(T value) {
        std::lock_guard lock(mutex_);
        values_[std::this_thread::get_id()] = std::move(value);
        return *this;
    }
    operator T() const {  // NOLINT: read as the value itself
        std::lock_guard lock(mutex_);
        const auto it = values_.find(std::this_thread::get_id());
        return it == values_.end() ? T() : it->second;
    }
    friend bool operator==(const PerThread& a, const T& b) { return T(a) == b; }

private:
    mutable std::mutex mutex_;
    std::map<std::thread::id, T> values_;
};

// The Linux platform with a drive table of chosen folders only, a beep that is counted, and
// folders that can be made to fail to open (the tests run as root, where permissions stop
// nothing).
class TestPlatform : public LinuxPlatform {
public:
    explicit TestPlatform(std::vector<QByteArray> driveFolders = {});

    void failToOpen(const QByteArray& path, int error) { failures_[path] = error; }
    void openAgain(const QByteArray& path) { failures_.remove(path); }
    void failToRead(const QByteArray& path, int error) { readFailures_[path] = error; }
    void setCurrentFolder(QByteArray folder) { current_ = std::move(folder); }
    // Offers one more drive folder from now on, as a stick mounted while the program runs.
    void addDriveFolder(QByteArray folder) { addedDrives_.push_back(std::move(folder)); }
    [[nodiscard]] std::vector<Drive> drives() const override;
    void setSearchPathVariable(QByteArray value) { path_ = std::move(value); }
    // The total size a drive reports; a negative size makes the query fail.
    void setDriveSize(const QByteArray& mountPoint, std::int64_t total) {
        sizes_[mountPoint] = total;
    }
    [[nodiscard]] std::optional<DriveSpace> driveSpace(const QByteArray& mountPoint) const override;
    // Removing or trashing the file at path fails with error, as permissions cannot make it
    // fail for root.
    void failToRemove(const QByteArray& path, int error) { removeFailures_[path] = error; }
    // Sending the folder at path to the trash whole fails with error; its files may still go.
    void failToTrashWhole(const QByteArray& path, int error) { wholeFailures_[path] = error; }
    // The file at path reports this room on disk, as a preallocated or compressed file would:
    // big figures without the disk space behind them.
    void setRoom(const QByteArray& path, std::int64_t room) { rooms_[path] = room; }
    // Every regular file reports its length as its room, as if each byte were allocated: for
    // tests of ranking and layout whose files are made sparse (quick, and of any size).
    void setRoomFollowsLength(bool on) { roomFollowsLength_ = on; }
    // Overrides whether folders offer a trash; empty: ask the system.
    void setOffersTrash(std::optional<bool> offers) { offersTrash_ = offers; }

    [[nodiscard]] QByteArray currentFolder() const override;
    [[nodiscard]] OpenedFolder openFolder(const QByteArray& path) const override;
    [[nodiscard]] OpenedFolder openSubFolder(const FolderHandle& parent, const QByteArray& name,
                                             const QByteArray& path) const override;
    int readFolder(const FolderHandle& folder, bool isDriveRoot,
                   std::vector<SearchRecord>& entries) const override;
    int statEntry(const FolderHandle& folder, const QByteArray& name,
                  SearchRecord& record) const override;
    [[nodiscard]] QByteArray searchPathVariable() const override { return path_; }
    void beep(Beep kind) const override;
    int removeFile(const QByteArray& path) const override;
    int removeEntry(const FolderHandle& folder, const QByteArray& name,
                    bool isFolder) const override;
    int moveToTrash(const QByteArray& path) const override;
    int moveToTrash(const FolderHandle& folder, const QByteArray& name, const QByteArray& path,
                    QByteArray* otherTrash = nullptr) const override;
    int moveFolderToTrash(const FolderHandle& folder, const QByteArray& name,
                          const QByteArray& path, std::int64_t treeRoom,
                          QByteArray* otherTrash = nullptr) const override;
    [[nodiscard]] bool offersTrash(const QByteArray& folder) const override;
    // Opening a file with its program is recorded, never done: it starts unless startError
    // is set, and then reports openSucceeds at once.
    int openWithAssociatedProgram(const QByteArray& path, const QByteArray& folder,
                                  std::function<void(bool succeeded)> finished) const override;
    struct ProgramOpened {
        QByteArray path;
        QByteArray folder;
    };
    mutable std::vector<ProgramOpened> programsOpened;
    int startError = 0;
    bool openSucceeds = true;

    mutable int beeps = 0;
    mutable std::vector<Beep> beepKinds;
    // The folder this thread read last.
    mutable PerThread<QByteArray> lastReadPath;

private:
    [[nodiscard]] QByteArray pathOf(const FolderHandle& folder) const;
    OpenedFolder track(OpenedFolder opened, const QByteArray& path) const;
    [[nodiscard]] std::int64_t roomOf(const QByteArray& folder, const SearchRecord& entry) const;

    QMap<QByteArray, int> failures_;
    QMap<QByteArray, int> readFailures_;
    QMap<QByteArray, std::int64_t> sizes_;
    QMap<QByteArray, std::int64_t> rooms_;
    bool roomFollowsLength_ = false;
    QMap<QByteArray, int> removeFailures_;
    QMap<QByteArray, int> wholeFailures_;
    std::optional<bool> offersTrash_;
    mutable std::mutex fdMutex_;  // the walk's workers open and read folders at once
    mutable QMap<int, QByteArray> pathOfFd_;
    QByteArray current_;
    QByteArray path_;
    std::vector<QByteArray> addedDrives_;
};

// How many descriptors the process has open now.
[[nodiscard]] int openDescriptorCount();

}  // namespace rk::test
