#include "ui/CoreMessages.h"

#include "common/Messages.h"

namespace rk {

AskYesNo confirmBox() {
    return [](const QString& question, bool offerCancel) {
        const int buttons = ButtonYes | ButtonNo | (offerCancel ? ButtonCancel : 0);
        return Confirm(question, buttons, ButtonNo) == ButtonYes;
    };
}

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
