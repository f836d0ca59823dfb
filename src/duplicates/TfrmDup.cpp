#include "duplicates/TfrmDup.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>

#include "common/Drives.h"
#include "common/FileTypes.h"
#include "common/FolderWalk.h"
#include "common/Messages.h"
#include "common/ScanJob.h"
#include "common/TextHelpers.h"
#include "duplicates/DupColumns.h"
#include "duplicates/TfrmLinkCopies.h"
#include "platform/FileContents.h"
#include "platform/FileLinks.h"
#include "platform/Platform.h"
#include "platform/SplitPath.h"
#include "ui/CoreMessages.h"
#include "ui/DriveCheckPanel.h"
#include "ui/ElidedLabel.h"
#include "ui/ReportOutput.h"
#include "ui/ResultGridView.h"
#include "ui/ResultWindow.h"
#include "ui/SortMenu.h"
#include "ui/TfrmReallyDelete.h"
#include "ui/TfrmWildCard.h"
#include "ui/WaitCursor.h"

namespace rk {

namespace {

// What the summary says of marked files kept because no copy of their contents is left.
QString withheldNote(const std::vector<QByteArray>& paths) {
    constexpr std::size_t shown = 10;
    QString text =
        paths.size() == 1
            ? QStringLiteral("1 marked file was not deleted: no unmarked copy of it")
            : QStringLiteral("%1 marked files were not deleted: no unmarked copy of them")
                  .arg(formatThousands(std::int64_t(paths.size())));
    text += QStringLiteral(" still holds the same contents.\n");
    for (std::size_t i = 0; i < paths.size() && i < shown; ++i)
        text += QLatin1Char('\n') + displayPath(paths[i]);
    if (paths.size() > shown)
        text += QStringLiteral("\n... and %1 more")
                    .arg(formatThousands(std::int64_t(paths.size() - shown)));
    return text;
}

// The size limit in KB, typed or stepped by the arrows. A number past the range may stand
// while it is typed and is brought into the range on leaving the box, rather than having the
// keystroke that passed it refused.
class SizeBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString& text, int& pos) const override {
        const QValidator::State state = QSpinBox::validate(text, pos);
        return state == QValidator::Invalid && isNumber(text) ? QValidator::Intermediate : state;
    }
    void fixup(QString& text) const override {
        // An emptied box keeps the size it had.
        const qlonglong typed = isNumber(text) ? text.trimmed().toLongLong() : value();
        text = QString::number(std::clamp(typed, qlonglong(minimum()), qlonglong(maximum())));
    }

private:
    static bool isNumber(const QString& text) {
        const QString t = text.trimmed();
        // Nine digits stay well inside the integer the reading gives.
        return !t.isEmpty() && t.size() <= 9 && std::all_of(t.begin(), t.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
    }
};

}  // namespace

