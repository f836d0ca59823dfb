#pragma once

#include <QByteArray>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace rk::test {

// A window's control as a user finds it: by its name, whatever the window keeps privately. A
// control that is not there ends the test run with its name rather than a null pointer.
template <class Control = QWidget>
Control* control(const QObject& window, const char* name) {
    auto* found = window.findChild<Control*>(QString::fromLatin1(name));
    if (!found) {
        std::fprintf(stderr, "no %s named %s in %s\n", Control::staticMetaObject.className(), name,
                     window.metaObject()->className());
        std::abort();
    }
    return found;
}

}  // namespace rk::test
