#include "InstalledPlatform.h"

namespace rk {

namespace {
Platform* installed = nullptr;
}  // namespace

Platform& platform() {
    if (!installed) std::abort();  // the suite's environment installs one first
    return *installed;
}
void setPlatform(Platform* p) {
    installed = p;
}

}  // namespace rk

namespace rk::test {

InstalledPlatform::InstalledPlatform(std::vector<QByteArray> drives)
    : previousPlatform_(&rk::platform()) {
    reset(std::move(drives));
}

InstalledPlatform::~InstalledPlatform() {
    setPlatform(previousPlatform_);
}

void InstalledPlatform::reset(std::vector<QByteArray> drives) {
    auto next = std::make_unique<TestPlatform>(std::move(drives));
    setPlatform(next.get());
    platform_ = std::move(next);
    reloadDrives();
}

void InstalledPlatform::reloadDrives() {
    table_ = std::make_unique<DriveTable>(*platform_);
}

}  // namespace rk::test
