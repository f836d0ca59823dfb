#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <QPrinter>

namespace rk::test {

Button ScriptedDialogs::message(const MessageRequest& request) {
    asked.push_back(request);
    if (failWhenAsked) ADD_FAILURE() << "unexpected message: " << request.text.toStdString();
    if (answers.empty()) return request.defaultButton;
    const Button b = answers.front();
    answers.pop_front();
    return b;
}

std::optional<QString> ScriptedDialogs::input(const QString&, const QString& prompt,
                                              const QString& value) {
    prompts.append(prompt);
    if (inputAnswers.empty()) return value;
    const QString a = inputAnswers.front();
    inputAnswers.pop_front();
    if (a.isNull()) return std::nullopt;
    return a;
}

bool ScriptedDialogs::choosePrinter(QPrinter& printer) {
    if (printFile.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printFile);
    return true;
}

bool ScriptedDialogs::choosePrinterFor(QPrinter& printer, bool offerSelection) {
    selectionOffered = offerSelection;
    if (!choosePrinter(printer)) return false;
    if (printSelection && offerSelection) {
        printer.setPrintRange(QPrinter::Selection);
    } else if (fromPage > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(fromPage, toPage);
    }
    return true;
}

std::optional<QFont> ScriptedDialogs::chooseFont(const QFont&) {
    return fontAnswer;
}

QStringList ScriptedDialogs::texts() const {
    QStringList list;
    for (const MessageRequest& r : asked)
        list.append(r.text);
    return list;
}

std::optional<QByteArray> ScriptedDialogs::chooseFileToOpen(const QString& title, const QString&) {
    prompts.append(title);
    return fileAnswer;
}

void ScriptedDialogs::clear() {
    answers.clear();
    inputAnswers.clear();
    asked.clear();
    failWhenAsked = false;
    prompts.clear();
    printFile.clear();
    printSelection = false;
    fromPage = toPage = 0;
    selectionOffered = false;
    fontAnswer.reset();
    fileAnswer.reset();
}

ScriptedDialogs& scriptedDialogs() {
    static ScriptedDialogs dialogs;
    return dialogs;
}

}  // namespace rk::test
