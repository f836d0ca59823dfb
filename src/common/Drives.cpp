#include "common/Drives.h"

#include <QFile>

#include "common/Errors.h"
#include "common/Services.h"

namespace rk {

DriveTable::DriveTable(const Platform& platform) : drives_(platform.drives()) {
    current_ = indexOfDriveHolding(platform.currentFolder());
}

const Drive* DriveTable::find(const QString& id) const {
    const QByteArray bytes = QFile::encodeName(id);
    for (const Drive& d : drives_)
        if (d.mountPoint == bytes) return &d;
    return nullptr;
}

void DriveTable::setLastWalked(const QByteArray& mountPoint) {
    for (size_t i = 0; i < drives_.size(); ++i)
        if (drives_[i].mountPoint == mountPoint) current_ = int(i);
}

int DriveTable::indexOfDriveHolding(const QByteArray& path) const {
    int best = -1;
    qsizetype bestLength = -1;
    for (size_t i = 0; i < drives_.size(); ++i) {
        const QByteArray& mp = drives_[i].mountPoint;
        const bool holds = path == mp || mp == "/" || path.startsWith(mp + '/');
        if (holds && mp.size() > bestLength) {
            best = int(i);
            bestLength = mp.size();
        }
    }
    return best;
}

namespace {
DriveTable* theTable = nullptr;
}  // namespace

DriveTable& driveTable() {
    if (!theTable) {
        static DriveTable fallback(platform());
        theTable = &fallback;
    }
    return *theTable;
}
void setDriveTable(DriveTable* table) {
    theTable = table;
}

QString driveBoxText(const Drive& drive, bool upperCase) {
    const QString label = upperCase ? drive.label.toUpper() : drive.label.toLower();
    const QString bracketed = QStringLiteral("[%1]").arg(label);
    switch (drive.type) {
        case DriveType::Removable:
            return drive.caption();
        case DriveType::Remote:
            return drive.caption() + QLatin1Char(' ') +
                   (drive.networkName.isEmpty() ? bracketed : drive.networkName);
        default:
            return drive.caption() + QLatin1Char(' ') + bracketed;
    }
}

bool IsDriveReady(const QString& id) {
    const Drive* drive = driveTable().find(id);
    if (!drive) throw Error(QStringLiteral("Not a valid drive ID"));
    return platform().driveSpace(drive->mountPoint).has_value();
}

int EntryKind(const SearchRecord& record) {
    if (record.isDotEntry()) return 1;
    return record.isDirectory() ? 0 : 2;
}

}  // namespace rk