TfrmDup::TfrmDup(const Services& services, bool duplicates, QWidget* parent)
    : ResultWindow(services, parent, duplicates ? DupColumns::schema() : HogColumns::schema(),
                   {640, 406}, 172, QStringLiteral("pnlSel"), 21),
      duplicates_(duplicates),
      scanner_(std::make_unique<DupScan>(services_.platform())),
      contentScanner_(std::make_unique<ContentScan>(services_.platform())) {
    setObjectName(QStringLiteral("frmDup"));
    setWindowTitle(duplicates_ ? QStringLiteral("Find and delete duplicate files")
                               : QStringLiteral("Find and delete file hogs"));
    pnlSel = statusLine();

    Label1 = new QLabel(duplicates_ ? QStringLiteral("&Look for duplicates larger than:")
                                    : QStringLiteral("&Look for file hogs larger than:"),
                        Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    SpinEdit1 = new SizeBox(Panel1);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(0, 50000);
    SpinEdit1->setSingleStep(50);
    SpinEdit1->setValue(250);
    SpinEdit1->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    SpinEdit1->setToolTip(QStringLiteral("File size in KiloBytes"));
    Label1->setBuddy(SpinEdit1);
    lblKB = new QLabel(QStringLiteral("KB"), Panel1);
    lblKB->setObjectName(QStringLiteral("lblKB"));
    Label3 = new QLabel(QStringLiteral("Matc&hing these files:"), Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
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
    lblWild->setObjectName(QStringLiteral("lblWild"));
    lblType = new ElidedLabel(Panel1);
    lblType->setObjectName(QStringLiteral("lblType"));

    btScan = makeToolButton(Panel1, QStringLiteral("btScan"), QStringLiteral("&Scan"),
                            duplicates_ ? QStringLiteral("Duplicates on file name only")
                                        : QStringLiteral("Start scanning for file hogs"),
                            QStyle::SP_FileDialogContentsView);
    btExact = makeToolButton(Panel1, QStringLiteral("btExact"), QStringLiteral("&Exact"),
                             QStringLiteral("Search for duplicates based on file name AND size"),
                             QStyle::SP_FileDialogDetailedView);
    btContent = makeToolButton(Panel1, QStringLiteral("btContent"), QStringLiteral("&Content"),
                               QStringLiteral("Find files with the same contents"),
                               QStyle::SP_FileDialogInfoView);
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
    btLink = makeToolButton(Panel1, QStringLiteral("btLink"), QStringLiteral("&Link"),
                            QStringLiteral("Keep every name, store the contents once"),
                            QStyle::SP_FileLinkIcon);
    btKeepOne = makeToolButton(
        Panel1, QStringLiteral("btKeepOne"), QStringLiteral("Mark all &but one"),
        QStringLiteral("Mark every copy of each group but one"), QStyle::SP_DialogYesButton);
    btOriginals = makeToolButton(
        Panel1, QStringLiteral("btOriginals"), QStringLiteral("O&riginals..."),
        QStringLiteral("Folders whose files are never marked"), QStyle::SP_DirHomeIcon);
    auto* keepMenu = new QMenu(btKeepOne);
    for (const auto& [text, rule] :
         {std::pair{QStringLiteral("Keep the &oldest"), KeepRule::Oldest},
          {QStringLiteral("Keep the &newest"), KeepRule::Newest},
          {QStringLiteral("Keep the one in an o&riginals folder"), KeepRule::Original},
          {QStringLiteral("Keep the &shortest path"), KeepRule::Shortest}})
        connect(keepMenu->addAction(text), &QAction::triggered, this,
                [this, rule = rule] { markAllButOne(rule); });
    btKeepOne->setMenu(keepMenu);

    auto* query = new QGridLayout;
    query->setHorizontalSpacing(px(6));
    query->addWidget(Label1, 0, 0, 1, 3);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(SpinEdit1);
    sizeRow->addWidget(lblKB, 1);
    query->addLayout(sizeRow, 1, 0, 1, 3);
    query->addWidget(Label3, 2, 0, 1, 3);
    query->addWidget(cbWildCard, 3, 0);
    // "All files" or the pattern's type name, never both: they share the place beside the box.
    auto* patternName = new QHBoxLayout;
    patternName->addWidget(lblWild);
    patternName->addWidget(lblType, 1);
    query->addLayout(patternName, 3, 1, 1, 2);
    query->setColumnStretch(2, 1);
    query->setRowStretch(4, 1);
    layOut(query,
           {btScan, btExact, btContent, btOriginals, btClose, btAbort, btMark, btKeepOne, btDelete,
            btLink, btPrint, btClip, btBrowse, btSort},
           QMargins(8, 4, 10, 6));

    grid->setToolTip(QStringLiteral("Double click to mark for deletion"));
    marking_ = new MarkingGrid(services_, grid, pnlSel);
    marking_->setDeleteButton(btDelete);
    marking_->mayMark = [this](int row) {
        if (isOriginalRow(row)) {
            services_.showInfo(
                QStringLiteral("This file is in an originals folder. It is never marked."));
            return false;
        }
        if (!wouldMarkEveryCopy(row)) return true;
        services_.showInfo(
            QStringLiteral("Every copy of this file would be marked. One copy must stay."));
        return false;
    };
    // A file found by its contents is kept as it was read, so the deletion can tell whether
    // it changed since.
    marking_->asRead = [this](int row) -> std::optional<MarkedFile> {
        if (groupOfRow_.empty()) return std::nullopt;
        return contentScanner_->hashedFile(std::size_t(row));
    };

    PopupMenu1 = new SortMenu(grid, this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Sortbysize1 = PopupMenu1->addSort(QStringLiteral("Sort by &Size"), HogColumns::Size);
    Sortbysize1->setObjectName(QStringLiteral("Sortbysize1"));
    SortbyDate1 = PopupMenu1->addSort(QStringLiteral("Sort by &Date"), HogColumns::Modified);
    SortbyDate1->setObjectName(QStringLiteral("SortbyDate1"));
    SortbyAccess = PopupMenu1->addSort(QStringLiteral("Sort by &Access date"), HogColumns::Access);
    SortbyAccess->setObjectName(QStringLiteral("SortbyAccess"));
    SortbyName1 = PopupMenu1->addSort(QStringLiteral("Sort by &Name"), HogColumns::FileName);
    SortbyName1->setObjectName(QStringLiteral("SortbyName1"));
    SortbyType1 = PopupMenu1->addSort(QStringLiteral("Sort by &Type"), HogColumns::Type);
    SortbyType1->setObjectName(QStringLiteral("SortbyType1"));

    connect(btScan, &QPushButton::clicked, this, &TfrmDup::btScanClick);
    connect(btExact, &QPushButton::clicked, this, &TfrmDup::btExactClick);
    connect(btContent, &QPushButton::clicked, this, &TfrmDup::btContentClick);
    connect(btMark, &QPushButton::clicked, marking_, &MarkingGrid::toggleCurrentAndMoveDown);
    connect(btDelete, &QPushButton::clicked, this, &TfrmDup::btDeleteClick);
    connect(btLink, &QPushButton::clicked, this, &TfrmDup::btLinkClick);
    connect(btOriginals, &QPushButton::clicked, this, &TfrmDup::btOriginalsClick);
    connect(marking_, &MarkingGrid::marksChanged, btLink,
            [this] { btLink->setEnabled(marking_->anyMarked()); });
    connect(btPrint, &QPushButton::clicked, this, &TfrmDup::btPrintClick);
    connect(btClip, &QPushButton::clicked, this, &TfrmDup::btClipClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmDup::BrowseDirectory1Click);
    connect(btSort, &QPushButton::clicked, this, &TfrmDup::btSortClick);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TfrmDup::KiloToMega);
    connect(cbWildCard, &QComboBox::editTextChanged, this, &TfrmDup::cbWildCardChange);

    scanner_->showFolder = [this](const QString& folder) { pnlSel->setText(folder); };
    contentScanner_->showStatus = [this](const QString& text) { pnlSel->setText(text); };
    KiloToMega();
}

TfrmDup::~TfrmDup() {
    discardScan();
}

void TfrmDup::FormShow() {
    ClearGrid();
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btAbort, btMark, btDelete})
        b->hide();
    pnlSel->clear();
    pnlDrives->FillDriveBoxes(services_.drives());
    cb1Click(pnlDrives->anyChecked());
    btClose->setEnabled(true);
    btExact->setVisible(duplicates_);
    btContent->setVisible(duplicates_);
    btOriginals->setVisible(duplicates_);
    showLinkButtons(false);
    PopupMenu1->attachToGrid(false);
    btScan->setFocus();
    sizeAndCentre();
    fillPatternList(cbWildCard);
}

