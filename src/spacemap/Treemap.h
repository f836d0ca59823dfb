#pragma once

#include <QRectF>
#include <cstdint>
#include <vector>

namespace rk {

// The squarified treemap layout: the area is cut into one rectangle per weight, each with an
// area in proportion to its weight, laid out in rows along the shorter side so that the
// rectangles come out as near to squares as the weights allow. Weights are taken largest
// first (the caller sorts); a weight of 0 or less gets an empty rectangle at the area's
// corner. The rectangles tile the area exactly, without overlaps.
[[nodiscard]] std::vector<QRectF> squarify(const std::vector<std::int64_t>& weights,
                                           const QRectF& area);

// The worst ratio of long to short side among the rectangles (1 for squares); empty
// rectangles do not count.
[[nodiscard]] double worstAspect(const std::vector<QRectF>& rects);

}  // namespace rk
