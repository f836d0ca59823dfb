#pragma once

#include <QCoreApplication>
#include <QStringList>
#include <QWidget>

namespace rk::test {

// Brings the window to its smallest size and names each of the widgets that is shown
// narrower than its text needs.
inline QStringList cutAtSmallest(QWidget& window, const QList<QWidget*>& widgets) {
    window.resize(window.minimumSize());
    QCoreApplication::processEvents();
    QStringList cut;
    for (QWidget* w : widgets)
        if (w->isVisible() && w->width() < w->sizeHint().width()) cut.append(w->objectName());
    return cut;
}

}  // namespace rk::test
