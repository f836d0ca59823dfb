#include "viewer/TfrmView.h"

#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <limits>

#include "common/Errors.h"
#include "common/TextHelpers.h"
#include "ui/Services.h"
#include "ui/WaitCursor.h"
#include "viewer/AsciiStrings.h"
#include "viewer/FileView.h"

namespace rk {

namespace {

TFindDlg* findDialog = nullptr;

const QString printFailure = QStringLiteral("Error printing report ... quitting");

void centre(QWidget* w) {
    if (const QScreen* screen = w->screen())
        w->move(screen->availableGeometry().center() - w->rect().center());
}

// A number typed into an input box: empty when it is not one; a number too large either way
// is the largest of its sign, so that "go to" a huge line reaches the last.
std::optional<std::int64_t> typedNumber(const QString& typed) {
    const QString t = typed.trimmed();
    if (t.isEmpty()) return std::nullopt;
    qsizetype i = 0;
    const bool negative = t[0] == QLatin1Char('-');
    if (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+')) i = 1;
    if (i >= t.size()) return std::nullopt;
    std::int64_t value = 0;
    bool overflow = false;
    for (; i < t.size(); ++i) {
        if (!t[i].isDigit() || t[i].unicode() > '9') return std::nullopt;
        if (value > (std::numeric_limits<std::int64_t>::max() - 9) / 10) overflow = true;
        if (!overflow) value = value * 10 + (t[i].unicode() - '0');
    }
    if (overflow) value = std::numeric_limits<std::int64_t>::max();
    return negative ? -value : value;
}

// The exact bytes of a dropped local file's path.
QByteArray droppedPath(const QUrl& url) {
    if (!url.isLocalFile()) return {};
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

}  // namespace

TFindDlg::TFindDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Find"));
    auto* layout = new QVBoxLayout(this);
    auto* textGroup = new QGroupBox(QStringLiteral("&Search Text"), this);
    Edit1 = new QLineEdit(textGroup);
    (new QVBoxLayout(textGroup))->addWidget(Edit1);
    auto* options = new QGroupBox(QStringLiteral("Search &Options"), this);
    auto* optionsLayout = new QVBoxLayout(options);
    RadioButton1 = new QRadioButton(QStringLiteral("Search &Forward"), options);
    RadioButton2 = new QRadioButton(QStringLiteral("Search &Backward"), options);
    CheckBox1 = new QCheckBox(QStringLiteral("&Match Case"), options);
    CheckBox2 = new QCheckBox(QStringLiteral("&Global Search"), options);
    RadioButton1->setChecked(true);
    for (QWidget* w : {static_cast<QWidget*>(RadioButton1), static_cast<QWidget*>(RadioButton2),
                       static_cast<QWidget*>(CheckBox1), static_cast<QWidget*>(CheckBox2)})
        optionsLayout->addWidget(w);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addWidget(textGroup);
    layout->addWidget(options);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void createFindDlg() {
    if (findDialog) return;
    findDialog = new TFindDlg;
    // Destroyed with the application, like every window the start-up makes.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
        delete findDialog;
        findDialog = nullptr;
    });
}

TFindDlg& FindDlg() {
    if (!findDialog) createFindDlg();
    return *findDialog;
}

TfrmView::TfrmView(const Services& services, QWidget* parent)
    : QDialog(parent), services_(services), printer_(std::make_unique<QPrinter>()) {
    setWindowTitle(QStringLiteral("View file"));
    resize(600, 400);
    setSizeGripEnabled(true);
    setAcceptDrops(true);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    Open1 = File1->addAction(QStringLiteral("&Open..."), this, &TfrmView::Open1Click);
    Open1->setObjectName(QStringLiteral("Open1"));
    File1->addSeparator();
    Print1 = File1->addAction(QStringLiteral("&Print..."), this, &TfrmView::Print1Click);
    Print1->setObjectName(QStringLiteral("Print1"));
    PrintSetup1 =
        File1->addAction(QStringLiteral("P&rint setup..."), this, &TfrmView::PrintSetup1Click);
    PrintSetup1->setObjectName(QStringLiteral("PrintSetup1"));
    File1->addSeparator();
    Exit1 = File1->addAction(QStringLiteral("E&xit"), this, &TfrmView::Exit1Click);
    Exit1->setObjectName(QStringLiteral("Exit1"));
    Exit1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    Clipboard1 = MainMenu1->addMenu(QStringLiteral("&Clipboard"));
    Clipboard1->setObjectName(QStringLiteral("Clipboard1"));
    Copy1 = Clipboard1->addAction(QStringLiteral("&Copy"), this, &TfrmView::Copy1Click);
    Copy1->setObjectName(QStringLiteral("Copy1"));
    Copy1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Insert), QKeySequence::Copy});
    SelectAll1 =
        Clipboard1->addAction(QStringLiteral("&Select all"), this, &TfrmView::SelectAll1Click);
    SelectAll1->setObjectName(QStringLiteral("SelectAll1"));
    Search1 = MainMenu1->addMenu(QStringLiteral("&Search"));
    Search1->setObjectName(QStringLiteral("Search1"));
    Find1 = Search1->addAction(QStringLiteral("&Find..."), this, &TfrmView::Find1Click);
    Find1->setObjectName(QStringLiteral("Find1"));
    Find1->setShortcut(QKeySequence::Find);
    FindNext1 = Search1->addAction(QStringLiteral("Find &next"), this, &TfrmView::FindNext1Click);
    FindNext1->setObjectName(QStringLiteral("FindNext1"));
    FindNext1->setShortcut(QKeySequence(Qt::Key_F3));
    Search1->addSeparator();
    GotoLine1 =
        Search1->addAction(QStringLiteral("&Go to line..."), this, &TfrmView::GotoLine1Click);
    GotoLine1->setObjectName(QStringLiteral("GotoLine1"));
    GotoLine1->setShortcut(QKeySequence(Qt::Key_F4));
    Options1 = MainMenu1->addMenu(QStringLiteral("&Options"));
    Options1->setObjectName(QStringLiteral("Options1"));
    HexMode1 = Options1->addAction(QStringLiteral("&Hex Mode"));
    HexMode1->setObjectName(QStringLiteral("HexMode1"));
    HexMode1->setCheckable(true);
    HexMode1->setShortcut(QKeySequence(Qt::Key_F8));
    connect(HexMode1, &QAction::triggered, this, &TfrmView::HexMode1Click);
    TabExpansion1 = Options1->addAction(QStringLiteral("&Tab expansion"));
    TabExpansion1->setObjectName(QStringLiteral("TabExpansion1"));
    TabExpansion1->setCheckable(true);
    connect(TabExpansion1, &QAction::triggered, this, &TfrmView::TabExpansion1Click);
    Options1->addSeparator();
    TabSize1 = Options1->addAction(QStringLiteral("Tab si&ze..."), this, &TfrmView::TabSize1Click);
    TabSize1->setObjectName(QStringLiteral("TabSize1"));
    Options1->addSeparator();
    Font1 = Options1->addAction(QStringLiteral("&Font..."), this, &TfrmView::Font1Click);
    Font1->setObjectName(QStringLiteral("Font1"));
    for (QAction* a : {Print1, Copy1, SelectAll1, Find1, FindNext1, GotoLine1})
        a->setEnabled(false);
    connect(File1, &QMenu::aboutToShow, this, &TfrmView::File1Click);
    connect(Clipboard1, &QMenu::aboutToShow, this, &TfrmView::Clipboard1Click);
    connect(Search1, &QMenu::aboutToShow, this, &TfrmView::Search1Click);

    Viewer1 = new FileView(services_, this);
    connect(Viewer1, &FileView::showStatus, this, &TfrmView::Viewer1ShowStatus);
    connect(Viewer1, &FileView::fileFailed, this, [this] {
        Search1Click();
        Clipboard1Click();
    });
    TabExpansion1->setChecked(Viewer1->expandTabs());

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(33);
    auto* panel = new QHBoxLayout(Panel1);
    panel->setContentsMargins(8, 2, 15, 2);
    panel->setSpacing(5);
    rbAscii = new QRadioButton(QStringLiteral("&ASCII"), Panel1);
    rbAscii->setObjectName(QStringLiteral("rbAscii"));
    rbHex = new QRadioButton(QStringLiteral("&Hex"), Panel1);
    rbHex->setObjectName(QStringLiteral("rbHex"));
    rbAscii->setChecked(true);
    connect(rbAscii, &QRadioButton::clicked, this, &TfrmView::rbAsciiClick);
    connect(rbHex, &QRadioButton::clicked, this, &TfrmView::rbHexClick);
    btFont = new QPushButton(QStringLiteral("Fo&nt"), Panel1);
    btFont->setObjectName(QStringLiteral("btFont"));
    btPrint = new QPushButton(QStringLiteral("P&rint setup"), Panel1);
    btPrint->setObjectName(QStringLiteral("btPrint"));
    BitBtn1 = new QPushButton(QStringLiteral("&Print"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    btStrings = new QPushButton(QStringLiteral("&View ASCII strings"), Panel1);
    btStrings->setObjectName(QStringLiteral("btStrings"));
    btStrings->setToolTip(QStringLiteral("Peek inside file for ASCII strings"));
    btClose = new QPushButton(QStringLiteral("Close"), Panel1);
    btClose->setObjectName(QStringLiteral("btClose"));
    for (QPushButton* b : {btFont, btPrint, BitBtn1, btStrings, btClose})
        b->setAutoDefault(false);
    connect(btFont, &QPushButton::clicked, this, &TfrmView::Font1Click);
    connect(btPrint, &QPushButton::clicked, this, &TfrmView::PrintSetup1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmView::Print1Click);
    connect(btStrings, &QPushButton::clicked, this, &TfrmView::btStringsClick);
    connect(btClose, &QPushButton::clicked, this, &TfrmView::btCloseClick);
    panel->addWidget(rbAscii);
    panel->addWidget(rbHex);
    panel->addStretch();
    for (QPushButton* b : {btFont, btPrint, BitBtn1, btStrings, btClose})
        panel->addWidget(b);

    Header1 = new QWidget(this);
    Header1->setObjectName(QStringLiteral("Header1"));
    Header1->setFixedHeight(25);
    auto* header = new QHBoxLayout(Header1);
    header->setContentsMargins(2, 0, 2, 0);
    header->setSpacing(2);
    const QStringList initial{QStringLiteral(" "), QStringLiteral("Total:"), QStringLiteral("Top:"),
                              QStringLiteral("Bytes:"), QStringLiteral(" ")};
    for (int i = 0; i < 5; ++i) {
        headerSections[std::size_t(i)] = new QLabel(initial[i], Header1);
        headerSections[std::size_t(i)]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        header->addWidget(headerSections[std::size_t(i)], i == 4 ? 1 : 0);
    }
    headerSections[0]->setMinimumWidth(90);
    headerSections[1]->setMinimumWidth(130);
    headerSections[2]->setMinimumWidth(100);
    headerSections[3]->setMinimumWidth(150);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Viewer1, 1);
    layout->addWidget(Panel1);
    layout->addWidget(Header1);
}

