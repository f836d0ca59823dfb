#include "folderhogs/TfrmDirHog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QScopeGuard>
#include <QScreen>
#include <QVBoxLayout>

#include "common/Deletion.h"
#include "common/Drives.h"
#include "common/FolderWalk.h"
#include "common/Messages.h"
#include "common/ProtectedFolders.h"
#include "common/Services.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"
#include "ui/BrowserLink.h"
#include "ui/DriveCheckPanel.h"
#include "ui/ReportOutput.h"
#include "ui/ResultGridView.h"
#include "ui/ResultWindow.h"
#include "ui/SortMenu.h"
#include "ui/TfrmDelDirectory.h"

namespace rk {

namespace {

const QString abortedText = QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER");
const QString deletedText = QStringLiteral("DELETED");
const QString recycledText = QStringLiteral("RECYCLED");
constexpr int sizeColumn = 0;
constexpr int nameColumn = 5;

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

}  // namespace

TfrmDirHog::TfrmDirHog(QWidget* parent)
    : ToolWindow(parent), scanner_(std::make_unique<FolderHogScan>(platform())) {
    setObjectName(QStringLiteral("frmDirHog"));
    setWindowTitle(QStringLiteral("Folder Hogs"));
    resize(px(638), px(414));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(px(169));

    Label1 = makeLabel(Panel1, QStringLiteral("Label1"), QStringLiteral("Main -"));
    Label2 = makeLabel(
        Panel1, QStringLiteral("Label2"),
        QStringLiteral("only main folders are displayed (those folders directly under the main "
                       "folder)"));
    Label3 = makeLabel(Panel1, QStringLiteral("Label3"), QStringLiteral("All -"));
    Label5 =
        makeLabel(Panel1, QStringLiteral("Label5"),
                  QStringLiteral("all folders including sub-folders are individually displayed"));
    for (QLabel* l : {Label2, Label5})
        l->setWordWrap(true);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label3->setFont(bold);
    Label4 = makeLabel(Panel1, QStringLiteral("Label4"), QStringLiteral("D&rives:"));
    pnlDrives = new DriveCheckPanel(Panel1);
    pnlDrives->setObjectName(QStringLiteral("pnlDrives"));
    Label4->setBuddy(pnlDrives->box(1));

    btTop = makeToolButton(Panel1, QStringLiteral("btTop"), QStringLiteral("&Main folders"),
                           QStringLiteral("Only topmost folders. Does not display sub-folders."),
                           QStyle::SP_DirIcon);
    btAll = makeToolButton(Panel1, QStringLiteral("btAll"), QStringLiteral("&All Folders"),
                           QStringLiteral("ALL folders including sub-folders are displayed"),
                           QStyle::SP_DirOpenIcon);
    btClose = makeToolButton(Panel1, QStringLiteral("btClose"), QStringLiteral("Close"),
                             QStringLiteral("Close window"), QStyle::SP_DialogCloseButton);
    btAbort = makeToolButton(Panel1, QStringLiteral("btAbort"), QStringLiteral("&Abort"),
                             QStringLiteral("Abort scan"), QStyle::SP_BrowserStop);
    btDelete = makeToolButton(Panel1, QStringLiteral("btDelete"), QStringLiteral("&Delete"),
                              QStringLiteral("Delete the folder"), QStyle::SP_TrashIcon);
    btPrint = makeToolButton(Panel1, QStringLiteral("btPrint"), QStringLiteral("&Print"),
                             QStringLiteral("Print list of directories"), QStyle::SP_FileIcon);
    btClip = makeToolButton(Panel1, QStringLiteral("btClip"), QStringLiteral("C&lipboard"),
                            QStringLiteral("Copy list of directories to clipboard"),
                            QStyle::SP_DialogSaveButton);
    btBrowse = makeToolButton(Panel1, QStringLiteral("btBrowse"), QStringLiteral("&Browse"),
                              QStringLiteral("Browse the files and folder"),
                              QStyle::SP_FileDialogContentsView);
    btSort = makeToolButton(Panel1, QStringLiteral("btSort"), QStringLiteral("S&ort"),
                            QStringLiteral("Sort columns "), QStyle::SP_ArrowDown);

    // The two explanations at the left, the drives at the right, the button row below.
    auto* query = new QGridLayout;
    query->setHorizontalSpacing(px(6));
    query->setVerticalSpacing(px(8));
    query->addWidget(Label1, 0, 0, Qt::AlignTop);
    query->addWidget(Label2, 0, 1, Qt::AlignTop);
    query->addWidget(Label3, 1, 0, Qt::AlignTop);
    query->addWidget(Label5, 1, 1, Qt::AlignTop);
    query->setColumnStretch(1, 1);
    query->setRowStretch(2, 1);
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
         {btTop, btAll, btClose, btAbort, btDelete, btPrint, btClip, btBrowse, btSort})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(px(8), px(6), px(10), px(6));
    panel->addLayout(top, 1);
    panel->addLayout(buttons);

