#include "app/RoomkinApplication.h"

#include <exception>

#include "common/Errors.h"
#include "common/Messages.h"

namespace rk {

RoomkinApplication::RoomkinApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("roomkin"));
    setApplicationVersion(QStringLiteral("2.2"));
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
