#pragma once

#include <QFont>

#include "common/Dialogs.h"

namespace rk {

// The dialog service on the desktop: Qt's message, input, print and font dialogs, parented
// to the active window and centred on it.
class QtDialogService : public DialogService {
public:
    Button message(const MessageRequest& request) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& value) override;
    bool choosePrinter(QPrinter& printer) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    std::optional<QByteArray> chooseFileToOpen(const QString& title,
                                               const QString& filter) override;
    bool choosePrinterFor(QPrinter& printer, bool offerSelection) override;
};

}  // namespace rk
