#pragma once

#include <QColor>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <optional>

namespace rk {

// An icon-sized animation: shows one frame of a horizontal strip at a time, stepped by a
// timer. Frame k is the strip's columns k × frameWidth() to (k + 1) × frameWidth(), measured
// in strip pixels; the control shows it scaled to its own size (designed at 96 dpi), pixel
// for pixel, so a strip drawn for 32 × 32 shows the same frame on any screen. It paints its
// whole area and takes no input. A timer runs only while the animation plays with an
// interval above 0.
class TAnimated : public QWidget {
    Q_OBJECT
public:
    explicit TAnimated(QWidget* parent = nullptr);

    [[nodiscard]] const QImage& bitMap() const { return bitMap_; }
    // Keeps a copy; the control's height follows the strip's (30 for an empty strip).
    void setBitMap(const QImage& strip);

    [[nodiscard]] int frameCount() const { return frameCount_; }
    // At least 1, so that stepping and the frame arithmetic never divide by zero.
    void setFrameCount(int count);

    [[nodiscard]] int frame() const { return frame_; }
    // A negative frame is the last one; any other is taken modulo frameCount().
    void setFrame(int value);

    // The width of a frame in strip pixels, and the control's designed width (default 30).
    [[nodiscard]] int frameWidth() const { return frameWidth_; }
    void setFrameWidth(int width);

    [[nodiscard]] int interval() const { return interval_; }
    void setInterval(int milliseconds);  // 0 or less: no stepping
    [[nodiscard]] bool play() const { return play_; }
    void setPlay(bool on);
    [[nodiscard]] bool reverse() const { return reverse_; }
    void setReverse(bool on) { reverse_ = on; }
    [[nodiscard]] bool loop() const { return loop_; }
    void setLoop(bool on) { loop_ = on; }  // false: stop at the last (or, reversed, first) frame

    // Pixels of this colour show the control's background instead; none by default. Black is
    // a colour like any other here, not "none".
    [[nodiscard]] std::optional<QColor> transparentColor() const { return transparent_; }
    void setTransparentColor(std::optional<QColor> colour);

    [[nodiscard]] bool stepping() const { return timer_.isActive(); }
    [[nodiscard]] int stepInterval() const { return timer_.interval(); }

    // One step of the timer: the next frame (the previous one when reversed); at the end of
    // the strip, without looping, the animation stops.
    void tick();

signals:
    void frameChanged(int frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateTimer();
    void updateSize();

    QImage bitMap_;
    int frameCount_ = 1;
    int frame_ = 0;
    int frameWidth_ = 30;
    int designedHeight_ = 30;
    int interval_ = 0;
    bool play_ = false;
    bool reverse_ = false;
    bool loop_ = true;
    std::optional<QColor> transparent_;
    // Stopped, never deleted, when stepping ends: the end is found inside its own tick.
    QTimer timer_;
};

}  // namespace rk