    grid = new ResultGridView(this);
    for (int column : {0, 1, 2, 3})
        grid->results().setRightAligned(column, true);  // the numbers
    grid->setObjectName(QStringLiteral("grid"));

    pnlScan = new QLabel(this);
    pnlScan->setObjectName(QStringLiteral("pnlScan"));
    pnlScan->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlScan->setLineWidth(2);
    pnlScan->setFixedHeight(std::max(px(19), pnlScan->sizeHint().height()));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(grid, 1);
    layout->addWidget(pnlScan);

    PopupMenu1 = new SortMenu(grid, this);
    SortbySize1 = PopupMenu1->addSort(QStringLiteral("Sort by &Size"), SortKind::Size, 0, true);
    Sortbyfiles1 =
        PopupMenu1->addSort(QStringLiteral("Sort by # &Files"), SortKind::Number, 2, true);
    Sortbysubdirectories1 =
        PopupMenu1->addSort(QStringLiteral("Sort by # Sub-f&olders"), SortKind::Number, 3, true);
    Sortbydate1 =
        PopupMenu1->addSort(QStringLiteral("Sort by &Access Date"), SortKind::Date, 4, true);
    SortbyName1 =
        PopupMenu1->addSort(QStringLiteral("Sort by &Name"), SortKind::Text, nameColumn, false);
    PopupMenu1->attachToGrid(true);

    connect(btTop, &QPushButton::clicked, this, &TfrmDirHog::btTopClick);
    connect(btAll, &QPushButton::clicked, this, &TfrmDirHog::btAllClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btAbort, &QPushButton::clicked, this, &TfrmDirHog::btAbortClick);
    connect(btDelete, &QPushButton::clicked, this, &TfrmDirHog::btDeleteClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmDirHog::btPrintClick);
    connect(btClip, &QPushButton::clicked, this, &TfrmDirHog::btClipClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmDirHog::btBrowseClick);
    connect(btSort, &QPushButton::clicked, this, &TfrmDirHog::btSortClick);
    connect(grid, &QAbstractItemView::doubleClicked, this, &TfrmDirHog::btDeleteClick);
    connect(pnlDrives, &DriveCheckPanel::cb1Click, this, &TfrmDirHog::cb1Click);

    scanner_->showFolder = [this](const QString& folder) { pnlScan->setText(folder); };
}

TfrmDirHog::~TfrmDirHog() = default;

void TfrmDirHog::FormShow() {
    ClearGrid();
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btDelete, btAbort})
        b->hide();
    pnlScan->clear();
    pnlDrives->FillDriveBoxes(driveTable());
    cb1Click(pnlDrives->anyChecked());
    btTop->setFocus();

    // Wide enough for the whole button row, twice the query panel high.
    QSize minimum(Panel1->sizeHint().width() + px(3), Panel1->height() * 2);
    if (QScreen* s = screen()) {
        minimum = minimum.boundedTo(s->availableGeometry().size() - QSize(10, 10));
        move(s->availableGeometry().center() - rect().center());
    }
    setMinimumSize(minimum);
    FormResize();
}

