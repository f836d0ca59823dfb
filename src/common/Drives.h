#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "platform/Platform.h"

namespace rk {

// The drives the tools offer, as the platform last reported them, and the drive a tool offers
// checked: the one holding the folder the program was started in, the same all through a run
// whatever the scans walked since. Drives come and go while the program runs (a USB stick is
// plugged in), so each window re-reads the table when it opens.
class DriveTable {
public:
    // The platform outlives the table. The start folder is the platform's current folder when
    // the table is made, at start-up.
    explicit DriveTable(const Platform& platform);

    // Reads the drives afresh from the platform.
    void reload();

    [[nodiscard]] const std::vector<Drive>& drives() const { return drives_; }
    // The drive of exactly these mount-point bytes, or null.
    [[nodiscard]] const Drive* find(const QByteArray& mountPoint) const;
    // Index of the drive holding the start folder, or -1 when no drive holds it.
    [[nodiscard]] int currentIndex() const { return current_; }
    [[nodiscard]] const QByteArray& startFolder() const { return startFolder_; }

    // The drive holding a path: the one with the longest mount point that contains it.
    [[nodiscard]] int indexOfDriveHolding(const QByteArray& path) const;

private:
    [[nodiscard]] int indexOf(const QByteArray& mountPoint) const;

    const Platform* platform_;
    std::vector<Drive> drives_;
    QByteArray startFolder_;
    int current_ = -1;
};

// A drive box entry: the mount point, then for fixed, CD-ROM and RAM drives the label in
// brackets, for a remote drive its network name. upperCase applies to the label only: mount
// points are paths and keep their case.
[[nodiscard]] QString driveBoxText(const Drive& drive, bool upperCase);

// True when the drive at these exact mount-point bytes is still there and its size can be
// read; false for a known drive (one of the table the user chose from) that has gone since.
// Throws "Not a valid drive ID" for a mount point that names no drive.
[[nodiscard]] bool IsDriveReady(const Platform& platform, const std::vector<Drive>& known,
                                const QByteArray& mountPoint);

// 1 for "." and "..", 0 for a real sub-folder, 2 for anything else.
[[nodiscard]] int EntryKind(const SearchRecord& record);

}  // namespace rk
