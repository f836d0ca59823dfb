#pragma once

#include <algorithm>
#include <cstddef>

#include "common/FolderWalk.h"

namespace rk {

// std::sort, but when a window is waiting (a pump is given) the range is sorted in pieces
// that are then merged, with the window's events handled between steps, so a sort of a
// million entries never freezes it.
template <typename It, typename Less>
void sortWithEvents(It first, It last, Less less, EventPump* pump) {
    const std::size_t n = std::size_t(last - first);
    constexpr std::size_t piece = std::size_t(1) << 15;
    if (!pump || n <= piece) {
        std::sort(first, last, less);
        return;
    }
    for (std::size_t at = 0; at < n; at += piece) {
        std::sort(first + at, first + std::min(n, at + piece), less);
        pump->poll();
    }
    for (std::size_t width = piece; width < n; width *= 2) {
        for (std::size_t at = 0; at + width < n; at += 2 * width) {
            std::inplace_merge(first + at, first + at + width, first + std::min(n, at + 2 * width),
                               less);
            pump->poll();
        }
    }
}

}  // namespace rk
