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

    QPushButton* btClose;

private:
    QTextBrowser* browser_;
};

}  // namespace rk
