#pragma once

#include "common/FolderWalk.h"
#include "platform/Platform.h"

namespace rk {

// One chosen drive's walk, as every multi-drive tool's scan_dir does it: a root that cannot be
// opened is reported ("Can't open drive " and the drive's caption, an error box without a
// beep) and the scan goes on with the next drive; a drive walked becomes the one the next tool
// offers checked.
WalkResult walkDrive(FolderWalk& walk, const Drive& drive, const WalkSettings& settings,
                     const FolderStep& step);

}  // namespace rk
