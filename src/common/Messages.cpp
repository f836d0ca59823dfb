#include "common/Messages.h"

#include "common/Services.h"
#include "platform/Platform.h"

namespace rk {

QString titleOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QStringLiteral("Warning");
        case MessageKind::Error:
            return QStringLiteral("Error");
        case MessageKind::Information:
            return QStringLiteral("Information");
        case MessageKind::Confirm:
            return QStringLiteral("Confirm");
        case MessageKind::Application:
            return applicationTitle;
    }
    return applicationTitle;
}

Button ShowMessage(MessageKind kind, const QString& text, int buttons, Button defaultButton) {
    MessageRequest request;
    request.kind = kind;
    request.title = titleOf(kind);
    request.text = text;
    request.buttons = buttons;
    request.defaultButton = defaultButton;
    return dialogs().message(request);
}

void ShowError(const QString& text) {
    platform().beep(Beep::Exclamation);
    ShowMessage(MessageKind::Error, text);
}

void ShowWarning(const QString& text) {
    platform().beep(Beep::CriticalStop);
    ShowMessage(MessageKind::Warning, text);
}

void ShowInfo(const QString& text) {
    ShowMessage(MessageKind::Information, text);
}

Button Confirm(const QString& text, int buttons, Button defaultButton) {
    return ShowMessage(MessageKind::Confirm, text, buttons, defaultButton);
}

void ShowGeneralError(const QString& message) {
    ShowMessage(MessageKind::Application, message + QLatin1Char('.'));
}

}  // namespace rk
