#include "duplicates/TfrmDup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>

#include "common/Drives.h"
#include "common/FileTypes.h"
#include "common/FolderWalk.h"
#include "common/Messages.h"
#include "common/Services.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"
#include "ui/BrowserLink.h"
#include "ui/DriveCheckPanel.h"
#include "ui/ReportOutput.h"
#include "ui/ResultGridView.h"
#include "ui/ResultWindow.h"
#include "ui/SortMenu.h"
#include "ui/TfrmReallyDelete.h"

namespace rk {

namespace {

const QString abortedText = QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER");

}  // namespace

TfrmDup::TfrmDup(QWidget* parent)
    : ToolWindow(parent), duplicates_(DupMode), scanner_(std::make_unique<DupScan>(platform())) {
    setObjectName(QStringLiteral("frmDup"));
    setWindowTitle(duplicates_ ? QStringLiteral("Find and delete duplicate files")
                               : QStringLiteral("Find and delete file hogs"));
    resize(px(640), px(406));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(px(172));

    Label1 = new QLabel(duplicates_ ? QStringLiteral("&Look for duplicates larger than:")
                                    : QStringLiteral("&Look for file hogs larger than:"),
                        Panel1);
    SpinEdit1 = new QSpinBox(Panel1);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(0, 50000);
    SpinEdit1->setSingleStep(50);
    SpinEdit1->setValue(250);
    if (auto* edit = SpinEdit1->findChild<QLineEdit*>()) edit->setReadOnly(true);  // arrows only
    SpinEdit1->setToolTip(QStringLiteral("File size in KiloBytes"));
    Label1->setBuddy(SpinEdit1);
    lblKB = new QLabel(QStringLiteral("KB"), Panel1);
    Label3 = new QLabel(QStringLiteral("Matc&hing these files:"), Panel1);
    cbWildCard = new QComboBox(Panel1);
    cbWildCard->setObjectName(QStringLiteral("cbWildCard"));
    cbWildCard->setEditable(true);
    cbWildCard->setMaxVisibleItems(14);
    cbWildCard->setInsertPolicy(QComboBox::NoInsert);
    cbWildCard->setToolTip(QStringLiteral("Wildcard pattern for matching file types"));
    cbWildCard->setEditText(QStringLiteral("*.*"));
    cbWildCard->setMinimumWidth(px(150));
    Label3->setBuddy(cbWildCard);
    lblWild = new QLabel(QStringLiteral("All files"), Panel1);
    lblType = new QLabel(Panel1);
    Label4 = new QLabel(QStringLiteral("D&rives:"), Panel1);
    pnlDrives = new DriveCheckPanel(Panel1);
    Label4->setBuddy(pnlDrives->box(1));

    btScan = makeToolButton(Panel1, QStringLiteral("btScan"), QStringLiteral("&Scan"),
                            duplicates_ ? QStringLiteral("Duplicates on file name only")
                                        : QStringLiteral("Start scanning for file hogs"),
                            QStyle::SP_FileDialogContentsView);
    btExact = makeToolButton(Panel1, QStringLiteral("btExact"), QStringLiteral("&Exact"),
                             QStringLiteral("Search for duplicates based on file name AND size"),
                             QStyle::SP_FileDialogDetailedView);
    btClose = makeToolButton(Panel1, QStringLiteral("btClose"), QStringLiteral("Close"),
                             QStringLiteral("Close window"), QStyle::SP_DialogCloseButton);
    btAbort = makeToolButton(Panel1, QStringLiteral("btAbort"), QStringLiteral("&Abort"),
                             QStringLiteral("Abort scan"), QStyle::SP_BrowserStop);
    btMark =
        makeToolButton(Panel1, QStringLiteral("btMark"), QStringLiteral("&Mark"),
                       QStringLiteral("Mark file for deletion (double click on grid also works)"),
                       QStyle::SP_DialogApplyButton);
    btDelete = makeToolButton(Panel1, QStringLiteral("btDelete"), QStringLiteral("Delete"),
                              QStringLiteral("Delete marked files"), QStyle::SP_TrashIcon);
    btPrint = makeToolButton(Panel1, QStringLiteral("btPrint"), QStringLiteral("&Print"),
                             QStringLiteral("Print list of files"), QStyle::SP_FileIcon);
    btClip = makeToolButton(Panel1, QStringLiteral("btClip"), QStringLiteral("C&lipboard"),
                            QStringLiteral("Copy list of files to clipboard"),
                            QStyle::SP_DialogSaveButton);
    btBrowse =
        makeToolButton(Panel1, QStringLiteral("btBrowse"), QStringLiteral("&Browse"),
                       QStringLiteral("Browse this file and folder"), QStyle::SP_DirOpenIcon);
    btSort = makeToolButton(Panel1, QStringLiteral("btSort"), QStringLiteral("S&ort"),
                            QStringLiteral("Sort columns"), QStyle::SP_ArrowDown);
    btDelete->setEnabled(false);

    // Query controls at the left, the drives at the right, the button row below.
    auto* query = new QGridLayout;
    query->setHorizontalSpacing(px(6));
    query->addWidget(Label1, 0, 0, 1, 3);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(SpinEdit1);
    sizeRow->addWidget(lblKB, 1);
    query->addLayout(sizeRow, 1, 0, 1, 3);
    query->addWidget(Label3, 2, 0, 1, 3);
    query->addWidget(cbWildCard, 3, 0);
    query->addWidget(lblWild, 3, 1);
    query->addWidget(lblType, 4, 0, 1, 3);
    query->setColumnStretch(2, 1);
    auto* drives = new QHBoxLayout;
    drives->addWidget(Label4, 0, Qt::AlignTop);
    drives->addWidget(pnlDrives);
    auto* top = new QHBoxLayout;
    top->addLayout(query, 1);
    top->addSpacing(px(10));
    top->addLayout(drives);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(px(3));
    for (QPushButton* b :
         {btScan, btExact, btClose, btAbort, btMark, btDelete, btPrint, btClip, btBrowse, btSort})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(px(8), px(4), px(10), px(6));
    panel->addLayout(top, 1);
    panel->addLayout(buttons);

    grid = new ResultGridView(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setToolTip(QStringLiteral("Double click to mark for deletion"));
    grid->installEventFilter(this);
    grid->results().setRightAligned(duplicates_ ? 1 : 0, true);  // Size in K

    pnlSel = new QLabel(this);
    pnlSel->setObjectName(QStringLiteral("pnlSel"));
    pnlSel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlSel->setLineWidth(2);
    pnlSel->setFixedHeight(px(21));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(grid, 1);
    layout->addWidget(pnlSel);

    PopupMenu1 = new SortMenu(grid, this);
    Sortbysize1 = PopupMenu1->addSort(QStringLiteral("Sort by &Size"), SortKind::Size, 0, true);
    SortbyDate1 = PopupMenu1->addSort(QStringLiteral("Sort by &Date"), SortKind::Date, 1, true);
    SortbyAccess =
        PopupMenu1->addSort(QStringLiteral("Sort by &Access date"), SortKind::Date, 3, true);
    SortbyName1 = PopupMenu1->addSort(QStringLiteral("Sort by &Name"), SortKind::Text, 4, false);
    SortbyType1 = PopupMenu1->addSort(QStringLiteral("Sort by &Type"), SortKind::Text, 5, false);

    connect(btScan, &QPushButton::clicked, this, &TfrmDup::btScanClick);
    connect(btExact, &QPushButton::clicked, this, &TfrmDup::btExactClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btAbort, &QPushButton::clicked, this, &TfrmDup::btAbortClick);
    connect(btMark, &QPushButton::clicked, this, &TfrmDup::DeleteAllFiles);
    connect(btDelete, &QPushButton::clicked, this, &TfrmDup::btDeleteClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmDup::btPrintClick);
    connect(btClip, &QPushButton::clicked, this, &TfrmDup::btClipClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmDup::BrowseDirectory1Click);
    connect(btSort, &QPushButton::clicked, this, &TfrmDup::btSortClick);
    connect(grid, &QAbstractItemView::doubleClicked, this, &TfrmDup::gridDblClick);
    connect(pnlDrives, &DriveCheckPanel::cb1Click, this, &TfrmDup::cb1Click);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TfrmDup::KiloToMega);
    connect(cbWildCard, &QComboBox::editTextChanged, this, &TfrmDup::cbWildCardChange);

    scanner_->showFolder = [this](const QString& folder) { pnlSel->setText(folder); };
    KiloToMega();
}

TfrmDup::~TfrmDup() = default;

void TfrmDup::FormShow() {
    ClearGrid();
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btAbort, btMark, btDelete})
        b->hide();
    pnlSel->clear();
    pnlDrives->FillDriveBoxes(driveTable());
    btScan->setEnabled(pnlDrives->anyChecked());
    btExact->setEnabled(pnlDrives->anyChecked());
    btClose->setEnabled(true);
    btExact->setVisible(duplicates_);
    PopupMenu1->attachToGrid(false);
    btScan->setFocus();

    // Never smaller than the query panel needs; the grid takes what is left.
    const QSize panel = Panel1->sizeHint();
    QSize minimum(panel.width() + px(3), (Panel1->height()) * 2);
    if (QScreen* s = screen()) {
        minimum = minimum.boundedTo(s->availableGeometry().size() - QSize(10, 10));
        move(s->availableGeometry().center() - rect().center());
    }
    setMinimumSize(minimum);
    FormResize();
    QStringList patterns;
    listRegisteredExtensions(patterns);
    const QString text = cbWildCard->currentText();
    cbWildCard->clear();
    cbWildCard->addItems(patterns);
    cbWildCard->setEditText(text);
}

