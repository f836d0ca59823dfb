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
    // QTRY_COMPARE reports to Qt Test only, so a miss would pass here; wait the gtest way.
    const auto reaches = [](TAnimated* a, int frame) {
        return QTest::qWaitFor([=] { return a->frame() == frame; });
    };
    EXPECT_TRUE(reaches(left, 2));
    EXPECT_TRUE(reaches(right, 3));
    EXPECT_TRUE(reaches(left, 3));
    EXPECT_TRUE(reaches(right, 2));
}

}  // namespace
}  // namespace rk
