#pragma once

#include <QFont>

#include "common/Dialogs.h"

namespace rk {

// The dialog service of the command-line reports: what a window would show in a message box
// goes to standard error, and every question takes its default answer.
class StderrDialogs : public DialogService {
public:
    Button message(const MessageRequest& request) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& value) override;
    bool choosePrinter(QPrinter& printer) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
};

}  // namespace rk
