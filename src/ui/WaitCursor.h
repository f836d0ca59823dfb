#pragma once

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace rk {

// The hourglass for as long as this object lives. Does nothing without a window system, so
// the command-line reports may run the same services.
class WaitCursor {
public:
    WaitCursor() : active_(qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (active_) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~WaitCursor() { restore(); }
    // Restores the cursor before the object ends, say before a message box.
    void restore() {
        if (active_) QGuiApplication::restoreOverrideCursor();
        active_ = false;
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool active_;
};

}  // namespace rk