void TfrmDirHog::resizeEvent(QResizeEvent* event) {
    ToolWindow::resizeEvent(event);
    FormResize();
}

void TfrmDirHog::FormResize() {
    static const QList<int> designed = {61, 40, 40, 70, 90};
    // The path takes the rest of the window, 25 pixels short of its edge.
    fitResultColumns(*grid, designed, fitted_, width(), 25);
}

void TfrmDirHog::ClearGrid() {
    static const QStringList titles = {
        "Size", "% Used", "# Files", "# Sub-folders", "Latest File Access", "Name"};
    ResultGrid& g = grid->results();
    g.setColumns(titles);
    g.clear();
    rowsFilled = 0;
    // The titles are shown whole before any row arrives.
    fitted_.clear();
    for (int c = 0; c < nameColumn; ++c)
        fitted_.append(grid->contentWidth(c, 0));
    FormResize();
    PopupMenu1->check(SortbySize1);
    grid->setFocus();
}

void TfrmDirHog::btTopClick() {
    ClearGrid();
    scan(true);
}

void TfrmDirHog::btAllClick() {
    ClearGrid();
    scan(false);
}

void TfrmDirHog::scan(bool main) {
    const std::vector<Drive> drives = pnlDrives->checkedDrives();
    aborted_ = false;
    removed_.clear();
    scanning_ = true;
    btAbort->show();
    setBusy(true);
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btDelete})
        b->hide();
    grid->setCursor(Qt::WaitCursor);

    runScanWithEvents(
        *scanner_, [&] { scanner_->run(main, drives); }, [this] { finishScan(); });
    // Showing the rows happens at once: the grid reads them on demand.
    for (const ScanRecord& r : scanner_->lb())
        addToGrid(r);
    grid->results().trim(rowsFilled);
    fitted_.clear();
    for (int c = 0; c < nameColumn; ++c)
        fitted_.append(std::min(grid->contentWidth(c), 200));
    FormResize();
    QString status = QStringLiteral("Folders : ") + QString::number(rowsFilled);
    status += skippedFoldersNote(scanner_->skippedFolders());
    pnlScan->setText(status);
    finishScan();

    // One line is no ranking: the result buttons wait for at least two, the abort line
    // counted.
    if (scanner_->lb().size() + (aborted_ ? 1 : 0) < 2) {
        ShowInfo(QStringLiteral("No files found."));
        return;
    }
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btDelete})
        b->show();
}

void TfrmDirHog::finishScan() {
    scanning_ = false;
    grid->unsetCursor();
    btAbort->hide();
    setBusy(false);
}

void TfrmDirHog::setBusy(bool busy) {
    for (QWidget* w : {static_cast<QWidget*>(btTop), static_cast<QWidget*>(btAll),
                       static_cast<QWidget*>(btClose), static_cast<QWidget*>(pnlDrives)})
        w->setEnabled(!busy);
    if (!busy) cb1Click(pnlDrives->anyChecked());
}

void TfrmDirHog::addToGrid(const ScanRecord& record) {
    ++rowsFilled;
    grid->results().addRecordUtf8(record.text(), scanner_->pathOf(record));
}

void TfrmDirHog::btAbortClick() {
    scanner_->abort = true;
    aborted_ = true;
    btAbort->hide();
    ShowWarning(abortedText);
}

void TfrmDirHog::reject() {
    if (scanning_ || deleting_) return;
    ToolWindow::reject();
}