void TfrmDup::resizeEvent(QResizeEvent* event) {
    ToolWindow::resizeEvent(event);
    FormResize();
}

void TfrmDup::FormResize() {
    static const QList<int> dupWidths = {93, 54, 64, 70, 70, 184};
    static const QList<int> hogWidths = {54, 64, 64, 64, 296};
    // The last column takes the rest of the window, 25 pixels short of its edge.
    fitResultColumns(*grid, duplicates_ ? dupWidths : hogWidths, fitted_, width(), 25);
}

void TfrmDup::ClearGrid() {
    static const QStringList dupTitles = {"Filename", "Size in K", "Modified", "Time",
                                          "Access",   "Folder",    "Type"};
    static const QStringList hogTitles = {"Size in K", "Modified", "Time",
                                          "Access",    "FileName", "Type"};
    ResultGrid& g = grid->results();
    g.setColumns(duplicates_ ? dupTitles : hogTitles);
    g.clear();
    rowsFilled = 0;
    fitted_.clear();
    FormResize();
    PopupMenu1->check(Sortbysize1);
    lbDeleted.clear();
    markedCount = 0;
    markedBytes = 0;
    btDelete->setEnabled(false);
    grid->setFocus();
}

void TfrmDup::btScanClick() {
    ClearGrid();
    scan(false);
}

