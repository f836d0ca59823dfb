#pragma once

#include <QApplication>

namespace rk {

// The application object: every exception a handler lets through ends up here and is shown
// in the general error box; none may reach Qt's event loop.
class RoomkinApplication : public QApplication {
public:
    RoomkinApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace rk