void TfrmDirHog::closeEvent(QCloseEvent* event) {
    // The title bar's close button during a scan stops the scan, and the window stays with
    // what was found; a deletion under way runs to its end.
    if (scanning_ || deleting_) {
        if (scanning_) {
            scanner_->abort = true;
            aborted_ = true;
        }
        event->ignore();
        return;
    }
    ToolWindow::closeEvent(event);
}

void TfrmDirHog::cb1Click(bool anyChecked) {
    btTop->setEnabled(anyChecked);
    btAll->setEnabled(anyChecked);
}

void TfrmDirHog::SortbySize1Click(QAction* item) {
    PopupMenu1->choose(item);
}

void TfrmDirHog::btSortClick() {
    PopupMenu1->popupOverGrid();
}

QString TfrmDirHog::printTitle() const {
    QString title = QStringLiteral("Folder hogs on drive(s) ");
    for (const Drive& d : pnlDrives->checkedDrives())
        title += d.caption() + QLatin1Char(' ');
    return title;
}

void TfrmDirHog::btPrintClick() {
    PrintGridReport(grid->results(), printTitle());
}

bool TfrmDirHog::wasRemoved(const QByteArray& path) const {
    if (removed_.isEmpty()) return false;
    // The folder itself, or any folder above it.
    for (qsizetype end = path.size(); end > 0; end = path.lastIndexOf('/', end - 1)) {
        if (removed_.contains(path.left(end))) return true;
    }
    return false;
}

QStringList TfrmDirHog::clipboardLines() const {
    QStringList lines;
    lines.reserve(qsizetype(scanner_->lb().size()) + 1);
    if (aborted_) lines.append(abortedText);
    for (const ScanRecord& r : scanner_->lb())
        if (!wasRemoved(scanner_->pathOf(r))) lines.append(QString::fromUtf8(r.text()));
    return lines;
}

void TfrmDirHog::btClipClick() {
    CopyListToClipboard(clipboardLines());
}

void TfrmDirHog::btBrowseClick() {
    const int row = grid->currentRow();
    if (row < 1 || !openBrowser) return;
    openBrowser(this, grid->results().pathOf(row), {}, QStringLiteral("*.*"));
}

void TfrmDirHog::btDeleteClick() {
    const int row = grid->currentRow();
    ResultGrid& g = grid->results();
    if (row < 1 || scanning_ || deleting_) return;
    const QString size = g.cell(sizeColumn, row);
    if (size.isEmpty()) return;
    if (size == deletedText || size == recycledText) {
        ShowError(QStringLiteral("Folder already deleted/recycled"));
        return;
    }
    const QByteArray path = g.pathOf(row);
    if (RefuseProtectedFolder(path)) return;

    bool sendToBin = false;
    {
        TfrmDelDirectory confirm(this);
        confirm.setDirectory(path);
        if (confirm.exec() == QDialog::Rejected) return;
        sendToBin = confirm.sendToBin;
    }

    // The window repaints during a long deletion, but takes no other orders until it ends.
    FolderDeletion done;
    {
        // The hourglass over this window only: the questions about single files keep the arrow.
        deleting_ = true;
        Panel1->setEnabled(false);
        grid->setEnabled(false);
        setCursor(Qt::WaitCursor);
        const auto takeOrders = qScopeGuard([this] {
            deleting_ = false;
            unsetCursor();
            Panel1->setEnabled(true);
            grid->setEnabled(true);
        });
        EventPump pump([] { QCoreApplication::processEvents(); });
        done = DeleteFolder(path, sendToBin, &pump);
    }

    // A run that went to its end but left files behind has not removed the folder: its row
    // keeps its size.
    const bool gone =
        done.removedEmpty || (done.tree.completed && platform().realPath(path).isEmpty());
    if (gone) {
        g.setCell(sizeColumn, row, done.removedEmpty || !sendToBin ? deletedText : recycledText);
        removed_.insert(path);
    }
    if (!done.removedEmpty) ShowDeletionSummary(done.tree, sendToBin);
}

}  // namespace rk