TfrmView::~TfrmView() = default;

void TfrmView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    centre(this);
    FormShow();
}

void TfrmView::FormShow() {
    Viewer1->setFileName(fileToView);
    try {
        Viewer1->openFile();
    } catch (const Error& e) {
        services_.showError(e.message());
        // The window does not stay open; the opener goes on as after a close.
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    setWindowTitle(QStringLiteral("View File : ") + QString::fromLocal8Bit(fileToView));
    Viewer1->setFocus();
    Search1Click();
    Clipboard1Click();
}

bool TfrmView::showFile(const QByteArray& path) {
    Viewer1->setFileName(path);
    bool opened = true;
    try {
        Viewer1->openFile();
    } catch (const Error& e) {
        services_.showError(e.message());
        opened = false;
    }
    Search1Click();
    Clipboard1Click();
    return opened;
}

void TfrmView::Open1Click() {
    const QString chosen =
        QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("All Files (*)"));
    if (chosen.isEmpty()) return;
    if (showFile(QFile::encodeName(chosen)))
        setWindowTitle(QStringLiteral("View File : ") + chosen);
}

void TfrmView::File1Click() {
    Print1->setEnabled(Viewer1->hasLines());
}

void TfrmView::Search1Click() {
    const bool lines = Viewer1->hasLines();
    Find1->setEnabled(lines);
    GotoLine1->setEnabled(lines);
    FindNext1->setEnabled(lines && !FindDlg().Edit1->text().isEmpty());
}

