#include "ui/CoreMessages.h"

#include "ui/Services.h"

namespace rk {

AskYesNo confirmBox(const Services& services) {
    return [&services](const QString& question, bool offerCancel) {
        const int buttons = ButtonYes | ButtonNo | (offerCancel ? ButtonCancel : 0);
        return services.confirm(question, buttons, ButtonNo) == ButtonYes;
    };
}

void tellSearchOutcome(const Services& services, const SearchOutcome& outcome,
                       const QString& listFullText, bool beepWhenFull) {
    for (const Drive& drive : outcome.unopened)
        services.showMessage(MessageKind::Error, driveNotOpenedText(drive));
    if (!outcome.limitReached) return;
    if (beepWhenFull)
        services.showWarning(listFullText);
    else
        services.showMessage(MessageKind::Warning, listFullText);
}

}  // namespace rk
