#include "common/Drives.h"

#include <algorithm>

#include "common/Errors.h"
#include "platform/SplitPath.h"

namespace rk {

DriveTable::DriveTable(const Platform& platform)
    : platform_(&platform), startFolder_(platform.currentFolder()) {
    reload();
}

void DriveTable::reload() {
    drives_ = platform_->drives();
    current_ = indexOfDriveHolding(startFolder_);
}

int DriveTable::indexOf(const QByteArray& mountPoint) const {
    for (size_t i = 0; i < drives_.size(); ++i)
        if (drives_[i].mountPoint == mountPoint) return int(i);
    return -1;
}

const Drive* DriveTable::find(const QByteArray& mountPoint) const {
    const int i = indexOf(mountPoint);
    return i < 0 ? nullptr : &drives_[std::size_t(i)];
}

int DriveTable::indexOfDriveHolding(const QByteArray& path) const {
    int best = -1;
    qsizetype bestLength = -1;
    for (size_t i = 0; i < drives_.size(); ++i) {
        const QByteArray& mp = drives_[i].mountPoint;
        if (folderHolds(mp, path) && mp.size() > bestLength) {
            best = int(i);
            bestLength = mp.size();
        }
    }
    return best;
}

QString driveBoxText(const Drive& drive, bool upperCase) {
    // Most file systems have no label: their mount point says all there is, without "[]".
    const QString label = upperCase ? drive.label.toUpper() : drive.label.toLower();
    const QString bracketed = label.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(label);
    switch (drive.type) {
        case DriveType::Removable:
            return drive.caption();
        case DriveType::Remote:
            return drive.networkName.isEmpty()
                       ? drive.caption() + bracketed
                       : drive.caption() + QLatin1Char(' ') + drive.networkName;
        default:
            return drive.caption() + bracketed;
    }
}

bool IsDriveReady(const Platform& platform, const std::vector<Drive>& known,
                  const QByteArray& mountPoint) {
    // Asked afresh: a stick unmounted since the window opened leaves an empty folder whose
    // size would be that of the drive below it.
    const std::vector<Drive> present = platform.drives();
    const auto here = [&](const Drive& d) { return d.mountPoint == mountPoint; };
    if (std::none_of(present.begin(), present.end(), here)) {
        if (std::none_of(known.begin(), known.end(), here))
            throw Error(QStringLiteral("Not a valid drive ID"));
        return false;
    }
    return platform.driveSpace(mountPoint).has_value();
}

int EntryKind(const SearchRecord& record) {
    if (record.isDotEntry()) return 1;
    return record.isDirectory() ? 0 : 2;
}

}  // namespace rk
