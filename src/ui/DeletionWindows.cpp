#include "ui/DeletionWindows.h"

#include <QScreen>
#include <QWidget>

namespace rk {

const QString recycleBinNote = QStringLiteral(
    "Note that the recycle bin may be full or that you may have the \"Immediately Remove Files "
    "On Delete\" option turned on in the recycle bin. If either is true, then you will not be "
    "able to recover the deleted files from the recycle bin. \n\nSend to the recycle bin "
    "anyway?");

int scaledPixels(const QWidget* widget, int designed) {
    return int(designed * widget->logicalDpiX() / 96.0 + 0.5);
}

void centreOnScreen(QWidget* window) {
    if (QScreen* s = window->screen())
        window->move(s->availableGeometry().center() - window->rect().center());
}

}  // namespace rk
