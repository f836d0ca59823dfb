#include "app/RoomkinApplication.h"

#include <QIcon>
#include <exception>

#include "app/Version.h"

#include "common/Messages.h"

namespace rk {

RoomkinApplication::RoomkinApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("roomkin"));
    setApplicationVersion(QLatin1String(kVersion));
    // An installed program's windows take the icon of its desktop entry.
    setDesktopFileName(QLatin1String(kDesktopId));
    setWindowIcon(QIcon::fromTheme(QLatin1String(kDesktopId)));
}

bool RoomkinApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowGeneralError(std::current_exception());
    }
    return false;
}

}  // namespace rk
