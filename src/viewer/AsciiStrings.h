#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <functional>

namespace rk {

class ViewedFile;

// The readable runs of a file: letters, digits and blanks. The file is read in whole blocks
// of 2,048 bytes and a run never continues from one block into the next; a run is listed when
// a byte of another kind ends it within its block and it holds more than minimum and at most
// maximum + 1 characters (6 to 101 for the strings window's 5 and 100). A run at the very end
// of the file is not listed.
struct AsciiStringsScan {
    static constexpr int blockSize = 2048;
    int minimum = 5;
    int maximum = 100;

    // Calls found for each string, in file order; returns how many were found. Interrupted
    // reads are retried and a short read is the end; a failed read raises ViewerError after
    // what came before it has been passed on.
    std::int64_t run(ViewedFile& file, const std::function<void(QByteArrayView)>& found) const;
    // The same over bytes in memory, as one file.
    std::int64_t run(QByteArrayView bytes, const std::function<void(QByteArrayView)>& found) const;

private:
    std::int64_t block(const char* data, std::int64_t size,
                       const std::function<void(QByteArrayView)>& found) const;
};

// Opens the file (regular files only, without blocking) and passes each string it holds to
// found. A file that cannot be opened gives -1, for the caller to tell; otherwise the number
// of strings. A failed read raises IoError.
std::int64_t scanAsciiStrings(const QByteArray& file,
                              const std::function<void(QByteArrayView)>& found, int minimum,
                              int maximum);

}  // namespace rk
