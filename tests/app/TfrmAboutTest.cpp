#include <gtest/gtest.h>

#include <QTest>

#include "app/TfrmAbout.h"

namespace rk {
namespace {

// Both icons start where they should, step in their own direction and rate, and their
// strips (built into the program) are 16-colour images of five 32 x 32 frames.
TEST(TfrmAbout, AnimationsStartAndStepAsDesigned) {
    TfrmAbout about;
    TAnimated* left = about.Animated1;
    TAnimated* right = about.Animated2;
    EXPECT_EQ(left->frame(), 1);
    EXPECT_EQ(right->frame(), 4);
    EXPECT_FALSE(left->reverse());
    EXPECT_TRUE(right->reverse());
    EXPECT_EQ(left->stepInterval(), 260);
    EXPECT_EQ(right->stepInterval(), 250);
    for (TAnimated* a : {left, right}) {
        EXPECT_TRUE(a->stepping());
        EXPECT_EQ(a->bitMap().size(), QSize(160, 32));
        EXPECT_TRUE(a->bitMap().colorCount() > 0 && a->bitMap().colorCount() <= 16);
    }
    about.show();
    EXPECT_LT(left->x(), right->x());
    QTRY_COMPARE(left->frame(), 2);
    QTRY_COMPARE(right->frame(), 3);
    QTRY_COMPARE(left->frame(), 3);
    QTRY_COMPARE(right->frame(), 2);
}

}  // namespace
}  // namespace rk