void TfrmDup::ClearGrid() {
    resetGrid();
    PopupMenu1->check(Sortbysize1);
    marking_->clear();
    groupOfRow_.clear();
    groupCount_ = 0;
    grid->setFocus();
}

void TfrmDup::btScanClick() {
    if (isScanning()) return;
    ClearGrid();
    startScan([this] { scan(false); });
}

void TfrmDup::btExactClick() {
    if (isScanning()) return;
    ClearGrid();
    startScan([this] { scan(true); });
}

void TfrmDup::btContentClick() {
    if (isScanning()) return;
    ClearGrid();
    startScan([this] { scanContent(); });
}

void TfrmDup::scanContent() {
    ContentScan::Query query;
    query.sizeLimitKb = SpinEdit1->value();
    query.pattern = cbWildCard->currentText();
    query.drives = pnlDrives->checkedDrives();
    query.originals = originals_;

    for (QPushButton* b : {btMark, btDelete, btPrint, btClip, btBrowse, btSort})
        b->hide();
    showLinkButtons(false);
    ContentScan& scan = *contentScanner_;
    beginScan(scan.abort, {btScan, btExact, btContent, SpinEdit1, cbWildCard});
    const bool open = runScan(
        scan,
        [&] {
            scan.run(query);
            (void)scan.lbFiles();  // the records made while the window still gets its turns
            tellSearchOutcome(services_, scan.outcome(), listFullText(), true);
        },
        [&]() -> const std::vector<DupRecord>& { return scan.lbFiles(); });
    if (rowsFilled >= 2) grid->results().trim(rowsFilled);
    // The groups of the rows that went in (a close may have stopped the filling).
    for (int r = 0; r < rowsFilled; ++r) {
        groupOfRow_.push_back(scan.groupOf(std::size_t(r)));
        groupCount_ = std::max(groupCount_, groupOfRow_.back() + 1);
    }
    shadeGroups();
    if (!endScan() || !open) return;
    showResultButtons(rowsFilled > 0);
    showLinkButtons(rowsFilled > 0);
    const QString skipped = skippedFilesNote(scan.unreadableFiles(), scan.changedFiles());
    if (rowsFilled == 0) {
        showNothingFound(scan.outcome().skippedFolders);
        if (!skipped.isEmpty()) pnlSel->setText(pnlSel->text() + skipped);
        return;
    }
    fitColumnsToTexts(500);
    pnlSel->setText(scanStatus(
        QStringLiteral("%1 duplicates found in %2 groups, %3 bytes could "
                       "be freed")
                .arg(formatThousands(rowsFilled), formatThousands(std::int64_t(scan.groupCount())),
                     formatThousands(scan.freeableBytes())) +
            skipped,
        scan.outcome().skippedFolders));
}

