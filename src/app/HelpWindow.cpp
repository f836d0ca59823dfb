#include "app/HelpWindow.h"

#include <QFileInfo>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace rk {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Roomkin '95 Help"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(false);
    browser_->document()->setDocumentMargin(12);
    layout->addWidget(browser_);
    resize(640, 520);
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