void TfrmDup::btExactClick() {
    ClearGrid();
    scan(true);
}

void TfrmDup::scan(bool exact) {
    DupQuery query;
    query.duplicates = duplicates_;
    query.exact = exact;
    query.sizeLimitKb = SpinEdit1->value();
    query.pattern = cbWildCard->currentText();
    query.drives = pnlDrives->checkedDrives();

    scanning_ = true;
    btAbort->show();
    btMark->hide();
    btDelete->hide();
    for (QWidget* w : {static_cast<QWidget*>(btScan), static_cast<QWidget*>(btExact),
                       static_cast<QWidget*>(btClose), static_cast<QWidget*>(pnlDrives),
                       static_cast<QWidget*>(SpinEdit1), static_cast<QWidget*>(cbWildCard)})
        w->setEnabled(false);
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort})
        b->hide();
    grid->setCursor(Qt::WaitCursor);

    runScanWithEvents(
        *scanner_, [&] { scanner_->run(query); }, [this] { finishScan(); });
    // The grid reads its rows on demand, so even a million rows show at once; the window
    // still answers while they are added.
    EventPump pump([] { QCoreApplication::processEvents(); });
    for (const DupRecord& r : scanner_->lbFiles()) {
        addToGrid(r);
        pump.poll();
    }
    if (rowsFilled >= 2) grid->results().trim(rowsFilled);
    // Sizes, dates and times are shown whole; the folder and file name columns keep their
    // designed widths.
    const int pathColumn = duplicates_ ? 5 : 4;
    for (int c = 0; c + 1 < grid->results().columnCount(); ++c)
        fitted_.append(c == pathColumn ? 0 : std::min(grid->contentWidth(c), 200));
    FormResize();
    finishScan();

    const std::size_t found = scanner_->lbFiles().size();
    if (found == 0) {
        ShowInfo(QStringLiteral("No files found."));
        return;
    }
    for (QPushButton* b : {btPrint, btClip, btBrowse})
        b->show();
    QString status =
        formatThousands(std::int64_t(found)) +
        (duplicates_ ? QStringLiteral(" duplicates found") : QStringLiteral(" file hogs found"));
    status += skippedFoldersNote(scanner_->skippedFolders());
    pnlSel->setText(status);
    if (!duplicates_) {
        PopupMenu1->attachToGrid(true);
        btSort->show();
    }
}

void TfrmDup::finishScan() {
    scanning_ = false;
    grid->unsetCursor();
    btAbort->hide();
    const bool any = scanner_ && !scanner_->lbFiles().empty();
    btMark->setVisible(any);
    btDelete->setVisible(any);
    btDelete->setEnabled(markedCount > 0);
    for (QWidget* w : {static_cast<QWidget*>(btScan), static_cast<QWidget*>(btExact),
                       static_cast<QWidget*>(btClose), static_cast<QWidget*>(pnlDrives),
                       static_cast<QWidget*>(SpinEdit1), static_cast<QWidget*>(cbWildCard)})
        w->setEnabled(true);
    btScan->setEnabled(pnlDrives->anyChecked());
    btExact->setEnabled(pnlDrives->anyChecked());
}

