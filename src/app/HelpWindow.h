#pragma once

#include <QPushButton>
#include <QTextBrowser>
#include <QWidget>

namespace rk {

// Shows the program's HTML help file at a topic: context N is the anchor "context-N".
// Closed by its Close button or Escape.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    void showTopic(const QString& helpFile, int context);
    [[nodiscard]] QTextBrowser* browser() const { return browser_; }

private:
    QPushButton* btClose;
    QTextBrowser* browser_;
};

// Where the help file is: beside the program (a build tree), else in ../share/roomkin/ from
// the program's folder (an installed program). Where neither has it, the path beside the
// program, which the help window then names as missing.
[[nodiscard]] QString findHelpFile(const QString& programFolder);

}  // namespace rk
