#include "app/HelpWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/AccessibleWindows.h"

namespace rk {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Roomkin '95 Help"));
    installAccessibleWindows();
    auto* layout = new QVBoxLayout(this);
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(false);
    browser_->document()->setDocumentMargin(12);
    layout->addWidget(browser_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btClose = new QPushButton(QStringLiteral("&Close"), this);
    btClose->setObjectName(QStringLiteral("btClose"));
    buttons->addWidget(btClose);
    layout->addLayout(buttons);
    connect(btClose, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    resize(640, 520);
}

QString findHelpFile(const QString& programFolder) {
    const QDir folder(programFolder);
    const QString beside = folder.filePath(QStringLiteral("roomkin.html"));
    if (QFileInfo::exists(beside)) return beside;
    const QString shared =
        QDir::cleanPath(folder.filePath(QStringLiteral("../share/roomkin/roomkin.html")));
    return QFileInfo::exists(shared) ? shared : beside;
}

void HelpWindow::showTopic(const QString& helpFile, int context) {
    if (QFileInfo::exists(helpFile)) {
        QUrl url = QUrl::fromLocalFile(helpFile);
        url.setFragment(QStringLiteral("context-%1").arg(context));
        browser_->setSource(url);
    } else {
        browser_->setPlainText(
            QStringLiteral("The help file %1 could not be found.").arg(helpFile));
    }
    if (!isVisible())
        if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
}

}  // namespace rk
