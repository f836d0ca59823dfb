#include "viewer/ViewerFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace rk {

namespace {

class DescriptorFile : public ViewedFile {
public:
    explicit DescriptorFile(int fd) : fd_(fd) {}
    ~DescriptorFile() override { ::close(fd_); }
    DescriptorFile(const DescriptorFile&) = delete;
    DescriptorFile& operator=(const DescriptorFile&) = delete;

    std::int64_t readAt(std::int64_t offset, char* buffer, std::int64_t length) override {
        std::int64_t done = 0;
        while (done < length) {
            const ssize_t n =
                ::pread(fd_, buffer + done, std::size_t(length - done), offset + done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return done > 0 ? done : -errno;
            }
            if (n == 0) break;
            done += n;
        }
        return done;
    }

    std::int64_t readAt(std::int64_t offset, char* const* buffers, int count,
                        std::int64_t each) override {
        std::vector<iovec> parts(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            parts[std::size_t(i)] = {buffers[i], std::size_t(each)};
        for (;;) {
            const ssize_t n = ::preadv(fd_, parts.data(), count, offset);
            if (n >= 0) return n;  // short only at the end of the file
            if (errno != EINTR) return -errno;
        }
    }

    int status(ViewedFileStatus& s) override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return -errno;
        s.size = st.st_size;
        s.modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        s.device = st.st_dev;
        s.inode = st.st_ino;
        return 0;
    }

private:
    int fd_;
};

// The bytes of a file read once, for files whose size the system does not report.
class SnapshotFile : public ViewedFile {
public:
    SnapshotFile(QByteArray bytes, const ViewedFileStatus& s) : bytes_(std::move(bytes)) {
        status_ = s;
        status_.size = bytes_.size();
    }
    std::int64_t readAt(std::int64_t offset, char* buffer, std::int64_t length) override {
        if (offset >= bytes_.size()) return 0;
        const std::int64_t n = std::min<std::int64_t>(length, bytes_.size() - offset);
        std::copy_n(bytes_.constData() + offset, n, buffer);
        return n;
    }
    int status(ViewedFileStatus& s) override {
        s = status_;
        return 0;
    }

private:
    QByteArray bytes_;
    ViewedFileStatus status_;
};

const LinuxFileOpener linuxOpener;
const ViewedFileOpener* installedOpener = &linuxOpener;

}  // namespace

std::int64_t ViewedFile::readAt(std::int64_t offset, char* const* buffers, int count,
                                std::int64_t each) {
    std::int64_t done = 0;
    for (int i = 0; i < count; ++i) {
        const std::int64_t n = readAt(offset + done, buffers[i], each);
        if (n < 0) return done > 0 ? done : n;
        done += n;
        if (n < each) break;
    }
    return done;
}

std::unique_ptr<ViewedFile> LinuxFileOpener::open(const QByteArray& path, int& error) const {
    error = 0;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    auto file = std::make_unique<DescriptorFile>(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = errno;
        return nullptr;
    }
    if (S_ISDIR(st.st_mode)) {
        error = EISDIR;
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        error = EINVAL;
        return nullptr;
    }
    if (st.st_size > 0) return file;
    ViewedFileStatus status;
    if (const int e = file->status(status); e < 0) {
        error = -e;
        return nullptr;
    }
    QByteArray bytes;
    bytes.resize(qsizetype(snapshotLimit));
    const std::int64_t n = file->readAt(0, bytes.data(), snapshotLimit);
    if (n < 0) {
        error = int(-n);
        return nullptr;
    }
    if (n == 0) return file;  // an empty file: watched for growth like any other
    bytes.truncate(qsizetype(n));
    bytes.squeeze();
    return std::make_unique<SnapshotFile>(std::move(bytes), status);
}

const ViewedFileOpener& viewedFileOpener() {
    return *installedOpener;
}

void setViewedFileOpener(const ViewedFileOpener* opener) {
    installedOpener = opener ? opener : &linuxOpener;
}

QString viewerErrorText(int errorNumber) {
    switch (errorNumber) {
        case ENOENT:
            return QStringLiteral("Viewer: file not found");
        case ENOTDIR:
        case ELOOP:
        case ENAMETOOLONG:
        case EISDIR:
        case EINVAL:
            return QStringLiteral("Viewer: path not found or invalid file name");
        case EMFILE:
        case ENFILE:
            return QStringLiteral("Viewer: too many open files");
        case EACCES:
        case EPERM:
            return QStringLiteral("Viewer: file access denied");
        default:
            return QStringLiteral("Viewer triggered I/O error %1").arg(errorNumber);
    }
}

}  // namespace rk
