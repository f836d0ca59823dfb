#include "folderhogs/TfrmDirHog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/Drives.h"
#include "common/Messages.h"
#include "common/TextHelpers.h"
#include "folderhogs/FolderHogColumns.h"
#include "platform/Platform.h"
#include "ui/CoreMessages.h"
#include "ui/DriveCheckPanel.h"
#include "ui/FolderDeletionFlow.h"
#include "ui/ReportOutput.h"
#include "ui/ResultGridView.h"
#include "ui/ResultWindow.h"
#include "ui/SortMenu.h"

namespace rk {

namespace {

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

}  // namespace

TfrmDirHog::TfrmDirHog(const Services& services, QWidget* parent)
    : ResultWindow(services, parent, FolderHogColumns::schema(), {638, 414}, 169,
                   QStringLiteral("pnlScan"), 19),
      scanner_(std::make_unique<FolderHogScan>(services_.platform())) {
    setObjectName(QStringLiteral("frmDirHog"));
    setWindowTitle(QStringLiteral("Folder Hogs"));
    pnlScan = statusLine();

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

    btTop = makeToolButton(Panel1, QStringLiteral("btTop"), QStringLiteral("&Main folders"),
                           QStringLiteral("Only topmost folders. Does not display sub-folders."),
                           QStyle::SP_DirIcon);
    btAll = makeToolButton(Panel1, QStringLiteral("btAll"), QStringLiteral("&All Folders"),
                           QStringLiteral("ALL folders including sub-folders are displayed"),
                           QStyle::SP_DirOpenIcon);
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

    auto* query = new QGridLayout;
    query->setHorizontalSpacing(px(6));
    query->setVerticalSpacing(px(8));
    query->addWidget(Label1, 0, 0, Qt::AlignTop);
    query->addWidget(Label2, 0, 1, Qt::AlignTop);
    query->addWidget(Label3, 1, 0, Qt::AlignTop);
    query->addWidget(Label5, 1, 1, Qt::AlignTop);
    query->setColumnStretch(1, 1);
    query->setRowStretch(2, 1);
    layOut(query, {btTop, btAll, btClose, btAbort, btDelete, btPrint, btClip, btBrowse, btSort},
           QMargins(8, 6, 10, 6));

    PopupMenu1 = new SortMenu(grid, this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    SortbySize1 = PopupMenu1->addSort(QStringLiteral("Sort by &Size"), FolderHogColumns::Size);
    SortbySize1->setObjectName(QStringLiteral("SortbySize1"));
    Sortbyfiles1 = PopupMenu1->addSort(QStringLiteral("Sort by # &Files"), FolderHogColumns::Files);
    Sortbyfiles1->setObjectName(QStringLiteral("Sortbyfiles1"));
    Sortbysubdirectories1 =
        PopupMenu1->addSort(QStringLiteral("Sort by # Sub-f&olders"), FolderHogColumns::SubFolders);
    Sortbysubdirectories1->setObjectName(QStringLiteral("Sortbysubdirectories1"));
    Sortbydate1 =
        PopupMenu1->addSort(QStringLiteral("Sort by &Access Date"), FolderHogColumns::LatestAccess);
    Sortbydate1->setObjectName(QStringLiteral("Sortbydate1"));
    SortbyName1 = PopupMenu1->addSort(QStringLiteral("Sort by &Name"), FolderHogColumns::Name);
    SortbyName1->setObjectName(QStringLiteral("SortbyName1"));
    PopupMenu1->attachToGrid(true);

    connect(btTop, &QPushButton::clicked, this, &TfrmDirHog::btTopClick);
    connect(btAll, &QPushButton::clicked, this, &TfrmDirHog::btAllClick);
    connect(btDelete, &QPushButton::clicked, this, &TfrmDirHog::btDeleteClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmDirHog::btPrintClick);
    connect(btClip, &QPushButton::clicked, this, &TfrmDirHog::btClipClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmDirHog::btBrowseClick);
    connect(btSort, &QPushButton::clicked, this, &TfrmDirHog::btSortClick);
    connect(grid, &QAbstractItemView::doubleClicked, this, &TfrmDirHog::btDeleteClick);

    scanner_->showFolder = [this](const QString& folder) { pnlScan->setText(folder); };
}

TfrmDirHog::~TfrmDirHog() {
    discardScan();
}

void TfrmDirHog::FormShow() {
    ClearGrid();
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btDelete, btAbort})
        b->hide();
    pnlScan->clear();
    pnlDrives->FillDriveBoxes(services_.drives());
    cb1Click(pnlDrives->anyChecked());
    btTop->setFocus();
    sizeAndCentre();
}

