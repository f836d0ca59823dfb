#include <gtest/gtest.h>

#include <QSignalSpy>

#include "controls/TAnimated.h"

namespace rk {
namespace {

// A strip of square frames of `side` pixels, frame k filled with colours[k], cut to `width`.
QImage strip(int side, const std::vector<QColor>& colours, int width = -1) {
    QImage img(width < 0 ? side * int(colours.size()) : width, side, QImage::Format_RGB32);
    for (int k = 0; k < int(colours.size()); ++k)
        for (int y = 0; y < side; ++y)
            for (int x = k * side; x < (k + 1) * side && x < img.width(); ++x)
                img.setPixelColor(x, y, colours[k]);
    return img;
}

QImage shot(TAnimated& a) {
    return a.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Every pixel of the control's rectangle r has colour c.
bool allOf(const QImage& img, const QRect& r, const QColor& c) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixelColor(x, y) != c) return false;
    return true;
}

TEST(TAnimated, FramesWrapAndOnlyAChangeIsAnnounced) {
    TAnimated a;
    QSignalSpy changed(&a, &TAnimated::frameChanged);
    a.setFrameCount(5);
    a.setFrame(7);
    EXPECT_EQ(a.frame(), 2);
    a.setFrame(-1);
    EXPECT_EQ(a.frame(), 4);
    a.setFrame(4);
    a.setFrame(9);  // 9 modulo 5 is the frame shown already
    EXPECT_EQ(changed.count(), 2);
    // A shorter strip brings the frame inside it.
    a.setFrameCount(3);
    EXPECT_EQ(a.frame(), 1);

    // No frames at all is one frame: nothing divides by zero, stepping stays on frame 0.
    TAnimated empty;
    empty.setFrameCount(0);
    empty.setFrame(3);
    empty.setFrame(-1);
    empty.tick();
    EXPECT_EQ(empty.frameCount(), 1);
    EXPECT_EQ(empty.frame(), 0);
}

// The frames five timer ticks show, a tick counting only while the timer runs.
std::vector<int> play(TAnimated& a, int start, bool reverse, bool loop) {
    a.setFrameCount(5);
    a.setFrame(start);
    a.setReverse(reverse);
    a.setLoop(loop);
    a.setInterval(1000);
    a.setPlay(true);
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i)
        if (a.stepping()) {
            a.tick();
            seen.push_back(a.frame());
        }
    return seen;
}

TEST(TAnimated, StepsStopAtTheEndOrWrapAround) {
    TAnimated forward, back;
    EXPECT_EQ(play(forward, 0, false, false), std::vector<int>({1, 2, 3, 4}));
    EXPECT_FALSE(forward.play());
    EXPECT_EQ(play(back, 1, true, true), std::vector<int>({0, 4, 3, 2, 1}));
    EXPECT_TRUE(back.stepping());
}

TEST(TAnimated, TimerRunsExactlyWhilePlayingWithAnInterval) {
    TAnimated a;
    std::vector<int> seen;  // the timer's interval after each order, 0 while it is stopped
    const auto order = [&](auto&& change) {
        change();
        seen.push_back(a.stepping() ? a.stepInterval() : 0);
    };
    order([&] { a.setInterval(50); });
    order([&] { a.setPlay(true); });
    order([&] { a.setInterval(0); });
    order([&] { a.setInterval(-5); });
    order([&] { a.setInterval(30); });
    order([&] { a.setPlay(false); });
    order([&] { a.setInterval(40); });
    EXPECT_EQ(seen, std::vector<int>({0, 50, 0, 0, 30, 0, 0}));
}

TEST(TAnimated, PaintsTheFrameItShowsOverItsWholeArea) {
    TAnimated a;
    EXPECT_EQ(a.size(), QSize(30, 30));
    EXPECT_TRUE(allOf(shot(a), a.rect(), Qt::white));  // no strip yet

    const std::vector<QColor> colours = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan};
    a.setFrameWidth(8);
    a.setBitMap(strip(8, colours));
    a.setFrameCount(5);
    EXPECT_EQ(a.size(), QSize(8, 8));
    for (int k = 0; k < 5; ++k) {
        a.setFrame(k);
        EXPECT_TRUE(allOf(shot(a), a.rect(), colours[k])) << k;
    }

    // A strip cut short inside the last frame: the missing columns show the control's colour.
    QPalette pal = a.palette();
    pal.setColor(a.backgroundRole(), QColor(12, 34, 56));
    a.setPalette(pal);
    a.setBitMap(strip(8, colours, 8 * 4 + 3));
    a.setFrame(4);
    const QImage cut = shot(a);
    EXPECT_TRUE(allOf(cut, QRect(0, 0, 3, 8), Qt::cyan));
    EXPECT_TRUE(allOf(cut, QRect(3, 0, 5, 8), QColor(12, 34, 56)));

    // The transparent colour shows the control's colour, black included; others stay.
    a.setBitMap(strip(8, {Qt::black, Qt::red}));
    a.setFrame(0);
    a.setTransparentColor(QColor(Qt::black));
    EXPECT_TRUE(allOf(shot(a), a.rect(), QColor(12, 34, 56)));
    a.setFrame(1);
    EXPECT_TRUE(allOf(shot(a), a.rect(), Qt::red));
    a.setFrame(0);
    a.setTransparentColor(std::nullopt);
    EXPECT_TRUE(allOf(shot(a), a.rect(), Qt::black));
}

// On a denser screen the control is larger than its frames: frames are still cut at their
// width in strip pixels, and each strip pixel becomes a block.
TEST(TAnimated, ScalesAFrameWithoutShowingItsNeighbour) {
    QImage img(4, 2, QImage::Format_RGB32);
    img.fill(Qt::green);
    img.setPixelColor(0, 0, Qt::red);  // frame 0: red then green; frame 1: all green
    img.setPixelColor(1, 0, Qt::red);
    img.setPixelColor(2, 1, Qt::blue);
    TAnimated a;
    a.setFrameWidth(2);
    a.setBitMap(img);
    a.setFrameCount(2);
    a.setFixedSize(6, 6);  // three times the designed size
    QImage s = shot(a);
    EXPECT_TRUE(allOf(s, QRect(0, 0, 6, 3), Qt::red));
    EXPECT_TRUE(allOf(s, QRect(0, 3, 6, 3), Qt::green));
    a.setFrame(1);
    s = shot(a);
    EXPECT_TRUE(allOf(s, QRect(0, 0, 6, 3), Qt::green));
    EXPECT_TRUE(allOf(s, QRect(0, 3, 3, 3), Qt::blue));
    EXPECT_TRUE(allOf(s, QRect(3, 3, 3, 3), Qt::green));
}

}  // namespace
}  // namespace rk