void TfrmView::Clipboard1Click() {
    SelectAll1->setEnabled(Viewer1->hasLines());
    Copy1->setEnabled(Viewer1->isOpen() && !Viewer1->selectionRange().isEmpty());
}

void TfrmView::Viewer1ShowStatus(qint64 line, qint64 column) {
    headerSections[0]->setText(
        (QString::number(line + 1) + QLatin1Char(':') + QString::number(column + 1))
            .leftJustified(8));
    const std::optional<std::int64_t> count = Viewer1->lineCount();
    headerSections[1]->setText(QStringLiteral("Total: ") +
                               (count ? formatThousands(*count) : QStringLiteral("?")));
    headerSections[2]->setText(
        (QStringLiteral("Top: ") + QString::number(Viewer1->topLine() + 1)).leftJustified(5));
    headerSections[3]->setText(QStringLiteral("Bytes: ") + formatThousands(Viewer1->fileSize()));
    Clipboard1Click();
}

void TfrmView::HexMode1Click() {
    const bool on = HexMode1->isChecked();
    Viewer1->setInHexMode(on);
    rbHex->setChecked(on);
    rbAscii->setChecked(!on);
}

void TfrmView::rbAsciiClick() {
    HexMode1->setChecked(false);
    Viewer1->setInHexMode(false);
    rbAscii->setChecked(true);
}

