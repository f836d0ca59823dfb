#pragma once

#include <cstdint>
#include <memory>

#include "platform/SearchRecord.h"

namespace rk {

// Packs seconds since the epoch (UTC) into the DOS layout in local time; 0 for no time,
// and for dates before 1980 or after 2107, which the layout cannot hold. The platform packs
// each entry's last write so; the tools pack the other times as they need them.
[[nodiscard]] PackedTime packFileTime(std::int64_t unixSeconds);

// The same for the many times of a walk, without asking the system's zone for each: a walk
// packs millions, and the system's conversion takes a lock every thread shares. The zone is the
// one in force (TZ) when the packer is made. Each day's offset from UTC is found once, by
// whichever packer of that zone meets the day first; a day on which the offset changes (a change
// to or from summer time) is converted time by time, as packFileTime does.
class LocalTimePacker {
public:
    LocalTimePacker();
    [[nodiscard]] PackedTime pack(std::int64_t unixSeconds) const;

    struct ZoneDays;

private:
    std::shared_ptr<ZoneDays> zone_;
};

}  // namespace rk
