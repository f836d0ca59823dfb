#include "controls/TAnimated.h"

#include <QPainter>
#include <algorithm>

#include "ui/DeletionWindows.h"

namespace rk {

TAnimated::TAnimated(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    connect(&timer_, &QTimer::timeout, this, &TAnimated::tick);
    updateSize();
}

void TAnimated::setBitMap(const QImage& strip) {
    bitMap_ = strip.copy();
    designedHeight_ = bitMap_.height() > 0 ? bitMap_.height() : 30;
    updateSize();
    update();
}

void TAnimated::setFrameCount(int count) {
    frameCount_ = std::max(1, count);
    setFrame(frame_);
}

void TAnimated::setFrame(int value) {
    const int next = value < 0 ? frameCount_ - 1 : value % frameCount_;
    if (next == frame_) return;
    frame_ = next;
    emit frameChanged(frame_);
    update();
}

void TAnimated::setFrameWidth(int width) {
    frameWidth_ = std::max(1, width);
    updateSize();
    update();
}

void TAnimated::setInterval(int milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    updateTimer();
}

void TAnimated::setPlay(bool on) {
    if (on == play_) return;
    play_ = on;
    updateTimer();
}

void TAnimated::setTransparentColor(std::optional<QColor> colour) {
    if (colour == transparent_) return;
    transparent_ = colour;
    update();
}

void TAnimated::updateTimer() {
    if (play_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}

void TAnimated::tick() {
    bool atEnd;
    if (reverse_) {
        setFrame(frame_ - 1);
        atEnd = frame_ == 0;
    } else {
        setFrame(frame_ + 1);
        atEnd = frame_ == frameCount_ - 1;
    }
    if (atEnd && !loop_) setPlay(false);
}

void TAnimated::updateSize() {
    setFixedSize(scaledPixels(this, frameWidth_), scaledPixels(this, designedHeight_));
}

void TAnimated::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (bitMap_.height() <= 0) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    const QColor back = palette().color(backgroundRole());
    // Where the strip ends inside the frame the control shows its colour, not what was there.
    painter.fillRect(rect(), back);
    const QRect source =
        QRect(frameWidth_ * frame_, 0, frameWidth_, bitMap_.height()).intersected(bitMap_.rect());
    if (source.isEmpty()) return;
    QImage shown = bitMap_.copy(source).convertToFormat(QImage::Format_RGB32);
    if (transparent_) {
        const QRgb key = transparent_->rgb() & RGB_MASK;
        const QRgb fill = back.rgb();
        for (int y = 0; y < shown.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
            for (int x = 0; x < shown.width(); ++x)
                if ((line[x] & RGB_MASK) == key) line[x] = fill;
        }
    }
    // Strip pixels to control pixels, each shown as a block (no smoothing).
    const double sx = double(width()) / frameWidth_;
    const double sy = double(height()) / bitMap_.height();
    const int left = source.left() - frameWidth_ * frame_;
    const QRectF target(left * sx, 0, source.width() * sx, source.height() * sy);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, shown);
}

}  // namespace rk
