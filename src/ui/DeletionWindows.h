#pragma once

#include <QString>

class QWidget;

namespace rk {

// The note both deletion windows ask before anything goes to the recycle bin.
extern const QString recycleBinNote;

// A size designed at 96 pixels per inch, scaled to the widget's screen.
[[nodiscard]] int scaledPixels(const QWidget* widget, int designed);

// Places a window in the middle of its screen.
void centreOnScreen(QWidget* window);

}  // namespace rk