void TfrmDup::scan(bool exact) {
    DupQuery query;
    query.duplicates = duplicates_;
    query.exact = exact;
    query.originals = originals_;
    lastScanExact_ = exact;
    query.sizeLimitKb = SpinEdit1->value();
    query.pattern = cbWildCard->currentText();
    query.drives = pnlDrives->checkedDrives();

    for (QPushButton* b : {btMark, btDelete, btPrint, btClip, btBrowse, btSort})
        b->hide();
    showLinkButtons(false);
    beginScan(scanner_->abort, {btScan, btExact, SpinEdit1, cbWildCard});
    // The grid reads its rows on demand, so even a million rows show at once. The grid's
    // file-hog rows refer to the scan's compact list, which it takes over: no record is held.
    const auto run = [&] {
        scanner_->run(query);
        tellSearchOutcome(services_, scanner_->outcome(), listFullText(), true);
    };
    const bool open =
        duplicates_
            ? runScan(*scanner_, run,
                      [this]() -> const std::vector<DupRecord>& { return scanner_->lbFiles(); })
            : runScanRows(
                  *scanner_, run, [this] { return scanner_->listedCount(); },
                  [this](const auto& row) {
                      const std::shared_ptr<const RowSource> list = scanner_->takeListedRows();
                      for (std::size_t i = 0; list && i < list->size(); ++i)
                          row(SourceRow{list, std::uint32_t(i)});
                  });
    if (rowsFilled >= 2) grid->results().trim(rowsFilled);
    if (duplicates_) shadeGroups();
    if (!endScan() || !open) return;
    showResultButtons(rowsFilled > 0);
    if (rowsFilled == 0) {
        showNothingFound(scanner_->outcome().skippedFolders);
        return;
    }
    fitColumnsToTexts(500);
    pnlSel->setText(
        scanStatus(formatThousands(rowsFilled) + (duplicates_ ? QStringLiteral(" duplicates found")
                                                              : QStringLiteral(" file hogs found")),
                   scanner_->outcome().skippedFolders));
}

