#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <map>

#include "spacemap/MapCanvas.h"
#include "spacemap/SpaceMapView.h"
#include "spacemap/Treemap.h"

namespace rk {
namespace {

// A squarified layout drawn on the canvas covers its area exactly, at whole and fractional
// pixel ratios: no pixel left in the background's colour, and each rectangle's share of the
// pixels in proportion to its weight.
TEST(MapCanvas, LaidOutRectanglesCoverTheAreaOnceWithoutGaps) {
    const std::vector<std::int64_t> weights{9000, 5000, 2500, 2400, 700, 333, 90, 41, 7, 3};
    for (const double ratio : {1.0, 1.5, 2.0}) {
        QImage image(int(301 * ratio), int(187 * ratio), QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        const std::vector<QRectF> rects = squarify(weights, QRectF(0, 0, 301, 187));
        std::map<QRgb, int> painted;
        {
            MapCanvas canvas(image);
            for (std::size_t i = 0; i < rects.size(); ++i)
                canvas.fill(rects[i], qRgb(int(i) + 1, 0, 0));
        }
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ++painted[image.pixel(x, y)];
        EXPECT_EQ(painted.count(qRgb(0, 0, 0)), 0U) << "ratio " << ratio;
        // Each rectangle's pixels in proportion to its weight, within its edges' rounding.
        const double perWeight = image.width() * image.height() / 20074.0;
        for (std::size_t i = 0; i < 4; ++i) {
            const double expected = double(weights[i]) * perWeight;
            const QRectF r = rects[i];
            const double edges = (r.width() + r.height()) * ratio + 1;
            EXPECT_NEAR(painted[qRgb(int(i) + 1, 0, 0)], expected, edges) << i;
        }
    }
}

TEST(MapCanvas, ACushionIsLitFromTheUpperLeftAndAFrameIsOnePixelInside) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::black);
    MapCanvas canvas(image);
    const MapCanvas::Shades shades = MapCanvas::cushion(QColor(0x1e, 0x88, 0xe5));
    canvas.shade(QRectF(5, 5, 30, 20), shades);
    EXPECT_EQ(image.pixel(5, 5), shades.front());
    EXPECT_EQ(image.pixel(34, 24), shades.back());
    EXPECT_GT(qGray(image.pixel(6, 6)), qGray(image.pixel(20, 15)));
    EXPECT_GT(qGray(image.pixel(20, 15)), qGray(image.pixel(33, 23)));
    EXPECT_EQ(image.pixel(4, 4), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(35, 25), qRgb(0, 0, 0));

    canvas.frame(QRectF(5, 5, 30, 20), qRgb(1, 2, 3));
    for (const QPoint p :
         {QPoint(5, 5), QPoint(34, 5), QPoint(5, 24), QPoint(34, 24), QPoint(20, 5)})
        EXPECT_EQ(image.pixel(p), qRgb(1, 2, 3)) << p.x() << "," << p.y();
    EXPECT_NE(image.pixel(6, 6), qRgb(1, 2, 3));
    // Drawing past the image's edges is clipped, not written out of bounds.
    canvas.shade(QRectF(-10, -10, 100, 100), shades);
    canvas.fill(QRectF(30, 20, 50, 50), qRgb(9, 9, 9));
    EXPECT_EQ(image.pixel(39, 29), qRgb(9, 9, 9));
}

TEST(MapCanvas, FilesAreColouredByTheKindTheirNamesSay) {
    using K = SpaceMapView::Kind;
    const std::vector<std::pair<const char*, K>> cases{
        {"IMG_0412.JPG", K::Image},     {"holiday.mp4", K::Video},
        {"01 Overture.flac", K::Audio}, {"notes.txt", K::Text},
        {"backup.tar.gz", K::Archive},  {"debian-12.iso", K::Archive},
        {"libz.so", K::Program},        {"libQt6Gui.so.6.4.2", K::Program},
        {"install.sh", K::Program},     {"README", K::Other},
        {"data.so.backup", K::Other},   {".hidden", K::Other}};
    for (const auto& [name, kind] : cases)
        EXPECT_EQ(SpaceMapView::kindOf(QByteArrayView(name)), kind) << name;
}

}  // namespace
}  // namespace rk
