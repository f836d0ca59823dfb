#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "common/Deletion.h"
#include "common/Dialogs.h"

namespace rk::test {

// Answers every dialog from a script and keeps what was asked. A message with no scripted
// answer gets its default button.
class ScriptedDialogs : public DialogService {
public:
    Button message(const MessageRequest& request) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& value) override;
    bool choosePrinter(QPrinter& printer) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    bool choosePrinterFor(QPrinter& printer, bool offerSelection) override;
    std::optional<QByteArray> chooseFileToOpen(const QString& title,
                                               const QString& filter) override;

    void answer(Button b) { answers.push_back(b); }
    // A null text cancels the input box.
    void answerInput(QString text) { inputAnswers.push_back(std::move(text)); }
    // Print to this PDF file instead of a printer; an empty name cancels the print dialog.
    void printTo(QString pdfFile) { printFile = std::move(pdfFile); }

    [[nodiscard]] QStringList texts() const;  // the text of every message asked, in order
    void clear();

    std::deque<Button> answers;
    std::deque<QString> inputAnswers;
    std::vector<MessageRequest> asked;
    QStringList prompts;
    QString printFile;
    // What the print dialog answers: the selection when it is offered, or pages from..to.
    bool printSelection = false;
    int fromPage = 0, toPage = 0;
    bool selectionOffered = false;
    std::optional<QFont> fontAnswer;
    std::optional<QByteArray> fileAnswer;  // what the file dialog chooses; none cancels it
    // For code that must ask nothing itself (the scans, the deletions): any message fails
    // the test.
    bool failWhenAsked = false;
};

// Answers a deletion's questions from a script (No once it runs out) and keeps what was asked.
struct ScriptedQuestions {
    std::deque<bool> answers;
    QStringList asked;
    std::vector<bool> cancelOffered;
    [[nodiscard]] AskYesNo ask() {
        return [this](const QString& question, bool offerCancel) {
            asked.append(question);
            cancelOffered.push_back(offerCancel);
            if (answers.empty()) return false;
            const bool yes = answers.front();
            answers.pop_front();
            return yes;
        };
    }
};

// The dialog service every test gets; cleared before each test.
[[nodiscard]] ScriptedDialogs& scriptedDialogs();

}  // namespace rk::test