void TfrmDirHog::ClearGrid() {
    resetGrid();
    // The titles are shown whole before any row arrives.
    fitColumnsToTexts(0);
    PopupMenu1->check(SortbySize1);
    grid->setFocus();
}

void TfrmDirHog::btTopClick() {
    if (isScanning()) return;
    ClearGrid();
    startScan([this] { scan(true); });
}

void TfrmDirHog::btAllClick() {
    if (isScanning()) return;
    ClearGrid();
    startScan([this] { scan(false); });
}

void TfrmDirHog::scan(bool main) {
    const std::vector<Drive> drives = pnlDrives->checkedDrives();
    removed_.clear();
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btDelete})
        b->hide();
    beginScan(scanner_->abort, {btTop, btAll});
    const bool open = runScan(
        *scanner_,
        [&] {
            scanner_->run(main, drives);
            tellSearchOutcome(services_, scanner_->outcome(), folderListFullText());
        },
        [this]() -> const std::vector<ScanRecord>& { return scanner_->lb(); });
    grid->results().trim(rowsFilled);
    if (!endScan() || !open) return;
    fitColumnsToTexts(500);
    pnlScan->setText(scanStatus(QStringLiteral("Folders : ") + QString::number(rowsFilled),
                                scanner_->outcome().skippedFolders));

    // One line is no ranking: the result buttons wait for at least two, the abort line
    // counted.
    if (rowsFilled + (listIncomplete() ? 1 : 0) < 2) {
        services_.showInfo(QStringLiteral("No files found."));
        return;
    }
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btDelete})
        b->show();
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
    return QStringLiteral("Folder hogs on drive(s) ") + checkedDriveList();
}

void TfrmDirHog::btPrintClick() {
    PrintGridReport(services_, grid->results(), printTitle());
}

bool TfrmDirHog::wasRemoved(QByteArrayView path) const {
    if (removed_.isEmpty()) return false;
    // The folder itself, or any folder above it.
    for (qsizetype end = path.size(); end > 0; end = path.lastIndexOf('/', end - 1)) {
        if (removed_.contains(path.first(end).toByteArray())) return true;
    }
    return false;
}

QStringList TfrmDirHog::clipboardLines() const {
    QStringList lines;
    if (listIncomplete()) lines.append(incompleteText());
    grid->results().visitRecords([&](QByteArrayView record, QByteArrayView path) {
        if (!wasRemoved(path)) lines.append(QString::fromUtf8(record));
    });
    return lines;
}

void TfrmDirHog::markRemoved(const QByteArray& path, FolderFate fate) {
    removed_.insert(path);
    markRemovedFolderRows(grid->results(), schema().sizeColumn, path, fate);
}

void TfrmDirHog::btClipClick() {
    CopyListToClipboard(clipboardLines());
}

void TfrmDirHog::btBrowseClick() {
    const int row = grid->currentRow();
    if (row < 0 || !services_.openBrowser) return;
    services_.openBrowser(this, grid->results().pathOf(row), {}, QStringLiteral("*.*"));
}

void TfrmDirHog::btDeleteClick() {
    const int row = grid->currentRow();
    const ResultGrid& g = grid->results();
    if (row < 0 || isScanning() || deleting_) return;
    const QString size = g.cell(schema().sizeColumn, row);
    if (size.isEmpty()) return;
    if (isRemovedFolderText(size)) {
        services_.showError(QStringLiteral("Folder already deleted/recycled"));
        return;
    }
    const QByteArray path = g.pathOf(row);
    FolderFlowSteps steps;
    steps.stilled = {Panel1, grid};
    // A close asked for during the deletion closes the window once it has ended.
    steps.running = [this](bool running) {
        deleting_ = running;
        if (running)
            holdClose();
        else
            releaseClose();
    };
    const FolderFate fate = askAndDeleteFolder(services_, this, path, steps);
    if (fate == FolderFate::Deleted || fate == FolderFate::Recycled) markRemoved(path, fate);
}

}  // namespace rk
