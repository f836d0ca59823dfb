#include "common/DriveWalk.h"

#include "common/Drives.h"
#include "common/Messages.h"

namespace rk {

WalkResult walkDrive(FolderWalk& walk, const Drive& drive, const WalkSettings& settings,
                     const FolderStep& step) {
    const WalkResult result = walk.walk(drive.mountPoint, true, settings, step);
    if (!result.rootOpened && !result.aborted) {
        ShowMessage(MessageKind::Error, QStringLiteral("Can't open drive ") + drive.caption());
        return result;
    }
    driveTable().setLastWalked(drive.mountPoint);
    return result;
}

}  // namespace rk