void TfrmDup::showResultButtons(bool any) {
    btMark->setVisible(any);
    btDelete->setVisible(any);
    for (QPushButton* b : {btPrint, btClip, btBrowse})
        b->setVisible(any);
    // Duplicate groups are never re-sorted.
    PopupMenu1->attachToGrid(any && !duplicates_);
    btSort->setVisible(any && !duplicates_);
}

void TfrmDup::cb1Click(bool anyChecked) {
    btScan->setEnabled(anyChecked);
    btExact->setEnabled(anyChecked);
    btContent->setEnabled(anyChecked);
}

void TfrmDup::KiloToMega() {
    lblKB->setText(rk::KiloToMega(SpinEdit1->value()));
}

void TfrmDup::cbWildCardChange() {
    const QString pattern = cbWildCard->currentText();
    lblWild->setText(pattern == QLatin1String("*.*") ? QStringLiteral("All files") : QString());
    lblType->setText(patternTypeName(pattern));
}

void TfrmDup::shadeGroups() {
    ResultGrid& g = grid->results();
    // Rows of one group lie together: by content each row knows its group; by name (and
    // size) a group is a run of rows whose keys differ only in case.
    QByteArray a, b, c, d;
    bool shaded = false;
    for (int row = 1; row < rowsFilled; ++row) {
        bool same;
        if (!groupOfRow_.empty()) {
            same = groupOfRow_[std::size_t(row)] == groupOfRow_[std::size_t(row - 1)];
        } else {
            same = compareFolded(g.cellUtf8(DupColumns::Filename, row - 1, a),
                                 g.cellUtf8(DupColumns::Filename, row, b)) == 0 &&
                   (!lastScanExact_ || g.cellUtf8(DupColumns::Size, row - 1, c) ==
                                           g.cellUtf8(DupColumns::Size, row, d));
        }
        shaded = same ? shaded : !shaded;
        g.setShaded(row, shaded);
        if ((row & 1023) == 0) ScanJob::pump().poll();  // a list of a million rows
    }
}

void TfrmDup::btDeleteClick() {
    if (!marking_->anyMarked()) return;
    withheld_.clear();
    const int outcome = marking_->confirmDeletion(this, [this](TfrmReallyDelete& confirm) {
        if (groupOfRow_.empty()) return;
        confirm.beforeDeleting = [this] { return aCopyStaysOfEachGroup(); };
        confirm.mayRemove = [this](const MarkedFile& file, const SearchRecord& now) {
            return aCopyStaysOf(file, now);
        };
        markedRowOf_.clear();
        for (int row = 0; row < rowsFilled; ++row)
            if (grid->results().isMarked(row))
                markedRowOf_.insert(grid->results().pathOf(row), row);
        copyStays_.assign(groupCount_, 0);
    });
    markedRowOf_.clear();
    if (!withheld_.empty()) services_.showWarning(withheldNote(withheld_));
    if (outcome == QDialog::Rejected) return;
    accept();
}

