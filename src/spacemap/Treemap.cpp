#include "spacemap/Treemap.h"

#include <algorithm>
#include <limits>

namespace rk {

namespace {

// The worse of the aspect ratios of the first and last rectangle of a row of total area `sum`
// laid along a side of length `side`: the largest and the smallest are the extremes.
double rowWorst(double largest, double smallest, double sum, double side) {
    const double side2 = side * side;
    const double sum2 = sum * sum;
    return std::max(side2 * largest / sum2, sum2 / (side2 * smallest));
}

}  // namespace

std::vector<QRectF> squarify(const std::vector<std::int64_t>& weights, const QRectF& area) {
    std::vector<QRectF> out(weights.size(), QRectF(area.topLeft(), QSizeF(0, 0)));
    double total = 0;
    std::size_t n = 0;  // the weights that get room: the positive ones, all at the front
    for (const std::int64_t w : weights) {
        if (w <= 0) break;
        total += double(w);
        ++n;
    }
    if (n == 0 || area.width() <= 0 || area.height() <= 0) return out;
    const double scale = area.width() * area.height() / total;
    QRectF rest = area;
    std::size_t i = 0;
    while (i < n) {
        const bool columns = rest.width() >= rest.height();  // a row along the shorter side
        const double side = columns ? rest.height() : rest.width();
        double sum = double(weights[i]) * scale;
        double worst = rowWorst(sum, sum, sum, side);
        std::size_t j = i + 1;
        for (; j < n; ++j) {
            const double a = double(weights[j]) * scale;
            const double next = rowWorst(double(weights[i]) * scale, a, sum + a, side);
            if (next > worst) break;
            worst = next;
            sum += a;
        }
        // The last row takes what is left, so rounding never leaves a gap or an overhang.
        const double thickness = j == n
                                     ? (columns ? rest.width() : rest.height())
                                     : std::min(sum / side, columns ? rest.width() : rest.height());
        double along = columns ? rest.top() : rest.left();
        for (std::size_t k = i; k < j; ++k) {
            const double length = k + 1 == j ? (columns ? rest.bottom() : rest.right()) - along
                                             : double(weights[k]) * scale / thickness;
            out[k] = columns ? QRectF(rest.left(), along, thickness, length)
                             : QRectF(along, rest.top(), length, thickness);
            along += length;
        }
        if (columns)
            rest.setLeft(rest.left() + thickness);
        else
            rest.setTop(rest.top() + thickness);
        i = j;
    }
    return out;
}

double worstAspect(const std::vector<QRectF>& rects) {
    double worst = 1;
    for (const QRectF& r : rects) {
        if (r.width() <= 0 || r.height() <= 0) continue;
        worst = std::max(worst, std::max(r.width() / r.height(), r.height() / r.width()));
    }
    return worst;
}

}  // namespace rk
