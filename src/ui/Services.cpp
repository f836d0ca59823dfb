#include "ui/Services.h"

#include "common/Messages.h"
#include "platform/Platform.h"

namespace rk {

void Services::showError(const QString& text) const {
    platform_->beep(Beep::Exclamation);
    showMessage(MessageKind::Error, text);
}

void Services::showWarning(const QString& text) const {
    platform_->beep(Beep::CriticalStop);
    showMessage(MessageKind::Warning, text);
}

void Services::showInfo(const QString& text) const {
    showMessage(MessageKind::Information, text);
}

Button Services::showMessage(MessageKind kind, const QString& text, int buttons,
                             Button defaultButton) const {
    return dialogs_->message(messageRequest(kind, text, buttons, defaultButton));
}

Button Services::confirm(const QString& text, int buttons, Button defaultButton) const {
    return showMessage(MessageKind::Confirm, text, buttons, defaultButton);
}

void Services::showGeneralError(const QString& message) const {
    showMessage(MessageKind::Application, message + QLatin1Char('.'));
}

}  // namespace rk