bool TfrmDup::aCopyStaysOf(const MarkedFile& file, const SearchRecord& now) {
    const int row = markedRowOf_.value(file.path, -1);
    if (row < 0) return false;  // not a row of this list: nothing known of its copies
    const std::uint32_t group = groupOfRow_[std::size_t(row)];
    std::int8_t& verdict = copyStays_[group];
    if (verdict == 0) {
        // The group's rows lie together; the first unmarked copy that still holds these
        // bytes is enough.
        verdict = -1;
        const ResultGrid& g = grid->results();
        int first = row;
        while (first > 0 && groupOfRow_[std::size_t(first - 1)] == group)
            --first;
        for (int r = first; r < rowsFilled && groupOfRow_[std::size_t(r)] == group; ++r)
            if (!g.isMarked(r) &&
                contentScanner_->keptCopyHolds(std::size_t(r), file.path, now.device, now.inode)) {
                verdict = 1;
                break;
            }
    }
    if (verdict < 0) withheld_.push_back(file.path);
    return verdict > 0;
}

bool TfrmDup::wouldMarkEveryCopy(int row) const {
    if (groupOfRow_.empty() || row < 0 || row >= rowsFilled) return false;
    // The group's rows lie together: count its other unmarked rows around this one.
    const ResultGrid& g = grid->results();
    const std::uint32_t group = groupOfRow_[std::size_t(row)];
    const auto unmarkedOther = [&](int r) {
        return r != row && r >= 0 && r < rowsFilled && groupOfRow_[std::size_t(r)] == group;
    };
    for (int r = row - 1; unmarkedOther(r); --r)
        if (!g.isMarked(r)) return false;
    for (int r = row + 1; unmarkedOther(r); ++r)
        if (!g.isMarked(r)) return false;
    return true;
}

bool TfrmDup::aCopyStaysOfEachGroup() const {
    // A copy left unmarked may have gone or changed since the scan: the marked files of its
    // group would then be the last of those contents.
    const ResultGrid& g = grid->results();
    std::vector<bool> hasMarks(groupCount_), keepsACopy(groupCount_);
    for (int row = 0; row < rowsFilled; ++row) {
        const std::uint32_t group = groupOfRow_[std::size_t(row)];
        if (g.isMarked(row)) {
            hasMarks[group] = true;
        } else if (!keepsACopy[group]) {
            const MarkedFile was = contentScanner_->hashedFile(std::size_t(row));
            const std::optional<MarkedFile> now = markFile(services_.platform(), was.path);
            keepsACopy[group] = now && *now == was;
        }
    }
    for (int row = 0; row < rowsFilled; ++row) {
        const std::uint32_t group = groupOfRow_[std::size_t(row)];
        if (hasMarks[group] && !keepsACopy[group]) {
            services_.showWarning(
                QStringLiteral("No unmarked copy of %1 is left as it was when read. "
                               "One copy must stay.")
                    .arg(QString::fromUtf8(g.pathOf(row))));
            return false;
        }
    }
    return true;
}

void TfrmDup::btSortClick() {
    if (!duplicates_) PopupMenu1->popupOverGrid();
}

QString TfrmDup::printTitle() const {
    return (duplicates_ ? QStringLiteral("Duplicates larger than ")
                        : QStringLiteral("File Hogs larger than ")) +
           QString::number(SpinEdit1->value()) + QStringLiteral("KB") +
           QStringLiteral(" matching ") + cbWildCard->currentText() +
           QStringLiteral(" on drive(s) ") + checkedDriveList();
}

void TfrmDup::btPrintClick() {
    PrintGridReport(services_, grid->results(), printTitle());
}

void TfrmDup::btClipClick() {
    // The grid's records in the order the scan listed them, whatever order it shows now.
    CopyListToClipboard(grid->results().records());
}

void TfrmDup::BrowseDirectory1Click() {
    const int row = grid->currentRow();
    if (row < 0 || !services_.openBrowser) return;
    const QByteArray path = grid->results().pathOf(row);
    const PathParts parts = splitPath(path);
    services_.openBrowser(this, parts.folder, parts.name, cbWildCard->currentText());
}

void TfrmDup::showLinkButtons(bool contentRows) {
    btLink->setVisible(contentRows);
    btKeepOne->setVisible(contentRows);
    btLink->setEnabled(marking_->anyMarked());
}

bool TfrmDup::isOriginalRow(int row) const {
    return duplicates_ && !originals_.empty() && row >= 0 && row < rowsFilled &&
           insideFolders(splitPath(grid->results().pathOf(row)).folder, originals_);
}

