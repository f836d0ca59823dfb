#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QMap>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/FileContents.h"

namespace rk::test {

// Contents that make a file unreadable (root reads everything) or change it as it is opened
// or read. The content search's workers call it at once.
class MeddlingContents : public FileContents {
public:
    QMap<QByteArray, int> failOpen;
    // Files that open this many times more, then fail to open as if unreadable.
    mutable QMap<QByteArray, int> opensLeft;
    QMap<QByteArray, int> failRead;
    QByteArray growOnOpen;   // changed between the size pass and the hash pass
    QByteArray touchOnRead;  // changed while it is read: its last write a second later
    std::atomic<int> reads = 0;
    // Reads beyond this many made on other threads than the one that made this object wait
    // until openGate(), so that a test can catch the workers inside their files.
    int gateAfter = INT_MAX;

    void openGate() {
        {
            std::lock_guard lock(mutex_);
            gateOpen_ = true;
        }
        gateChanged_.notify_all();
    }
    // Whether a read waited at the gate for ten seconds and gave up.
    [[nodiscard]] bool gateTimedOut() const { return gateTimedOut_; }

    OpenedFile open(const QByteArray& path, bool sequential) const override {
        if (path == growOnOpen) {
            const int fd = ::open(path.constData(), O_WRONLY | O_APPEND);
            (void)!::write(fd, "x", 1);
            ::close(fd);
        }
        std::unique_lock lock(mutex_);
        const auto left = opensLeft.find(path);
        if (failOpen.contains(path) || (left != opensLeft.end() && (*left)-- <= 0)) {
            OpenedFile f;
            f.error = failOpen.value(path, EACCES);
            return f;
        }
        lock.unlock();
        OpenedFile f = FileContents::open(path, sequential);
        lock.lock();
        paths_[f.fd] = QByteArray(path.constData(), path.size());  // shared by no thread
        return f;
    }
    std::int64_t read(const OpenedFile& file, char* into, std::int64_t length,
                      std::int64_t offset) const override {
        const QByteArray path = pathOf(file);
        if (failRead.contains(path)) return -failRead[path];
        if (++const_cast<MeddlingContents*>(this)->reads > gateAfter &&
            std::this_thread::get_id() != owner_) {
            std::unique_lock lock(mutex_);
            if (!gateChanged_.wait_for(lock, std::chrono::seconds(10), [&] { return gateOpen_; }))
                gateTimedOut_ = true;
        }
        const std::int64_t n = FileContents::read(file, into, length, offset);
        if (path == touchOnRead) {
            struct stat st {};
            ::fstat(file.fd, &st);
            const struct timespec times[2] = {{0, UTIME_OMIT}, {st.st_mtim.tv_sec + 1, 0}};
            ::futimens(file.fd, times);
        }
        return n;
    }

private:
    QByteArray pathOf(const OpenedFile& file) const {
        std::lock_guard lock(mutex_);
        const QByteArray& path = paths_[file.fd];
        return QByteArray(path.constData(), path.size());
    }

    const std::thread::id owner_ = std::this_thread::get_id();
    mutable std::mutex mutex_;
    mutable std::condition_variable gateChanged_;
    mutable QMap<int, QByteArray> paths_;
    mutable bool gateOpen_ = false;
    mutable std::atomic<bool> gateTimedOut_ = false;
};

}  // namespace rk::test
