#include "app/DesktopPlatform.h"

#include <QApplication>

namespace rk {

void DesktopPlatform::beep(Beep) const {
    QApplication::beep();
}

}  // namespace rk