void TfrmView::rbHexClick() {
    HexMode1->setChecked(true);
    Viewer1->setInHexMode(true);
    rbHex->setChecked(true);
}

void TfrmView::TabExpansion1Click() {
    Viewer1->setExpandTabs(TabExpansion1->isChecked());
}

void TfrmView::TabSize1Click() {
    const std::optional<QString> typed =
        services_.dialogs().input(QStringLiteral("Tab Size"), QStringLiteral("Enter tab size"),
                                  QString::number(Viewer1->tabSize()));
    if (!typed) return;
    const std::optional<std::int64_t> n = typedNumber(*typed);
    if (!n) return;
    // Its low eight bits, as the size is kept in one byte; 0 leaves it.
    Viewer1->setTabSize(int(*n & 0xFF));
}

void TfrmView::Font1Click() {
    const std::optional<QFont> font = services_.dialogs().chooseFont(Viewer1->fixedFont());
    if (!font) return;
    try {
        Viewer1->setFixedFont(*font);
    } catch (const Error& e) {
        services_.showError(e.message());
    }
}

void TfrmView::GotoLine1Click() {
    if (!Viewer1->hasLines()) return;
    const std::optional<std::int64_t> count = Viewer1->lineCount();
    const std::optional<QString> typed = services_.dialogs().input(
        QStringLiteral("Go to line number"),
        QStringLiteral("Enter line number (1 to ") +
            (count ? QString::number(*count) : QStringLiteral("?")) + QLatin1Char(')'),
        QString());
    if (!typed) return;
    const std::optional<std::int64_t> n = typedNumber(*typed);
    if (!n) return;
    // Line 1 for anything below it; past the end, the last line.
    Viewer1->moveCaret(std::max<std::int64_t>(*n, 1) - 1, 0);
}

