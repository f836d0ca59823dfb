#include "ui/DeletionWindows.h"

#include <QScreen>
#include <QWidget>

namespace rk {

const QString recycleBinNote = QStringLiteral(
    "Note that the files go to the trash, from which your file manager can restore them. They "
    "go on taking up room on the drive until the trash is emptied, and once it is emptied you "
    "will not be able to recover them. \n\nSend to the recycle bin anyway?");

int scaledPixels(const QWidget* widget, int designed) {
    return int(designed * widget->logicalDpiX() / 96.0 + 0.5);
}

void centreOnScreen(QWidget* window) {
    if (QScreen* s = window->screen())
        window->move(s->availableGeometry().center() - window->rect().center());
}

}  // namespace rk
