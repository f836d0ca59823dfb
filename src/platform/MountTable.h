#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "platform/Platform.h"

namespace rk {

// One line of /proc/self/mountinfo.
struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    QByteArray root;        // the mount's root within its file system
    QByteArray mountPoint;  // unescaped
    QString fileSystem;
    QByteArray source;  // unescaped
};

[[nodiscard]] std::vector<MountEntry> parseMountInfo(const QByteArray& text);

// What the classification needs to know about block devices, so it can be tested without
// real hardware.
struct BlockDeviceFacts {
    std::function<bool(unsigned major, unsigned minor)> isRemovable;  // removable flag or USB
    std::function<bool(const QByteArray& source)> isBlockDevice;
};

// The drive type of a mount, or nothing when the mount is not a drive.
[[nodiscard]] std::optional<DriveType> classifyMount(const MountEntry& mount,
                                                     const BlockDeviceFacts& facts);

// The drives of a mount table: classified, a later mount over the same point hiding the
// earlier one, sorted by mount path; "/" is among them even when the table lacks it. Labels
// and devices are left to the caller.
[[nodiscard]] std::vector<Drive> drivesFromMounts(const std::vector<MountEntry>& mounts,
                                                  const BlockDeviceFacts& facts);

}  // namespace rk
