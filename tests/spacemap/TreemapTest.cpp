#include <gtest/gtest.h>

#include <random>

#include "spacemap/Treemap.h"

namespace rk {
namespace {

// Checks what every layout must hold: each rectangle inside the area with an area in
// proportion to its weight (within a pixel's rounding along its sides), none overlapping
// another, and together the whole area.
void expectTiling(const std::vector<std::int64_t>& weights, const QRectF& area) {
    const std::vector<QRectF> rects = squarify(weights, area);
    ASSERT_EQ(rects.size(), weights.size());
    double total = 0;
    for (const std::int64_t w : weights)
        total += double(std::max<std::int64_t>(w, 0));
    double covered = 0;
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const QRectF& r = rects[i];
        const double expected =
            double(std::max<std::int64_t>(weights[i], 0)) / total * area.width() * area.height();
        EXPECT_NEAR(r.width() * r.height(), expected, r.width() + r.height() + 1e-6) << i;
        EXPECT_GE(r.left(), area.left() - 1e-9);
        EXPECT_GE(r.top(), area.top() - 1e-9);
        EXPECT_LE(r.right(), area.right() + 1e-6);
        EXPECT_LE(r.bottom(), area.bottom() + 1e-6);
        covered += r.width() * r.height();
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            const QRectF overlap = r.intersected(rects[j]);
            EXPECT_LT(overlap.width() * overlap.height(), 1e-6) << i << " and " << j;
        }
    }
    EXPECT_NEAR(covered, area.width() * area.height(), 1e-6 * area.width() * area.height());
}

TEST(Treemap, RectanglesTileTheAreaInProportionWithoutOverlaps) {
    expectTiling({1}, QRectF(0, 0, 640, 480));
    expectTiling({5, 4, 3, 2, 1}, QRectF(10, 20, 300, 200));
    expectTiling({1000000000000, 1, 1}, QRectF(0, 0, 800, 600));  // slivers still tile
    expectTiling({6, 6, 4, 3, 2, 2, 1}, QRectF(0, 0, 600, 400));
    std::mt19937 random(7);
    std::vector<std::int64_t> many(2000);
    for (std::int64_t& w : many)
        w = std::int64_t(random() % 1000000) + 1;
    std::sort(many.rbegin(), many.rend());
    expectTiling(many, QRectF(0, 0, 1920, 1080));
}

TEST(Treemap, EqualWeightsComeOutNearSquare) {
    // Sixteen equal weights in a square: a four by four grid.
    EXPECT_NEAR(worstAspect(squarify(std::vector<std::int64_t>(16, 10), QRectF(0, 0, 400, 400))),
                1.0, 1e-9);
    // Many mixed weights in a wide area still give rectangles far from slivers.
    std::vector<std::int64_t> mixed;
    for (int i = 1; i <= 200; ++i)
        mixed.push_back(10000 / i);
    EXPECT_LT(worstAspect(squarify(mixed, QRectF(0, 0, 1600, 900))), 3.0);
}

TEST(Treemap, NothingToShowGivesEmptyRectangles) {
    const QRectF area(5, 5, 100, 50);
    for (const QRectF& r : squarify({0, 0}, area))
        EXPECT_TRUE(r.isEmpty());
    const std::vector<QRectF> some = squarify({10, 0}, area);
    EXPECT_EQ(some[0], area);
    EXPECT_TRUE(some[1].isEmpty());
    for (const QRectF& r : squarify({3, 2}, QRectF(0, 0, 0, 100)))
        EXPECT_TRUE(r.isEmpty());
}

}  // namespace
}  // namespace rk
