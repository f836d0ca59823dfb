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

// Runs a scan's finishing steps however the scan ends: an error still reaches the general
// error box, but the window never stays in its scanning state.
template <typename Finish>
class FinishSteps {
public:
    explicit FinishSteps(Finish finish) : finish_(std::move(finish)) {}
    FinishSteps(const FinishSteps&) = delete;
    FinishSteps& operator=(const FinishSteps&) = delete;
    ~FinishSteps() { finish_(); }

private:
    Finish finish_;
};

}  // namespace rk