void TfrmView::searchFailed(const QString& text) {
    services_.showInfo(QStringLiteral("Search string '") + text + QStringLiteral("' not found"));
}

void TfrmView::Find1Click() {
    TFindDlg& dlg = FindDlg();
    if (dlg.exec() != QDialog::Accepted) return;
    const QString text = dlg.Edit1->text();
    if (!text.isEmpty() &&
        !Viewer1->findText(text, dlg.RadioButton2->isChecked(), dlg.CheckBox1->isChecked(),
                           dlg.CheckBox2->isChecked()))
        searchFailed(text);
    Search1Click();
}

void TfrmView::FindNext1Click() {
    Search1Click();
    if (!FindNext1->isEnabled()) return;
    const TFindDlg& dlg = FindDlg();
    const QString text = dlg.Edit1->text();
    if (!Viewer1->findText(text, dlg.RadioButton2->isChecked(), dlg.CheckBox1->isChecked(), false))
        searchFailed(text);
}

void TfrmView::Copy1Click() {
    Viewer1->copySelection();
}

void TfrmView::SelectAll1Click() {
    Viewer1->selectWholeFile(false);
}

void TfrmView::PrintSetup1Click() {
    QPageSetupDialog dialog(printer_.get(), this);
    dialog.exec();
}

bool TfrmView::printLines(QPrinter& printer, qint64 first, qint64 last, int firstCell,
                          int lastCell) {
    QPointer<TfrmView> alive(this);
    const QFont font = Viewer1->fixedFont();
    const bool pages = printer.printRange() == QPrinter::PageRange;
    const int fromPage = pages ? std::max(1, printer.fromPage()) : 1;
    const int toPage =
        pages && printer.toPage() > 0 ? printer.toPage() : std::numeric_limits<int>::max();
    QPainter painter;
    const QFontMetrics metrics(font, &printer);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int lineHeight = std::max(1, metrics.lineSpacing());
    const int charWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
    const std::int64_t rowsPerPage = std::max(1, page.height() / lineHeight);
    const int charsPerRow = std::max(1, page.width() / charWidth);
    std::int64_t row = 0;
    int pageDrawn = 0;  // the page being drawn, 0 before the first
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    bool fine = true;
    bool pastRange = false;
    for (qint64 line = first; line <= last && fine && !pastRange; ++line) {
        if (!Viewer1->isOpen() || !Viewer1->model().lineExists(line)) break;
        QString text = Viewer1->printableLine(line, 1024);
        if (line == last && lastCell >= 0) text.truncate(lastCell);
        if (line == first && firstCell > 0)
            text = QString(std::min<int>(firstCell, int(text.size())), QLatin1Char(' ')) +
                   text.mid(firstCell);
        const qsizetype pieces =
            std::max<qsizetype>(1, (text.size() + charsPerRow - 1) / charsPerRow);
        for (qsizetype k = 0; k < pieces && fine; ++k, ++row) {
            const std::int64_t pageNo = row / rowsPerPage + 1;
            if (pageNo > toPage) {
                pastRange = true;
                break;
            }
            if (pageNo < fromPage) continue;
            if (pageDrawn == 0) {
                if (!painter.begin(&printer)) return false;
                painter.setFont(font);
            } else if (pageNo != pageDrawn && !printer.newPage()) {
                fine = false;
                break;
            }
            pageDrawn = int(pageNo);
            painter.drawText(QPoint(0, int(row % rowsPerPage) * lineHeight + metrics.ascent()),
                             text.mid(k * charsPerRow, charsPerRow));
        }
        if (sinceEvents.elapsed() > 30) {
            // A long print keeps the window answering; closing it stops the print.
            QApplication::processEvents();
            sinceEvents.restart();
            if (!alive || closing_) {
                if (alive && painter.isActive()) printer.abort();
                return false;
            }
        }
        fine = fine && printer.printerState() != QPrinter::Error;
        if (line == last) break;  // last may be the largest line number there is
    }
    if (painter.isActive() && !painter.end()) fine = false;
    return fine && printer.printerState() != QPrinter::Error;
}

