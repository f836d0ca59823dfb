#include "viewer/AsciiStrings.h"

#include <array>

#include "common/Errors.h"
#include "viewer/ViewerFile.h"

namespace rk {

namespace {

constexpr std::array<bool, 256> stringChars = [] {
    std::array<bool, 256> t{};
    for (int c = 'A'; c <= 'Z'; ++c)
        t[std::size_t(c)] = true;
    for (int c = 'a'; c <= 'z'; ++c)
        t[std::size_t(c)] = true;
    for (int c = '0'; c <= '9'; ++c)
        t[std::size_t(c)] = true;
    t[' '] = true;
    return t;
}();

}  // namespace

std::int64_t AsciiStringsScan::block(const char* data, std::int64_t size,
                                     const std::function<void(QByteArrayView)>& found) const {
    std::int64_t count = 0;
    std::int64_t runStart = 0;
    for (std::int64_t i = 0; i < size; ++i) {
        if (stringChars[static_cast<unsigned char>(data[i])]) continue;
        const std::int64_t length = i - runStart;
        if (length > minimum && length <= maximum + 1) {
            found(QByteArrayView(data + runStart, length));
            ++count;
        }
        runStart = i + 1;
    }
    return count;
}

std::int64_t AsciiStringsScan::run(ViewedFile& file,
                                   const std::function<void(QByteArrayView)>& found) const {
    char buffer[blockSize];
    std::int64_t count = 0;
    for (std::int64_t offset = 0;; offset += blockSize) {
        const std::int64_t n = file.readAt(offset, buffer, blockSize);
        if (n < 0) throw IoError(int(-n));
        count += block(buffer, n, found);
        if (n < blockSize) return count;
    }
}

std::int64_t AsciiStringsScan::run(QByteArrayView bytes,
                                   const std::function<void(QByteArrayView)>& found) const {
    std::int64_t count = 0;
    for (qsizetype offset = 0; offset < bytes.size(); offset += blockSize)
        count += block(bytes.data() + offset, std::min<qsizetype>(blockSize, bytes.size() - offset),
                       found);
    return count;
}

std::int64_t scanAsciiStrings(const QByteArray& file,
                              const std::function<void(QByteArrayView)>& found, int minimum,
                              int maximum) {
    int error = 0;
    const std::unique_ptr<ViewedFile> opened = viewedFileOpener().open(file, error);
    if (!opened) return -1;
    AsciiStringsScan scan;
    scan.minimum = minimum;
    scan.maximum = maximum;
    return scan.run(*opened, found);
}

}  // namespace rk
