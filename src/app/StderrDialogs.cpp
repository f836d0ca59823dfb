#include "app/StderrDialogs.h"

#include <cstdio>

namespace rk {

Button StderrDialogs::message(const MessageRequest& request) {
    const QByteArray text = request.text.toLocal8Bit();
    std::fprintf(stderr, "%s\n", text.constData());
    return request.defaultButton;
}

std::optional<QString> StderrDialogs::input(const QString&, const QString&, const QString&) {
    return std::nullopt;
}

bool StderrDialogs::choosePrinter(QPrinter&) {
    return false;
}

std::optional<QFont> StderrDialogs::chooseFont(const QFont&) {
    return std::nullopt;
}

}  // namespace rk