void TfrmView::Print1Click() {
    if (!Viewer1->hasLines()) return;
    const TextRange selection = Viewer1->selectionRange();
    if (!services_.dialogs().choosePrinterFor(*printer_, !selection.isEmpty())) return;
    bool printed = false;
    if (printer_->printRange() == QPrinter::Selection && !selection.isEmpty()) {
        CellRules rules;
        rules.tabSize = Viewer1->tabSize();
        rules.utf8 = !Viewer1->inHexMode();
        rules.expandTabs = !Viewer1->inHexMode();
        FileViewModel& model = Viewer1->model();
        const LineCells start = lineCells(model.lineText(selection.start.line), rules);
        const LineCells end = lineCells(model.lineText(selection.end.line), rules);
        printed =
            printLines(*printer_, selection.start.line, selection.end.line,
                       start.cellOf(selection.start.column), end.cellOf(selection.end.column));
    } else {
        printed = printLines(*printer_, 0, std::numeric_limits<qint64>::max(), 0, -1);
    }
    printer_->setPrintRange(QPrinter::AllPages);
    if (!printed && !closing_) services_.showError(printFailure);
}

void TfrmView::btStringsClick() {
    TfrmStrings strings(services_, this);
    strings.setWindowTitle(QStringLiteral("ASCII strings for : ") +
                           QString::fromLocal8Bit(fileToView));
    strings.fileToScan = fileToView;
    strings.setGeometry(geometry());
    strings.exec();
}

void TfrmView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() &&
        !droppedPath(event->mimeData()->urls().value(0)).isEmpty()) {
        // A copy: a move would let the source delete the file.
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void TfrmView::dropEvent(QDropEvent* event) {
    const QByteArray path = droppedPath(event->mimeData()->urls().value(0));
    if (path.isEmpty()) return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    showFile(path);
    if (isMinimized())
        showNormal();
    else
        raise();
    activateWindow();
}

void TfrmView::done(int result) {
    closing_ = true;
    QDialog::done(result);
}

TfrmStrings::TfrmStrings(const Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setWindowTitle(QStringLiteral("Strings for file: "));
    resize(455, 328);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    auto* panel = new QHBoxLayout(Panel1);
    panel->setContentsMargins(8, 4, 10, 4);
    Label1 = new QLabel(QStringLiteral("Number of ASCII lines found : "), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    lblCount = new QLabel(Panel1);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    btClose = new QPushButton(QStringLiteral("Close"), Panel1);
    btClose->setObjectName(QStringLiteral("btClose"));
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
    panel->addWidget(Label1);
    panel->addWidget(lblCount);
    panel->addStretch();
    panel->addWidget(btClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Memo1, 1);
    layout->addWidget(Panel1);
}

void TfrmStrings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TfrmStrings::FormShow() {
    WaitCursor wait;
    QString text;
    std::int64_t count = 0;
    const auto found = [&](QByteArrayView s) {
        if (count++ > 0) text += QLatin1Char('\n');
        text += QLatin1String(s.data(), s.size());
    };
    try {
        if (scanAsciiStrings(fileToScan, found, 5, 100) < 0) {
            wait.restore();
            services_.showError(QStringLiteral("Could not open file ") +
                                QString::fromLocal8Bit(fileToScan));
        }
    } catch (const Error& e) {
        // What was found before the error is kept.
        wait.restore();
        services_.showError(e.message());
    }
    Memo1->setPlainText(text);
    lblCount->setText(QString::number(count));
}

void openViewerWindow(const Services& services, QWidget* owner, const QByteArray& path) {
    TfrmView view(services, owner);
    view.fileToView = path;
    view.exec();
}

}  // namespace rk
