#include "platform/PackedTime.h"

#include <atomic>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>

namespace rk {

namespace {

constexpr std::int64_t secondsADay = 86400;

PackedTime packParts(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1980 || year > 2107) return 0;
    const std::uint32_t date = std::uint32_t((year - 1980) << 9 | month << 5 | day);
    const std::uint32_t time = std::uint32_t(hour << 11 | minute << 5 | second / 2);
    return date << 16 | time;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// The calendar date of a day counted from 1 January 1970 (proleptic Gregorian).
struct Civil {
    int year, month, day;
};
Civil civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = int(doy - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    return {int(yoe + era * 400 + (month <= 2)), month, day};
}

// Local seconds (UTC seconds plus the offset) broken down as the system would.
std::tm brokenDown(std::int64_t localSeconds) {
    const std::int64_t days = floorDiv(localSeconds, secondsADay);
    const std::int64_t rest = localSeconds - days * secondsADay;
    const Civil c = civilFromDays(days);
    std::tm tm{};
    tm.tm_year = c.year - 1900;
    tm.tm_mon = c.month - 1;
    tm.tm_mday = c.day;
    tm.tm_hour = int(rest / 3600);
    tm.tm_min = int(rest % 3600 / 60);
    tm.tm_sec = int(rest % 60);
    return tm;
}

bool sameTime(const std::tm& a, const std::tm& b) {
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday &&
           a.tm_hour == b.tm_hour && a.tm_min == b.tm_min && a.tm_sec == b.tm_sec;
}

// Days of 1979-12-30 to 2108-01-02 (UTC): every instant a packed time can hold, in any zone.
constexpr std::int64_t firstDay = 3650;
constexpr std::int64_t dayCount = 46755;
constexpr std::int32_t unknownDay = INT32_MIN;
constexpr std::int32_t changingDay = INT32_MIN + 1;

}  // namespace

PackedTime packFileTime(std::int64_t unixSeconds) {
    if (unixSeconds == 0) return 0;
    const std::time_t t = std::time_t(unixSeconds);
    std::tm tm{};
    if (!::localtime_r(&t, &tm)) return 0;
    return packParts(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                     tm.tm_sec);
}

struct LocalTimePacker::ZoneDays {
    std::optional<std::string> zone;  // TZ, or none when it is not set
    // Each day's offset from UTC in seconds, unknownDay until met, changingDay when it is not
    // the same all day long (or the system's conversion is not the offset's, as in a zone that
    // counts leap seconds).
    std::unique_ptr<std::atomic<std::int32_t>[]> offsets;

    std::int32_t offsetOn(std::int64_t day) const {
        std::atomic<std::int32_t>& slot = offsets[std::size_t(day - firstDay)];
        std::int32_t offset = slot.load(std::memory_order_relaxed);
        if (offset != unknownDay) return offset;
        // The same offset at the day's first and last second: no change lies between, as no
        // zone changes its offset and back within a day.
        const std::time_t first = std::time_t(day * secondsADay);
        const std::time_t last = first + secondsADay - 1;
        std::tm a{}, b{};
        offset = changingDay;
        if (::localtime_r(&first, &a) && ::localtime_r(&last, &b) && a.tm_gmtoff == b.tm_gmtoff &&
            sameTime(a, brokenDown(first + a.tm_gmtoff)) &&
            sameTime(b, brokenDown(last + b.tm_gmtoff)))
            offset = std::int32_t(a.tm_gmtoff);
        slot.store(offset, std::memory_order_relaxed);
        return offset;
    }
};

LocalTimePacker::LocalTimePacker() {
    // One table a zone, shared by the packers made while it is in force.
    static std::mutex mutex;
    static std::shared_ptr<ZoneDays> current;
    const std::lock_guard lock(mutex);
    std::optional<std::string> zone;
    if (const char* tz = std::getenv("TZ")) zone = tz;
    if (!current || current->zone != zone) {
        auto days = std::make_shared<ZoneDays>();
        days->zone = std::move(zone);
        days->offsets = std::make_unique<std::atomic<std::int32_t>[]>(std::size_t(dayCount));
        for (std::int64_t d = 0; d < dayCount; ++d)
            days->offsets[std::size_t(d)].store(unknownDay, std::memory_order_relaxed);
        current = std::move(days);
    }
    zone_ = current;
}

PackedTime LocalTimePacker::pack(std::int64_t unixSeconds) const {
    if (unixSeconds == 0) return 0;
    const std::int64_t day = floorDiv(unixSeconds, secondsADay);
    if (day < firstDay || day >= firstDay + dayCount) return packFileTime(unixSeconds);
    const std::int32_t offset = zone_->offsetOn(day);
    if (offset == changingDay) return packFileTime(unixSeconds);
    const std::tm tm = brokenDown(unixSeconds + offset);
    return packParts(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                     tm.tm_sec);
}

}  // namespace rk
