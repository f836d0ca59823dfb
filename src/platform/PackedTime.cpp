#include "platform/PackedTime.h"

#include <ctime>

namespace rk {

PackedTime packFileTime(std::int64_t unixSeconds) {
    if (unixSeconds == 0) return 0;
    const std::time_t t = std::time_t(unixSeconds);
    std::tm tm{};
    if (!::localtime_r(&t, &tm)) return 0;
    const int year = tm.tm_year + 1900;
    if (year < 1980 || year > 2107) return 0;
    const std::uint32_t date =
        std::uint32_t((year - 1980) << 9 | (tm.tm_mon + 1) << 5 | tm.tm_mday);
    const std::uint32_t time = std::uint32_t(tm.tm_hour << 11 | tm.tm_min << 5 | tm.tm_sec / 2);
    return date << 16 | time;
}

}  // namespace rk
