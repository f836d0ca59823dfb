#pragma once

#include <QImage>
#include <QRectF>
#include <array>

namespace rk {

// Draws the map's rectangles straight into an image's pixels. A map of a whole drive is tens
// of thousands of rectangles, most of them shaded: written here a row at a time from a table
// of shades, they cost a fraction of what the painter's gradients cost. Every edge rounds to
// the nearest pixel the same way, so rectangles that meet leave no gap and never overlap.
class MapCanvas {
public:
    // Lit from the upper left: the lightest shade first, the base colour at the middle.
    static constexpr std::size_t shadeCount = 64;
    static constexpr std::size_t baseShade = shadeCount / 2;
    using Shades = std::array<QRgb, shadeCount>;

    // The image's pixels stand for its device pixel ratio's logical pixels each.
    explicit MapCanvas(QImage& image);

    [[nodiscard]] static Shades cushion(const QColor& base);

    void fill(const QRectF& rect, QRgb colour);
    // Shaded along the diagonal, from the top left corner to the bottom right one.
    void shade(const QRectF& rect, const Shades& shades);
    // A line one pixel wide just inside the rectangle's edges.
    void frame(const QRectF& rect, QRgb colour);

private:
    // The device pixels a rectangle covers, clipped to the image; empty when none.
    [[nodiscard]] QRect pixels(const QRectF& rect) const;
    void fillPixels(const QRect& pixels, QRgb colour);

    QImage& image_;
    double ratio_;
};

}  // namespace rk
