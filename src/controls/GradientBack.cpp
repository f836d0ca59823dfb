#include "controls/GradientBack.h"

#include <QEvent>
#include <QPainter>
#include <cmath>

namespace rk {

GradientBack::GradientBack(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    lower();
    if (parent) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
    }
}

QColor GradientBack::colour(int i) const {
    return isAllBlue_ ? QColor(0, 0, 255 - i) : QColor(i, 0, 255 - i);
}

bool GradientBack::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void GradientBack::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Bands of height step + 1, so that neighbours overlap by about a pixel and leave no gap.
    const float step = float(height()) / 255.0f;
    const int band = int(std::nearbyint(step + 1.0f));
    int y = 0;
    for (int i = 0; i < 256; ++i) {
        painter.fillRect(0, y, width(), band, colour(i));
        y = int(std::nearbyint(float(i) * step));
    }
}

}  // namespace rk
