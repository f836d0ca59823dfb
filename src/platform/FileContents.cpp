#include "platform/FileContents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace rk {

OpenedFile& OpenedFile::operator=(OpenedFile&& other) noexcept {
    if (this != &other) {
        if (fd >= 0) ::close(fd);
        fd = other.fd;
        other.fd = -1;
        error = other.error;
        size = other.size;
        modifiedNs = other.modifiedNs;
        changedNs = other.changedNs;
        device = other.device;
        inode = other.inode;
        mode = other.mode;
        owner = other.owner;
        group = other.group;
    }
    return *this;
}

OpenedFile::~OpenedFile() {
    if (fd >= 0) ::close(fd);
}

namespace {

constexpr std::int64_t smallFile = 64 << 10;

std::int64_t nanoseconds(const struct timespec& t) {
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

}  // namespace

OpenedFile FileContents::open(const QByteArray& path, bool sequential) const {
    OpenedFile file;
    // O_NONBLOCK: a FIFO put in the file's place must not hang the scan; it fails below.
    constexpr int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    // Reading leaves the last access alone where the system lets it: for the file's owner and
    // for root. Root asks for it in the open itself (a content search opens hundreds of
    // thousands of files, and every call counts); anyone else asks after the open, where a
    // refusal costs no second look-up of the path.
    static const bool ownsEveryFile = ::geteuid() == 0;
    int fd = ::open(path.constData(), flags | (ownsEveryFile ? O_NOATIME : 0));
    if (fd < 0 && errno == EPERM && ownsEveryFile)
        fd = ::open(path.constData(), flags);  // root without the right to it
    if (fd < 0) {
        file.error = errno;
        return file;
    }
    if (!ownsEveryFile) ::fcntl(fd, F_SETFL, O_NONBLOCK | O_NOATIME);  // sets both anew
    file.fd = fd;
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        file.error = S_ISREG(st.st_mode) ? errno : EINVAL;
        ::close(file.fd);
        file.fd = -1;
        return file;
    }
    file.size = st.st_size;
    file.modifiedNs = nanoseconds(st.st_mtim);
    file.changedNs = nanoseconds(st.st_ctim);
    file.device = st.st_dev;
    file.inode = st.st_ino;
    file.mode = st.st_mode & 07777;
    file.owner = st.st_uid;
    file.group = st.st_gid;
    // A small file comes in one read, and whole with the system's first read-ahead: no advice.
    if (file.size > smallFile)
        ::posix_fadvise(file.fd, 0, 0, sequential ? POSIX_FADV_SEQUENTIAL : POSIX_FADV_RANDOM);
    return file;
}

std::int64_t FileContents::read(const OpenedFile& file, char* into, std::int64_t length,
                                std::int64_t offset) const {
    std::int64_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(file.fd, into + done, std::size_t(length - done), offset + done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -errno;
        }
        if (n == 0) break;
        done += n;
    }
    return done;
}

std::int64_t FileContents::nextData(const OpenedFile& file, std::int64_t offset) const {
    const off_t at = ::lseek(file.fd, offset, SEEK_DATA);
    if (at >= 0) return at;
    return errno == ENXIO ? file.size : offset;  // ENXIO: nothing but a hole to the end
}

std::int64_t FileContents::nextHole(const OpenedFile& file, std::int64_t offset) const {
    const off_t at = ::lseek(file.fd, offset, SEEK_HOLE);
    return at >= 0 ? at : file.size;
}

bool FileContents::stateNow(const OpenedFile& file, std::int64_t& size,
                            std::int64_t& modifiedNs) const {
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) return false;
    size = st.st_size;
    modifiedNs = nanoseconds(st.st_mtim);
    return true;
}

}  // namespace rk
