#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

#include "common/FolderWalk.h"

namespace rk {

// std::sort, but when a window is waiting (a pump is given) the range is sorted in pieces
// that are then merged through a buffer, with the pump polled after each piece and every few
// thousand entries merged, so a sort of a million entries never holds the window up for long.
// The entries must be default-constructible and movable. A comparison that costs more than a
// few integers' (whole texts) wants smaller pieces.
template <typename It, typename Less>
void sortWithEvents(It first, It last, Less less, EventPump* pump,
                    std::size_t piece = std::size_t(1) << 14) {
    using Entry = typename std::iterator_traits<It>::value_type;
    const std::size_t n = std::size_t(last - first);
    if (!pump || n <= piece) {
        std::sort(first, last, less);
        return;
    }
    for (std::size_t at = 0; at < n; at += piece) {
        std::sort(first + at, first + std::min(n, at + piece), less);
        pump->poll();
    }
    std::vector<Entry> buffer(n);
    bool inBuffer = false;  // where the runs of this width are
    for (std::size_t width = piece; width < n; width *= 2) {
        const auto from = [&](std::size_t i) -> Entry& {
            return inBuffer ? buffer[i] : first[std::ptrdiff_t(i)];
        };
        const auto to = [&](std::size_t i) -> Entry& {
            return inBuffer ? first[std::ptrdiff_t(i)] : buffer[i];
        };
        for (std::size_t at = 0; at < n; at += 2 * width) {
            const std::size_t mid = std::min(n, at + width);
            const std::size_t end = std::min(n, at + 2 * width);
            std::size_t i = at;
            std::size_t j = mid;
            std::size_t k = at;
            // Stable: of equal entries, the left run's go first.
            while (i < mid && j < end) {
                to(k++) = less(from(j), from(i)) ? std::move(from(j++)) : std::move(from(i++));
                if ((k & 4095) == 0) pump->poll();
            }
            for (; i < mid; ++i)
                to(k++) = std::move(from(i));
            for (; j < end; ++j)
                to(k++) = std::move(from(j));
        }
        inBuffer = !inBuffer;
        pump->poll();
    }
    if (inBuffer) std::move(buffer.begin(), buffer.end(), first);
}

}  // namespace rk
