#include "common/Messages.h"

#include "common/Errors.h"
#include "common/Services.h"

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

MessageRequest messageRequest(MessageKind kind, const QString& text, int buttons,
                              Button defaultButton) {
    MessageRequest request;
    request.kind = kind;
    request.title = titleOf(kind);
    request.text = text;
    request.buttons = buttons;
    request.defaultButton = defaultButton;
    return request;
}

void ShowGeneralError(const QString& message) {
    dialogs().message(messageRequest(MessageKind::Application, message + QLatin1Char('.')));
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
