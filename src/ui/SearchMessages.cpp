#include "ui/SearchMessages.h"

#include "common/Messages.h"

namespace rk {

void tellSearchOutcome(const SearchOutcome& outcome, const QString& listFullText,
                       bool beepWhenFull) {
    for (const Drive& drive : outcome.unopened)
        ShowMessage(MessageKind::Error, driveNotOpenedText(drive));
    if (!outcome.limitReached) return;
    if (beepWhenFull)
        ShowWarning(listFullText);
    else
        ShowMessage(MessageKind::Warning, listFullText);
}

}  // namespace rk
