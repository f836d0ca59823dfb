#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class QFont;
class QPrinter;

namespace rk {

enum class MessageKind { Warning, Error, Information, Confirm, Application };

enum Button : int { ButtonNone = 0, ButtonYes = 1, ButtonNo = 2, ButtonOk = 4, ButtonCancel = 8 };

struct MessageRequest {
    MessageKind kind = MessageKind::Information;
    QString
        title;  // from the kind: "Warning", "Error", "Information", "Confirm", or the application's
    QString text;
    int buttons = ButtonOk;
    Button defaultButton = ButtonOk;
};

// Every message box, input box and print or font dialog goes through here, so that tests can
// answer them by script and the command-line reports can write them to standard error.
class DialogService {
public:
    virtual ~DialogService() = default;
    // Returns the button pressed; closing the box counts as Cancel, or No, or OK, whichever it has.
    virtual Button message(const MessageRequest& request) = 0;
    // An input box; empty when cancelled.
    virtual std::optional<QString> input(const QString& title, const QString& prompt,
                                         const QString& value) = 0;
    // The print dialog; false when cancelled.
    virtual bool choosePrinter(QPrinter& printer) = 0;
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
    // The print dialog offering the selection as what to print, when there is one; the
    // printer's print range says what was chosen.
    virtual bool choosePrinterFor(QPrinter& printer, bool offerSelection) {
        (void)offerSelection;
        return choosePrinter(printer);
    }
    // The file dialog for a file to read, its exact path; empty when cancelled. Where no one
    // can answer (the command line), nothing is chosen.
    virtual std::optional<QByteArray> chooseFileToOpen(const QString& title,
                                                       const QString& filter) {
        (void)title;
        (void)filter;
        return std::nullopt;
    }
};

[[nodiscard]] QString titleOf(MessageKind kind);

}  // namespace rk
