#include "ui/QtDialogService.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>

namespace rk {

namespace {

QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Error:
        case MessageKind::Application:
            return QMessageBox::Critical;
        case MessageKind::Information:
            return QMessageBox::Information;
        case MessageKind::Confirm:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The window manager writes the title in its bold font beside the window's icon and its
// buttons, each about as wide as the title bar is high; a box narrower than that shows the
// title cut. Qt sizes a dialog by its contents alone.
int titleBarWidth(const QWidget& window) {
    QFont bold = QApplication::font("QMdiSubWindowTitleBar");
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(window.windowTitle()) +
           4 * window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

// A message box takes no minimum width: a spacer across its bottom keeps it wide enough.
void fitTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    grid->addItem(new QSpacerItem(titleBarWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

Button QtDialogService::message(const MessageRequest& request) {
    QMessageBox box(iconOf(request.kind), request.title, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    struct Choice {
        Button button;
        const char* caption;
        QMessageBox::ButtonRole role;
    };
    static const Choice choices[] = {{ButtonYes, "&Yes", QMessageBox::YesRole},
                                     {ButtonNo, "&No", QMessageBox::NoRole},
                                     {ButtonOk, "OK", QMessageBox::AcceptRole},
                                     {ButtonCancel, "Cancel", QMessageBox::RejectRole}};
    QList<QPair<QAbstractButton*, Button>> added;
    for (const Choice& c : choices) {
        if (!(request.buttons & c.button)) continue;
        QPushButton* b = box.addButton(QString::fromLatin1(c.caption), c.role);
        if (c.button == request.defaultButton) box.setDefaultButton(b);
        added.append({b, c.button});
    }
    // Closing the box with Escape or the title bar answers Cancel, else No, else OK.
    for (Button escape : {ButtonCancel, ButtonNo, ButtonOk})
        for (const auto& [widget, button] : added)
            if (button == escape && !box.escapeButton()) box.setEscapeButton(widget);
    fitTitle(box);
    box.exec();
    for (const auto& [widget, button] : added)
        if (box.clickedButton() == widget) return button;
    return (request.buttons & ButtonCancel) ? ButtonCancel
           : (request.buttons & ButtonNo)   ? ButtonNo
                                            : ButtonOk;
}

std::optional<QString> QtDialogService::input(const QString& title, const QString& prompt,
                                              const QString& value) {
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(value);
    // Its layout sets its size from the contents too; it is made when first measured.
    (void)box.sizeHint();
    if (QLayout* layout = box.layout())
        layout->addItem(
            new QSpacerItem(titleBarWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Fixed));
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.textValue();
}

bool QtDialogService::choosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QByteArray> QtDialogService::chooseFileToOpen(const QString& title,
                                                            const QString& filter) {
    const QString file =
        QFileDialog::getOpenFileName(QApplication::activeWindow(), title, QString(), filter);
    if (file.isEmpty()) return std::nullopt;
    return QFile::encodeName(file);
}

std::optional<QFont> QtDialogService::chooseFont(const QFont& initial) {
    bool ok = false;
    // The one font dialog is the viewer's, which takes fixed-pitch fonts only.
    const QFont font = QFontDialog::getFont(&ok, initial, QApplication::activeWindow(), QString(),
                                            QFontDialog::MonospacedFonts);
    if (!ok) return std::nullopt;
    return font;
}

bool QtDialogService::choosePrinterFor(QPrinter& printer, bool offerSelection) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, offerSelection);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace rk
