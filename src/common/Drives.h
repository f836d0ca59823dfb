#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "platform/Platform.h"

namespace rk {

// The drives the tools offer, read once from the platform, and the drive a tool opened next
// offers checked: at first the one holding the program's current folder, after a walk the
// last drive walked.
class DriveTable {
public:
    explicit DriveTable(const Platform& platform);

    [[nodiscard]] const std::vector<Drive>& drives() const { return drives_; }
    [[nodiscard]] const Drive* find(const QString& id) const;
    // Index of the current drive, or -1 when no drive holds it.
    [[nodiscard]] int currentIndex() const { return current_; }
    void setLastWalked(const QByteArray& mountPoint);

    // The drive holding a path: the one with the longest mount point that contains it.
    [[nodiscard]] int indexOfDriveHolding(const QByteArray& path) const;

private:
    std::vector<Drive> drives_;
    int current_ = -1;
};

// The table every window uses; set up at start-up (and by tests).
[[nodiscard]] DriveTable& driveTable();
void setDriveTable(DriveTable* table);

// A drive box entry: the mount point, then for fixed, CD-ROM and RAM drives the label in
// brackets, for a remote drive its network name. upperCase applies to the label only: mount
// points are paths and keep their case.
[[nodiscard]] QString driveBoxText(const Drive& drive, bool upperCase);

// True when the drive's size can be read. Throws "Not a valid drive ID" for an ID that
// names no drive.
[[nodiscard]] bool IsDriveReady(const QString& id);

// 1 for "." and "..", 0 for a real sub-folder, 2 for anything else.
[[nodiscard]] int EntryKind(const SearchRecord& record);

}  // namespace rk
