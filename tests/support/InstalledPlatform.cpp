#include "InstalledPlatform.h"

#include "common/Services.h"

namespace rk::test {

InstalledPlatform::InstalledPlatform(std::vector<QByteArray> drives)
    : previousPlatform_(&rk::platform()), previousTable_(&driveTable()) {
    reset(std::move(drives));
}

InstalledPlatform::~InstalledPlatform() {
    setDriveTable(previousTable_);
    setPlatform(previousPlatform_);
}

void InstalledPlatform::reset(std::vector<QByteArray> drives) {
    auto next = std::make_unique<TestPlatform>(std::move(drives));
    setPlatform(next.get());
    platform_ = std::move(next);
    reloadDrives();
}

void InstalledPlatform::reloadDrives() {
    auto next = std::make_unique<DriveTable>(*platform_);
    setDriveTable(next.get());
    table_ = std::move(next);
}

}  // namespace rk::test
