#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>

#include "app/TfrmAbout.h"
#include "app/TfrmMain.h"
#include "controls/GradientBack.h"
#include "support/TestServices.h"

namespace rk {
namespace {

// The ramp index of a pixel, or -1 when the colour is on neither ramp or not on the one asked.
int rampIndex(const QColor& c, bool allBlue) {
    if (c.green() != 0) return -1;
    if (allBlue) return c.red() == 0 ? 255 - c.blue() : -1;
    return c.red() + c.blue() == 255 ? c.red() : -1;
}

// Every row of the gradient is one ramp colour across its width, the index never decreases
// downwards, and on a window of some height the ramp runs to its end at the bottom (a strip a
// few pixels high shows only the bands that start inside it).
void expectRamp(QWidget& back, bool allBlue) {
    const QImage img = back.grab().toImage();
    ASSERT_EQ(img.height(), back.height());
    int last = 0;
    for (int y = 0; y < img.height(); ++y) {
        const int i = rampIndex(img.pixelColor(0, y), allBlue);
        ASSERT_GE(i, 0) << "row " << y << " of " << img.height();
        ASSERT_EQ(img.pixelColor(img.width() - 1, y), img.pixelColor(0, y)) << "row " << y;
        ASSERT_GE(i, last) << "row " << y << " of " << img.height();
        last = i;
    }
    if (img.height() >= 100) {
        EXPECT_GE(last, 254) << "height " << img.height();
    }
}

TEST(GradientBack, FillsEveryRowWithARisingRampAtAnyHeight) {
    for (bool allBlue : {true, false})
        for (int h : {1, 100, 255, 256, 373, 1000}) {
            QWidget parent;
            parent.resize(40, h);
            GradientBack back(&parent);
            back.setIsAllBlue(allBlue);
            SCOPED_TRACE(h);
            expectRamp(back, allBlue);
        }
}

TEST(GradientBack, RefillsItsParentAfterAResize) {
    QWidget parent;
    parent.resize(40, 100);
    auto* back = new GradientBack(&parent);
    parent.show();
    parent.resize(70, 373);
    QApplication::processEvents();
    EXPECT_EQ(back->geometry(), parent.rect());
    expectRamp(*back, false);
}

// The gradient shows behind the windows' controls: bright at the top, dark blue (main window)
// or red (about box) at the bottom.
TEST(GradientBack, MainWindowIsAllBlueAndTheAboutBoxBlueToRed) {
    test::TestServices installed;
    TfrmMain w(installed.services());
    const QImage main = w.grab().toImage();
    EXPECT_LE(rampIndex(main.pixelColor(2, 2), true), 5);
    EXPECT_GE(rampIndex(main.pixelColor(2, main.height() - 3), true), 250);

    TfrmAbout about;
    const QImage box = about.grab().toImage();
    EXPECT_LE(rampIndex(box.pixelColor(2, 2), false), 5);
    EXPECT_GE(rampIndex(box.pixelColor(2, box.height() - 3), false), 245);
}

}  // namespace
}  // namespace rk
