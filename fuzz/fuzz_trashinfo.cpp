// The .trashinfo writer against its reader: any bytes taken as a path must come back exactly.
#include <cstddef>
#include <cstdint>

#include "platform/TrashInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray path(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<rk::TrashInfo> back = rk::parseTrashInfo(rk::trashInfoText(path, 0));
    if (!back || back->path != path) __builtin_trap();
    return 0;
}
