#include "spacemap/MapCanvas.h"

#include <QColor>
#include <algorithm>
#include <cmath>

namespace rk {

MapCanvas::MapCanvas(QImage& image) : image_(image), ratio_(image.devicePixelRatio()) {}

MapCanvas::Shades MapCanvas::cushion(const QColor& base) {
    Shades out;
    const QColor light = base.lighter(135);
    const QColor dark = base.darker(150);
    const auto mix = [](const QColor& a, const QColor& b, double t) {
        return qRgb(int(std::lround(a.red() + (b.red() - a.red()) * t)),
                    int(std::lround(a.green() + (b.green() - a.green()) * t)),
                    int(std::lround(a.blue() + (b.blue() - a.blue()) * t)));
    };
    for (std::size_t i = 0; i < shadeCount; ++i)
        out[i] = i < baseShade
                     ? mix(light, base, double(i) / double(baseShade))
                     : mix(base, dark, double(i - baseShade) / double(shadeCount - 1 - baseShade));
    return out;
}

QRect MapCanvas::pixels(const QRectF& rect) const {
    const int left = std::max(0, int(std::lround(rect.left() * ratio_)));
    const int top = std::max(0, int(std::lround(rect.top() * ratio_)));
    const int right = std::min(image_.width(), int(std::lround(rect.right() * ratio_)));
    const int bottom = std::min(image_.height(), int(std::lround(rect.bottom() * ratio_)));
    return right > left && bottom > top ? QRect(QPoint(left, top), QPoint(right - 1, bottom - 1))
                                        : QRect();
}

void MapCanvas::fill(const QRectF& rect, QRgb colour) {
    fillPixels(pixels(rect), colour);
}

void MapCanvas::fillPixels(const QRect& p, QRgb colour) {
    for (int y = p.top(); y <= p.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
        std::fill(line + p.left(), line + p.right() + 1, colour);
    }
}

void MapCanvas::shade(const QRectF& rect, const Shades& shades) {
    const QRect p = pixels(rect);
    if (p.isEmpty()) return;
    // The shade's place runs from 0 at the top left corner to the table's end at the bottom
    // right, as much along each side; in fixed point, a step per pixel.
    constexpr int fraction = 16;
    const double last = double(shades.size() - 1);
    const auto step = [&](int length) {
        return length > 1 ? std::int64_t(last / 2 / (length - 1) * (1 << fraction)) : 0;
    };
    const std::int64_t across = step(p.width());
    const std::int64_t down = step(p.height());
    // Each step is rounded down; starting just short of one whole shade makes up for that,
    // so the far corner has the last shade and no place goes past it.
    std::int64_t rowStart = (std::int64_t(1) << fraction) - 1;
    for (int y = p.top(); y <= p.bottom(); ++y, rowStart += down) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
        std::int64_t at = rowStart;
        for (int x = p.left(); x <= p.right(); ++x, at += across)
            line[x] = shades[std::size_t(at >> fraction)];
    }
}

void MapCanvas::frame(const QRectF& rect, QRgb colour) {
    const QRect p = pixels(rect);
    if (p.isEmpty()) return;
    fillPixels(QRect(p.left(), p.top(), p.width(), 1), colour);
    fillPixels(QRect(p.left(), p.bottom(), p.width(), 1), colour);
    fillPixels(QRect(p.left(), p.top(), 1, p.height()), colour);
    fillPixels(QRect(p.right(), p.top(), 1, p.height()), colour);
}

}  // namespace rk
