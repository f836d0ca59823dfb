#pragma once

#include <QByteArray>
#include <cstdint>

namespace rk {

// Attribute bits of a listing entry; see attributesOf() for their meaning on Linux.
enum Attribute : std::uint8_t {
    attrReadOnly = 1,
    attrHidden = 2,
    attrSystem = 4,
    attrVolumeLabel = 8,
    attrDirectory = 16,
    attrArchive = 32,
};
constexpr int includeEverything = 63;
constexpr int includeWalk = 16;  // folders and ordinary files

// Packed file time: DOS date in the high 16 bits, time in the low 16, local time; 0 = none.
using PackedTime = std::uint32_t;

// The platform's own time stamps of an entry, seconds since the epoch (UTC).
// creation is 0 where the file system records no birth time.
struct RawTimes {
    std::int64_t access = 0;
    std::int64_t creation = 0;
    std::int64_t write = 0;
};

// What a listing yields per entry. A walk holds one of these per entry of each folder on
// its current path, so it stays small: the name's bytes live on the heap, the rest is flat.
struct SearchRecord {
    QByteArray name;        // exact bytes as the system returned them
    std::int64_t size = 0;  // length in bytes; 64-bit, files of 2 GB and more are ordinary
    // Room on disk in bytes (allocated blocks x 512): what deleting the last link frees. It
    // differs from the length for sparse files, small files and compressed file systems.
    std::int64_t room = 0;
    RawTimes raw;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // When the entry last changed in any way (contents, links, owner, permissions), in
    // nanoseconds; users cannot set it back. With the nanoseconds of the last write, it tells
    // a file rewritten in place within one second, or given its old time again.
    std::int64_t changeNs = 0;
    std::uint32_t links = 1;
    PackedTime time = 0;        // last write, packed
    std::uint32_t writeNs = 0;  // the nanoseconds of the last write within raw.write's second
    std::uint8_t attributes = 0;
    // Another file system is mounted here, or will be when the entry is opened (an automount
    // point): a walk does not open it, so as not to mount anything.
    bool isMountPoint = false;

    [[nodiscard]] bool isDirectory() const { return attributes & attrDirectory; }
    [[nodiscard]] bool isDotEntry() const {
        const qsizetype n = name.size();
        const char* c = name.constData();
        return (n == 1 || n == 2) && c[0] == '.' && (n == 1 || c[1] == '.');
    }
};

}  // namespace rk
