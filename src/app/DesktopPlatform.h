#pragma once

#include "platform/LinuxPlatform.h"

namespace rk {

// The Linux platform with the desktop's beep.
class DesktopPlatform : public LinuxPlatform {
public:
    using LinuxPlatform::LinuxPlatform;
    void beep(Beep kind) const override;
};

}  // namespace rk