void TfrmDup::addToGrid(const DupRecord& record) {
    ++rowsFilled;
    grid->results().addRecordUtf8(record.text(), scanner_->pathOf(record));
}

void TfrmDup::btAbortClick() {
    scanner_->abort = true;
    btAbort->hide();
    ShowWarning(abortedText);
}

void TfrmDup::closeEvent(QCloseEvent* event) {
    // The title bar's close button during a scan stops the scan; the window closes after.
    if (scanning_) {
        scanner_->abort = true;
        event->ignore();
        return;
    }
    ToolWindow::closeEvent(event);
}

void TfrmDup::cb1Click(bool anyChecked) {
    btScan->setEnabled(anyChecked);
    btExact->setEnabled(anyChecked);
}

void TfrmDup::KiloToMega() {
    lblKB->setText(rk::KiloToMega(SpinEdit1->value()));
}

void TfrmDup::cbWildCardChange() {
    const QString pattern = cbWildCard->currentText();
    lblWild->setText(pattern == QLatin1String("*.*") ? QStringLiteral("All files") : QString());
    lblType->setText(fileTypeName(pattern.mid(1)));
}

void TfrmDup::deleteOneFile(int row) {
    if (row < 1 || row > rowsFilled) return;
    ResultGrid& g = grid->results();
    const QByteArray path = g.pathOf(row);
    const bool marking = !g.isMarked(row);
    g.setMark(row, markColumn(), marking);
    // Only a file that is still there counts toward the totals.
    if (const std::optional<std::int64_t> size = platform().fileSize(path)) {
        markedCount += marking ? 1 : -1;
        markedBytes += marking ? *size : -*size;
    }
    if (marking) {
        lbDeleted.push_back(path);
    } else {
        const auto it = std::find(lbDeleted.begin(), lbDeleted.end(), path);
        if (it != lbDeleted.end()) lbDeleted.erase(it);
    }
    pnlSel->setText(
        QStringLiteral("%1 files %2 bytes").arg(markedCount).arg(formatThousands(markedBytes)));
}

void TfrmDup::gridDblClick() {
    if (grid->currentRow() >= 1) deleteOneFile(grid->currentRow());
    btDelete->setEnabled(markedCount > 0);
}

void TfrmDup::DeleteAllFiles() {
    const int row = grid->currentRow();
    if (row >= 1) {
        deleteOneFile(row);
        if (row < grid->results().rowCount() - 1) grid->setCurrentRow(row + 1);
    }
    btDelete->setEnabled(markedCount > 0);
}

bool TfrmDup::eventFilter(QObject* watched, QEvent* event) {
    // gridKeyUp: each release of Delete marks the current row and moves down.
    if (watched == grid && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && !key->isAutoRepeat()) {
            DeleteAllFiles();
            return true;
        }
    }
    return ToolWindow::eventFilter(watched, event);
}

void TfrmDup::btDeleteClick() {
    if (markedCount <= 0) return;
    TfrmReallyDelete confirm(this);
    confirm.addFiles(lbDeleted);
    confirm.savings = markedBytes;
    if (confirm.exec() == QDialog::Rejected) return;
    accept();
}

void TfrmDup::btSortClick() {
    if (!duplicates_) PopupMenu1->popupOverGrid();
}

QString TfrmDup::printTitle() const {
    QString driveList;
    for (const Drive& d : pnlDrives->checkedDrives())
        driveList += d.caption() + QLatin1Char(' ');
    return (duplicates_ ? QStringLiteral("Duplicates larger than ")
                        : QStringLiteral("File Hogs larger than ")) +
           QString::number(SpinEdit1->value()) + QStringLiteral("KB") +
           QStringLiteral(" matching ") + cbWildCard->currentText() +
           QStringLiteral(" on drive(s) ") + driveList;
}

void TfrmDup::btPrintClick() {
    PrintGridReport(grid->results(), printTitle());
}

void TfrmDup::btClipClick() {
    QStringList lines;
    lines.reserve(qsizetype(scanner_->lbFiles().size()));
    for (const DupRecord& r : scanner_->lbFiles())
        lines.append(QString::fromUtf8(r.text()));
    CopyListToClipboard(lines);
}

void TfrmDup::BrowseDirectory1Click() {
    const int row = grid->currentRow();
    if (row < 1 || !openBrowser) return;
    const QByteArray path = grid->results().pathOf(row);
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray("/") : path.left(slash);
    openBrowser(this, folder, path.mid(slash + 1), cbWildCard->currentText());
}

}  // namespace rk
