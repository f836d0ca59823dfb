#include "app/RoomkinApplication.h"

#include <QIcon>
#include <exception>

#include "app/Version.h"

#include "common/Errors.h"
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
    } catch (const Error& e) {
        ShowGeneralError(e.message());
    } catch (const std::exception& e) {
        ShowGeneralError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowGeneralError(QStringLiteral("Unknown error"));
    }
    return false;
}

}  // namespace rk