std::vector<CopyPair> TfrmDup::markedPairs() const {
    std::vector<CopyPair> pairs;
    const ResultGrid& g = grid->results();
    for (int first = 0, end = 0; first < rowsFilled; first = end) {
        const std::uint32_t group = groupOfRow_[std::size_t(first)];
        end = first;
        int kept = -1;
        while (end < rowsFilled && groupOfRow_[std::size_t(end)] == group) {
            if (!g.isMarked(end) && (kept < 0 || (isOriginalRow(end) && !isOriginalRow(kept))))
                kept = end;
            ++end;
        }
        for (int r = first; r < end && kept >= 0; ++r)
            if (g.isMarked(r))
                pairs.push_back({contentScanner_->hashedFile(std::size_t(kept)),
                                 contentScanner_->hashedFile(std::size_t(r))});
    }
    return pairs;
}

void TfrmDup::btLinkClick() {
    if (groupOfRow_.empty() || !marking_->anyMarked()) return;
    const std::vector<CopyPair> pairs = markedPairs();
    const FileContents contents;
    const FileLinks links;
    std::optional<TfrmLinkCopies> confirm;
    {
        const WaitCursor busy;
        confirm.emplace(pairs, waysOpen(services_.platform(), contents, links, pairs), this);
    }
    if (confirm->exec() != QDialog::Accepted) return;
    LinkRun run;
    run.way = confirm->way();
    run.ownerAgreed = confirm->ownerAgreed();
    LinkResult result;
    {
        const WaitCursor busy;
        result = LinkCopies(services_.platform(), contents, links, pairs, run);
    }
    // A copy linked is done with: its mark goes. One left stays marked, for another try.
    const ResultGrid& g = grid->results();
    for (const LinkedCopy& c : result.linked)
        for (int row = 0; row < rowsFilled; ++row)
            if (g.isMarked(row) && g.pathOf(row) == pairs[c.pair].going.path) {
                marking_->toggle(row);
                break;
            }
    const QString summary = linkSummary(result, pairs, run.way);
    if (result.left.empty())
        services_.showInfo(summary);
    else
        services_.showWarning(summary);
}

void TfrmDup::btOriginalsClick() {
    QStringList shown;
    for (const QByteArray& f : originals_)
        shown.append(displayPath(f));
    const std::optional<QString> typed = services_.dialogs().input(
        QStringLiteral("Originals"),
        QStringLiteral("Folders whose files are originals, never marked (separated by ;):"),
        shown.join(QLatin1Char(';')));
    if (!typed) return;
    std::vector<QByteArray> folders;
    for (const QString& f : typed->split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = f.trimmed();
        if (name.isEmpty()) continue;
        const QByteArray real = services_.platform().realPath(QFile::encodeName(name));
        if (real.isEmpty()) {
            services_.showError(QStringLiteral("No such folder: ") + name);
            return;
        }
        folders.push_back(real);
    }
    originals_ = std::move(folders);
}

void TfrmDup::markAllButOne(KeepRule rule) {
    if (groupOfRow_.empty()) return;
    const ResultGrid& g = grid->results();
    for (int first = 0, end = 0; first < rowsFilled; first = end) {
        std::vector<KeepCandidate> copies;
        for (end = first;
             end < rowsFilled && groupOfRow_[std::size_t(end)] == groupOfRow_[std::size_t(first)];
             ++end) {
            const MarkedFile f = contentScanner_->hashedFile(std::size_t(end));
            copies.push_back(
                {f.path, f.modified * 1'000'000'000 + f.modifiedNs, isOriginalRow(end)});
        }
        const int kept = first + int(chooseKept(copies, rule));
        if (g.isMarked(kept)) marking_->toggle(kept);
        for (int r = first; r < end; ++r)
            if (r != kept && !g.isMarked(r) && !isOriginalRow(r)) marking_->toggle(r);
    }
}

}  // namespace rk
