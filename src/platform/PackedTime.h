#pragma once

#include <cstdint>

#include "platform/SearchRecord.h"

namespace rk {

// Packs seconds since the epoch (UTC) into the DOS layout in local time; 0 for no time,
// and for dates before 1980 or after 2107, which the layout cannot hold. The platform packs
// each entry's last write so; the tools pack the other times as they need them.
[[nodiscard]] PackedTime packFileTime(std::int64_t unixSeconds);

}  // namespace rk
