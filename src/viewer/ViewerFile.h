#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

#include "common/Errors.h"

namespace rk {

// What the viewer knows of an open file: enough to tell that it changed under us.
struct ViewedFileStatus {
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;  // last write, nanoseconds
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const ViewedFileStatus&, const ViewedFileStatus&) = default;
};

// One open file, read by position only: nothing is mapped (a mapped file that shrinks kills
// the program) and no file position is shared.
class ViewedFile {
public:
    virtual ~ViewedFile() = default;
    // Reads up to length bytes at offset; returns the count read (fewer only at the end of
    // the file) or minus the system's error number. Interrupted reads are retried.
    virtual std::int64_t readAt(std::int64_t offset, char* buffer, std::int64_t length) = 0;
    // The same into several buffers in one call, filling each in turn.
    virtual std::int64_t readAt(std::int64_t offset, char* const* buffers, int count,
                                std::int64_t each);
    // The file's status now, or minus the system's error number in size.
    virtual int status(ViewedFileStatus& status) = 0;
};

// Opens files for the viewer and the strings scan: tests stand readers of their own in its
// place that read short, fail or shrink.
class ViewedFileOpener {
public:
    virtual ~ViewedFileOpener() = default;
    // The open file, or null with error set to the system's error number. Only regular files
    // are opened: anything else gives EINVAL (a FIFO or device is never read).
    virtual std::unique_ptr<ViewedFile> open(const QByteArray& path, int& error) const = 0;
};

// The opener of the real file system: opens without blocking (a FIFO must not hang the
// program), checks the descriptor's type, reads with pread. A file of size 0 that yields
// bytes anyway (as those of /proc do) is read once as a snapshot of at most 16 MiB.
class LinuxFileOpener : public ViewedFileOpener {
public:
    std::unique_ptr<ViewedFile> open(const QByteArray& path, int& error) const override;
};

// The opener the program uses; tests may install their own.
[[nodiscard]] const ViewedFileOpener& viewedFileOpener();
void setViewedFileOpener(const ViewedFileOpener* opener);

// The message for a file the viewer could not open or read, by the error's meaning.
[[nodiscard]] QString viewerErrorText(int errorNumber);

// The largest snapshot taken of a file that reports no size.
constexpr std::int64_t snapshotLimit = 16 << 20;

}  // namespace rk

namespace rk {

// A file the viewer could not open or read: the message is chosen by the error's meaning.
class ViewerError : public Error {
public:
    explicit ViewerError(int errorNumber)
        : Error(viewerErrorText(errorNumber)), errorNumber_(errorNumber) {}
    [[nodiscard]] int errorNumber() const { return errorNumber_; }

private:
    int errorNumber_;
};

}  // namespace rk
