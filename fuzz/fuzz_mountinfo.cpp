// The mount table as the kernel might write it, or not: parsing and classifying any text
// must neither crash nor make a drive of what it did not list (but the root folder, which is
// always a drive).
#include <QByteArray>
#include <QSet>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "platform/MountTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::vector<rk::MountEntry> mounts = rk::parseMountInfo(text);
    // Device facts drawn from the entries themselves, so every answer gets tried.
    const rk::BlockDeviceFacts facts{
        [](unsigned major, unsigned minor) { return ((major ^ minor) & 1) != 0; },
        [](const QByteArray& source) { return source.startsWith("/dev/"); }};
    QSet<QByteArray> points;
    for (const rk::MountEntry& m : mounts) {
        points.insert(m.mountPoint);
        (void)rk::classifyMount(m, facts);
    }
    const std::vector<rk::Drive> drives = rk::drivesFromMounts(mounts, facts);
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const QByteArray& point = drives[i].mountPoint;
        FUZZ_CHECK(points.contains(point) || point == "/");
        // A drive is walked by its path: it must be one the system can open as given.
        FUZZ_CHECK(point.startsWith('/') && !point.contains('\0'));
        FUZZ_CHECK(i == 0 || drives[i - 1].mountPoint < point);
    }
    return 0;
}
