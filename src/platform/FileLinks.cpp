#include "platform/FileLinks.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/FileContents.h"
#include "platform/Platform.h"

namespace rk {

namespace {

// Btrfs takes at most 16 MiB a call; asking more only makes it stop short.
constexpr std::int64_t dedupeStep = std::int64_t(16) << 20;

// One deduplication call for the range at offset: the bytes the kernel shared, or -errno.
std::int64_t dedupeRange(const OpenedFile& kept, const OpenedFile& going, std::int64_t offset,
                         std::int64_t length) {
    const auto size = sizeof(file_dedupe_range) + sizeof(file_dedupe_range_info);
    const std::unique_ptr<void, decltype(&std::free)> memory(std::calloc(1, size), &std::free);
    if (!memory) return -ENOMEM;
    auto* range = static_cast<file_dedupe_range*>(memory.get());
    range->src_offset = std::uint64_t(offset);
    range->src_length = std::uint64_t(length);
    range->dest_count = 1;
    range->info[0].dest_fd = going.fd;
    range->info[0].dest_offset = std::uint64_t(offset);
    int rc = 0;
    do {
        rc = ::ioctl(kept.fd, FIDEDUPERANGE, range);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) return -errno;
    const file_dedupe_range_info& info = range->info[0];
    if (info.status == FILE_DEDUPE_RANGE_DIFFERS) return -EBADE;
    if (info.status < 0) return info.status;
    return std::int64_t(info.bytes_deduped);
}

}  // namespace

std::int64_t FileLinks::shareExtents(const OpenedFile& kept, const OpenedFile& going) const {
    std::int64_t shared = 0;
    while (shared < kept.size) {
        const std::int64_t n =
            dedupeRange(kept, going, shared, std::min(dedupeStep, kept.size - shared));
        if (n < 0) return n;
        if (n == 0) return shared > 0 ? shared : -EOPNOTSUPP;
        shared += n;
    }
    return shared;
}

int FileLinks::canShare(const OpenedFile& kept, const OpenedFile& going) const {
    // A call for no bytes is checked as any other and shares nothing.
    const std::int64_t n = dedupeRange(kept, going, 0, 0);
    return n < 0 ? int(-n) : 0;
}

int FileLinks::linkAs(const FolderHandle& keptFolder, const QByteArray& keptName,
                      const FolderHandle& folder, const QByteArray& name) const {
    return ::linkat(keptFolder.fd(), keptName.constData(), folder.fd(), name.constData(), 0) == 0
               ? 0
               : errno;
}

int FileLinks::renameOver(const FolderHandle& folder, const QByteArray& from,
                          const QByteArray& to) const {
    return ::renameat(folder.fd(), from.constData(), folder.fd(), to.constData()) == 0 ? 0 : errno;
}

std::optional<std::int64_t> FileLinks::freeSpace(const QByteArray& path, bool settle) const {
    const auto now = [&]() -> std::optional<std::int64_t> {
        struct statvfs v {};
        if (::statvfs(path.constData(), &v) != 0) return std::nullopt;
        return std::int64_t(v.f_bavail) * std::int64_t(v.f_frsize ? v.f_frsize : v.f_bsize);
    };
    if (!settle) return now();
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return now();
    // Some file systems free the blocks of a removed file in the background after the sync
    // (XFS); the figure is taken once it holds still, within about two seconds.
    std::optional<std::int64_t> last;
    for (int round = 0; round < 20; ++round) {
        ::syncfs(fd);
        const std::optional<std::int64_t> free = now();
        if (round > 0 && free == last) break;
        last = free;
        ::usleep(100'000);
    }
    ::close(fd);
    return last;
}

}  // namespace rk
