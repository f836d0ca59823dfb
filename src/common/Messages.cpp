#include "common/Messages.h"

#include "common/Errors.h"
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

void ShowGeneralError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const Error& e) {
        ShowGeneralError(e.message());
    } catch (const std::exception& e) {
        ShowGeneralError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowGeneralError(QStringLiteral("Unknown error"));
    }
}

}  // namespace rk
