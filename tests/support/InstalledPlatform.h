#pragma once

#include <QByteArray>
#include <memory>
#include <vector>

#include "TestPlatform.h"
#include "common/Drives.h"

namespace rk {

// The platform a test works on when it names none: the suite installs one, a test may install
// its own (PlatformScope, InstalledPlatform). The program has no such global: its parts are
// handed their platform.
[[nodiscard]] Platform& platform();
void setPlatform(Platform* platform);

}  // namespace rk

namespace rk::test {

// Makes a test platform whose only drives are the given folders the one the core's deletions
// use, with a drive table of its own, until it goes out of scope; then the previous one returns.
class InstalledPlatform {
public:
    explicit InstalledPlatform(std::vector<QByteArray> drives);
    ~InstalledPlatform();
    InstalledPlatform(const InstalledPlatform&) = delete;
    InstalledPlatform& operator=(const InstalledPlatform&) = delete;

    // Starts again with other drives; the drive table is read anew.
    void reset(std::vector<QByteArray> drives);
    // Reads the drive table anew, after the platform's current folder changed.
    void reloadDrives();

    [[nodiscard]] TestPlatform& platform() { return *platform_; }
    [[nodiscard]] DriveTable& table() { return *table_; }

private:
    std::unique_ptr<TestPlatform> platform_;
    std::unique_ptr<DriveTable> table_;
    Platform* previousPlatform_;
};

}  // namespace rk::test
