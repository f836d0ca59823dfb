#pragma once

#include <QByteArray>
#include <cstdint>

namespace rk {

// A regular file opened for reading its contents; owns its descriptor. What it was when
// opened is kept, so a reader can tell afterwards whether it changed while read.
class OpenedFile {
public:
    OpenedFile() = default;
    OpenedFile(OpenedFile&& other) noexcept { *this = std::move(other); }
    OpenedFile& operator=(OpenedFile&& other) noexcept;
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    ~OpenedFile();

    [[nodiscard]] bool isOpen() const { return fd >= 0; }

    int fd = -1;
    int error = 0;  // why it could not be opened
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;  // last write, nanoseconds since the epoch
    std::int64_t changedNs = 0;   // last change of any kind (ctime), nanoseconds
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // Permissions and owner: what a hard link in another name's place would change.
    std::uint32_t mode = 0;
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
};

// Reading file contents, for the comparison of files by content. Everything goes through one
// object, so a test can make a file unreadable (root reads everything) or change it under
// the reader.
class FileContents {
public:
    virtual ~FileContents() = default;

    // Opens the file at path without following a link; anything but a regular file fails
    // with an error. sequential: the file will be read through, so the system reads ahead.
    [[nodiscard]] virtual OpenedFile open(const QByteArray& path, bool sequential) const;
    // Reads up to length bytes at offset; the count read (0 at the end) or -errno.
    virtual std::int64_t read(const OpenedFile& file, char* into, std::int64_t length,
                              std::int64_t offset) const;
    // Where the first data at or after offset begins; file size when only a hole follows.
    // A system that knows no holes reports data everywhere, which is always safe.
    [[nodiscard]] virtual std::int64_t nextData(const OpenedFile& file, std::int64_t offset) const;
    // Where the hole after the data at offset begins (the end of the file at the latest).
    [[nodiscard]] virtual std::int64_t nextHole(const OpenedFile& file, std::int64_t offset) const;
    // Size and last write now; false when they cannot be read.
    virtual bool stateNow(const OpenedFile& file, std::int64_t& size,
                          std::int64_t& modifiedNs) const;
};

}  // namespace rk
