#include "bydate/TfrmMods.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "bydate/DateColumns.h"
#include "bydate/TfrmPickDate.h"
#include "common/Drives.h"
#include "common/Messages.h"
#include "common/TextHelpers.h"
#include "common/TimeHelpers.h"
#include "platform/Platform.h"
#include "platform/SplitPath.h"
#include "ui/CoreMessages.h"
#include "ui/DriveCheckPanel.h"
#include "ui/ElidedLabel.h"
#include "ui/ReportOutput.h"
#include "ui/ResultGridView.h"
#include "ui/SortMenu.h"
#include "ui/TfrmReallyDelete.h"
#include "ui/TfrmWildCard.h"

namespace rk {

namespace {

QButtonGroup* addItems(QGroupBox* box, QBoxLayout* layout, const QStringList& items) {
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box);
        group->addButton(b, i);
        layout->addWidget(b);
    }
    layout->addStretch(1);
    return group;
}

QToolButton* makeCalendarButton(QWidget* parent, const QString& name) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolTip(QStringLiteral("Popup Calendar"));
    b->setText(QStringLiteral("..."));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

}  // namespace

TfrmMods::TfrmMods(const Services& services, QWidget* parent)
    : ResultWindow(services, parent, DateColumns::schema(), {640, 403}, 171,
                   QStringLiteral("pnlScan"), 22),
      scanner_(std::make_unique<DateScan>(services_.platform())) {
    setObjectName(QStringLiteral("frmMods"));
    setWindowTitle(QStringLiteral("Files in a range of dates"));
    pnlScan = statusLine();

    rgWhat = new QGroupBox(QStringLiteral("Search for files that were"), Panel1);
    rgWhat->setObjectName(QStringLiteral("rgWhat"));
    auto* whatLayout = new QHBoxLayout(rgWhat);
    whatItems = addItems(rgWhat, whatLayout,
                         {QStringLiteral("Last accessed"), QStringLiteral("Created"),
                          QStringLiteral("Last modified")});
    whatItems->setObjectName(QStringLiteral("whatItems"));
    rgWhen = new QGroupBox(Panel1);
    rgWhen->setObjectName(QStringLiteral("rgWhen"));
    auto* whenLayout = new QVBoxLayout(rgWhen);
    whenLayout->setSpacing(0);
    whenLayout->setContentsMargins(px(6), px(2), px(6), px(2));
    whatLayout->setContentsMargins(px(6), px(2), px(6), px(2));
    whenItems = addItems(rgWhen, whenLayout,
                         {QStringLiteral("On or Before"), QStringLiteral("In between"),
                          QStringLiteral("On or After")});
    whenItems->setObjectName(QStringLiteral("whenItems"));
    whatItems->button(0)->setChecked(true);
    whenItems->button(1)->setChecked(true);

    dtStart = new QLineEdit(Panel1);
    dtStart->setObjectName(QStringLiteral("dtStart"));
    dtEnd = new QLineEdit(Panel1);
    dtEnd->setObjectName(QStringLiteral("dtEnd"));
    for (QLineEdit* box : {dtStart, dtEnd}) {
        // A long type name beside the boxes takes its room from the name, never from a date.
        box->setFixedWidth(px(100));
        box->setPlaceholderText(shortDateHint());
        box->setToolTip(shortDateHint() + QStringLiteral(" or YYYY-MM-DD"));
        box->installEventFilter(this);
    }
    lblAnd = new QLabel(QStringLiteral("and"), Panel1);
    lblAnd->setObjectName(QStringLiteral("lblAnd"));
    popStartDate = makeCalendarButton(Panel1, QStringLiteral("popStartDate"));
    popEndDate = makeCalendarButton(Panel1, QStringLiteral("popEndDate"));

    Label1 = new QLabel(QStringLiteral("Wildcard match"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    cbWildCard = new QComboBox(Panel1);
    cbWildCard->setObjectName(QStringLiteral("cbWildCard"));
    cbWildCard->setEditable(true);
    cbWildCard->setMaxVisibleItems(14);
    cbWildCard->setInsertPolicy(QComboBox::NoInsert);
    cbWildCard->setToolTip(QStringLiteral("Wildcard pattern for matching file types"));
    cbWildCard->setEditText(QStringLiteral("*.*"));
    cbWildCard->setMinimumWidth(px(120));
    Label1->setBuddy(cbWildCard);
    lblWild = new ElidedLabel(Panel1);
    lblWild->setText(QStringLiteral("All files"));
    lblWild->setObjectName(QStringLiteral("lblWild"));

    btOK = makeToolButton(Panel1, QStringLiteral("btOK"), QStringLiteral("&Start"),
                          QStringLiteral("Start scanning for files"), QStyle::SP_MediaPlay);
    btOK->setDefault(true);
    btMark =
        makeToolButton(Panel1, QStringLiteral("btMark"), QStringLiteral("&Mark"),
                       QStringLiteral("Mark files for deletion"), QStyle::SP_DialogApplyButton);
    btDelete = makeToolButton(Panel1, QStringLiteral("btDelete"), QStringLiteral("Delete"),
                              QStringLiteral("Delete marked files"), QStyle::SP_TrashIcon);
    btPrint = makeToolButton(Panel1, QStringLiteral("btPrint"), QStringLiteral("&Print"),
                             QStringLiteral("Print list of files"), QStyle::SP_FileIcon);
    btClip = makeToolButton(Panel1, QStringLiteral("btClip"), QStringLiteral("C&lipboard"),
                            QStringLiteral("Copy list of files to clipboard"),
                            QStyle::SP_DialogSaveButton);
    btBrowse = makeToolButton(Panel1, QStringLiteral("btBrowse"), QStringLiteral("&Browse"),
                              QStringLiteral("Browse through files"), QStyle::SP_DirOpenIcon);
    btSort = makeToolButton(Panel1, QStringLiteral("btSort"), QStringLiteral("S&ort"),
                            QStringLiteral("Sort columns "), QStyle::SP_ArrowDown);
    btDelete->setEnabled(false);
    // A click on a button leaves the focus where it was, so a date box is checked once: by
    // the button's own handler, not again on the way out of the box.
    for (QPushButton* b :
         {btOK, btClose, btAbort, btMark, btDelete, btPrint, btClip, btBrowse, btSort})
        b->setFocusPolicy(Qt::TabFocus);

    auto* dates = new QGridLayout;
    dates->setHorizontalSpacing(px(2));
    dates->addWidget(dtStart, 0, 0);
    dates->addWidget(popStartDate, 0, 1);
    dates->addWidget(lblAnd, 1, 0);
    dates->addWidget(dtEnd, 2, 0);
    dates->addWidget(popEndDate, 2, 1);
    dates->setRowStretch(3, 1);
    auto* pattern = new QHBoxLayout;
    pattern->setSpacing(px(6));  // the caption stands clear of its box
    pattern->addWidget(Label1);
    pattern->addWidget(cbWildCard);
    pattern->addWidget(lblWild, 1);
    auto* patternColumn = new QVBoxLayout;
    patternColumn->addLayout(pattern);
    patternColumn->addStretch(1);
    auto* query = new QGridLayout;
    query->setHorizontalSpacing(px(6));
    query->setVerticalSpacing(px(2));
    query->addWidget(rgWhat, 0, 0, 1, 3);
    query->addWidget(rgWhen, 1, 0);
    query->addLayout(dates, 1, 1);
    query->addLayout(patternColumn, 1, 2);
    query->setColumnStretch(2, 1);
    layOut(query, {btOK, btClose, btAbort, btMark, btDelete, btPrint, btClip, btBrowse, btSort},
           QMargins(8, 2, 10, 6));

    grid->setToolTip(QStringLiteral("Double click to mark for deletion"));
    marking_ = new MarkingGrid(services_, grid, pnlScan);
    marking_->setDeleteButton(btDelete);
    marking_->pathOf = [this](int row) { return pathOfRow(row); };

    PopupMenu1 = new SortMenu(grid, this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Sortbyname1 = PopupMenu1->addSort(QStringLiteral("Sort by &Name"), DateColumns::Filename);
    Sortbyname1->setObjectName(QStringLiteral("Sortbyname1"));
    SortbyAccessDate =
        PopupMenu1->addSort(QStringLiteral("Sort by &Access &Date"), DateColumns::Accessed);
    SortbyAccessDate->setObjectName(QStringLiteral("SortbyAccessDate"));
    SortbyCreationDate =
        PopupMenu1->addSort(QStringLiteral("Sort by &Creation Date"), DateColumns::Created);
    SortbyCreationDate->setObjectName(QStringLiteral("SortbyCreationDate"));
    SortbyWrittentodate =
        PopupMenu1->addSort(QStringLiteral("Sort by &Modification Date"), DateColumns::Modified);
    SortbyWrittentodate->setObjectName(QStringLiteral("SortbyWrittentodate"));
    SortbyDirectory1 = PopupMenu1->addSort(QStringLiteral("Sort by &Folder"), DateColumns::Folder);
    SortbyDirectory1->setObjectName(QStringLiteral("SortbyDirectory1"));
    SortbyType1 = PopupMenu1->addSort(QStringLiteral("Sort by &Type"), DateColumns::Type);
    SortbyType1->setObjectName(QStringLiteral("SortbyType1"));

    connect(btOK, &QPushButton::clicked, this, &TfrmMods::btOKClick);
    connect(btMark, &QPushButton::clicked, marking_, &MarkingGrid::toggleCurrentAndMoveDown);
    connect(btDelete, &QPushButton::clicked, this, &TfrmMods::btDeleteClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmMods::PrintClick);
    connect(btClip, &QPushButton::clicked, this, &TfrmMods::btClipClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmMods::btBrowseClick);
    connect(btSort, &QPushButton::clicked, this, &TfrmMods::btSortClick);
    connect(popStartDate, &QToolButton::clicked, this, &TfrmMods::popStartDateClick);
    connect(popEndDate, &QToolButton::clicked, this, &TfrmMods::popEndDateClick);
    connect(cbWildCard, &QComboBox::editTextChanged, this, &TfrmMods::cbWildCardChange);
    connect(whenItems, &QButtonGroup::idClicked, this, &TfrmMods::rgWhenClick);
    // The relation, the tested time and the pattern stay live while a scan runs.
    connect(whatItems, &QButtonGroup::idClicked, this,
            [this](int id) { scanner_->setWhat(DateField(id)); });

    scanner_->showFolder = [this](const QString& folder) { pnlScan->setText(folder); };
    scanner_->found = [this](QByteArrayView record, const QByteArray& exactPath) {
        ++rowsFilled;
        grid->results().addRecordUtf8(record, exactPath);
    };
}

TfrmMods::~TfrmMods() {
    discardScan();
}

void TfrmMods::setWhat(int index) {
    if (QAbstractButton* b = whatItems->button(index)) b->click();
}

void TfrmMods::setWhen(int index) {
    if (QAbstractButton* b = whenItems->button(index)) b->click();
}

void TfrmMods::FormShow() {
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btMark, btDelete, btAbort})
        b->hide();
    pnlScan->clear();
    const QString today = shortDateText(QDate::currentDate());
    dtStart->setText(today);
    dtEnd->setText(today);
    pnlDrives->FillDriveBoxes(services_.drives());
    cb1Click(pnlDrives->anyChecked());
    btClose->setEnabled(true);
    PopupMenu1->attachToGrid(false);
    ClearGrid();
    btOK->setFocus();
    sizeAndCentre();
    fillPatternList(cbWildCard);
}

void TfrmMods::ClearGrid() {
    resetGrid();
    PopupMenu1->check(Sortbyname1);
    marking_->clear();
}

std::optional<DateQuery> TfrmMods::readQuery() {
    DateQuery q;
    const std::optional<QDate> start = readTypedDate(dtStart->text());
    if (!start) {
        refocus(dtStart);
        services_.showGeneralError(QStringLiteral("Invalid start date"));
        return std::nullopt;
    }
    // Read even when hidden: the relation may be changed to "In between" during the scan.
    const std::optional<QDate> end = readTypedDate(dtEnd->text());
    if (!end) {
        refocus(dtEnd);
        services_.showGeneralError(QStringLiteral("Invalid ending date"));
        return std::nullopt;
    }
    q.what = DateField(std::max(what(), 0));
    q.when = DateRelation(std::max(when(), 0));
    q.start = *start;
    q.end = *end;
    q.pattern = cbWildCard->currentText();
    q.drives = pnlDrives->checkedDrives();
    return q;
}

void TfrmMods::btOKClick() {
    if (isScanning()) return;
    const std::optional<DateQuery> query = readQuery();
    if (!query) return;
    ClearGrid();
    startScan([this, query = *query] { scan(query); });
}

void TfrmMods::scan(const DateQuery& query) {
    for (QPushButton* b : {btMark, btDelete, btPrint, btClip, btBrowse, btSort})
        b->hide();
    // Rows arrive while the walk runs: a sort then would move the grid's spare rows among
    // them, and the next row found would overwrite a sorted one.
    PopupMenu1->attachToGrid(false);
    for (QAction* a : PopupMenu1->actions())
        a->setEnabled(false);
    beginScan(scanner_->abort, {btOK, dtStart, dtEnd, popStartDate, popEndDate});
    static const std::vector<ScanRecord> handedOver;  // the rows are in the grid already
    const bool open = runScan(
        *scanner_,
        [&] {
            scanner_->run(query);
            tellSearchOutcome(services_, scanner_->outcome(), dateListFullText());
        },
        []() -> const std::vector<ScanRecord>& { return handedOver; });
    for (QAction* a : PopupMenu1->actions())
        a->setEnabled(true);
    grid->results().trim(rowsFilled);
    if (!endScan() || !open) return;
    const bool userAborted = listIncomplete() && incompleteText() == listIncompleteText();
    QString found = QStringLiteral("Found : ") + QString::number(scanner_->listed());
    if (scanner_->withoutCreationDate() > 0)
        found += scanner_->withoutCreationDate() == 1
                     ? QStringLiteral(" (1 file has no creation date)")
                     : QStringLiteral(" (%1 files have no creation date)")
                           .arg(scanner_->withoutCreationDate());
    if (rowsFilled == 0 && !userAborted) {
        showResultButtons(false);
        if (scanner_->withoutCreationDate() > 0) pnlScan->setText(found);
        showNothingFound(scanner_->outcome().skippedFolders);
        return;
    }
    showResultButtons(true);
    fitColumnsToTexts(500);
    pnlScan->setText(scanStatus(found, scanner_->outcome().skippedFolders));
}

void TfrmMods::showResultButtons(bool any) {
    for (QPushButton* b : {btMark, btDelete, btPrint, btClip, btBrowse, btSort})
        b->setVisible(any);
    PopupMenu1->attachToGrid(any);
}

void TfrmMods::rgWhenClick() {
    const bool between = when() == int(DateRelation::Between);
    for (QWidget* w : std::initializer_list<QWidget*>{lblAnd, dtEnd, popEndDate})
        w->setVisible(between);
    if (when() >= 0) scanner_->setWhen(DateRelation(when()));
}

void TfrmMods::cbWildCardChange() {
    const QString text = cbWildCard->currentText();
    lblWild->setText(text == QLatin1String("*.*") ? QStringLiteral("All files")
                                                  : patternTypeName(text));
    if (isScanning()) scanner_->setPattern(text);
}

void TfrmMods::cb1Click(bool anyChecked) {
    btOK->setEnabled(anyChecked);
}

void TfrmMods::refocus(QLineEdit* box) {
    // Going back to the box is no leaving of the other one: it is not checked on the way.
    refocusing_ = true;
    box->setFocus();
    box->selectAll();
    refocusing_ = false;
}

bool TfrmMods::dtStartExit() {
    if (readTypedDate(dtStart->text())) return true;
    refocus(dtStart);
    services_.showGeneralError(QStringLiteral("Invalid start date"));
    return false;
}

bool TfrmMods::dtEndExit() {
    if (readTypedDate(dtEnd->text())) return true;
    refocus(dtEnd);
    services_.showGeneralError(QStringLiteral("Invalid ending date"));
    return false;
}

bool TfrmMods::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == dtStart || watched == dtEnd) &&
        !refocusing_ && isVisible()) {
        // A message box or a menu taking the focus for a moment is no leaving of the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            auto* box = static_cast<QLineEdit*>(watched);
            // After the move has finished: the box takes the focus back from its new owner.
            QTimer::singleShot(0, box, [this, box] {
                if (!isVisible()) return;  // closed meanwhile: nothing to check any more
                if (box == dtStart)
                    dtStartExit();
                else
                    dtEndExit();
            });
        }
    }
    return ResultWindow::eventFilter(watched, event);
}

void TfrmMods::popStartDateClick() {
    popDateClick(dtStart, dtEnd, true);
}

void TfrmMods::popEndDateClick() {
    popDateClick(dtEnd, dtStart, false);
}

void TfrmMods::popDateClick(QLineEdit* box, QLineEdit* other, bool isStart) {
    // Leaving the other box checks it first; a bad date there stops here.
    if (focusWidget() == other && !(isStart ? dtEndExit() : dtStartExit())) return;
    refocusing_ = true;
    box->setFocus();
    refocusing_ = false;
    if (box->text().trimmed().isEmpty()) box->setText(shortDateText(QDate::currentDate()));
    const auto notADate = [this](const QString& text) {
        services_.showGeneralError(QStringLiteral("'%1' is not a valid date").arg(text));
    };
    const std::optional<QDate> date = readTypedDate(box->text());
    if (!date) {
        notADate(box->text());
        return;
    }
    {
        TfrmPickDate picker(this);
        picker.move(box->mapToGlobal(QPoint(0, box->height() + px(25))));
        picker.SetDate(dateValue(*date));
        const int result = showPicker ? showPicker(picker) : picker.exec();
        if (result == QDialog::Accepted) {
            box->setText(shortDateText(dateOfValue(picker.GetDate())));
            box->selectAll();
        }
    }
    // The range stays in order, whether or not a date was picked.
    const std::optional<QDate> start = readTypedDate(dtStart->text());
    const std::optional<QDate> end = readTypedDate(dtEnd->text());
    if (!start || !end) {
        notADate(!start ? dtStart->text() : dtEnd->text());
        return;
    }
    if (*start > *end) (isStart ? dtEnd : dtStart)->setText(box->text());
}

QByteArray TfrmMods::pathOfRow(int row) const {
    const ResultGrid& g = grid->results();
    return DateScan::pathOf(g.recordOf(row).toUtf8(), g.pathOf(row));
}

void TfrmMods::btDeleteClick() {
    if (marking_->confirmDeletion(this) == QDialog::Rejected) return;
    accept();
}

void TfrmMods::btSortClick() {
    if (!isScanning()) PopupMenu1->popupOverGrid();
}

QString TfrmMods::printTitle() const {
    static const QStringList whats{QStringLiteral("Last accessed"), QStringLiteral("Created"),
                                   QStringLiteral("Modified")};
    QString title = QStringLiteral("Files ") + whats.value(what()) + QLatin1Char(' ');
    switch (DateRelation(when())) {
        case DateRelation::OnOrBefore:
            return title + QStringLiteral("before ") + dtStart->text();
        case DateRelation::Between:
            return title + QStringLiteral("between ") + dtStart->text() + QStringLiteral(" and ") +
                   dtEnd->text();
        case DateRelation::OnOrAfter:
            return title + QStringLiteral("after ") + dtStart->text();
    }
    return title;
}

void TfrmMods::PrintClick() {
    PrintGridReport(services_, grid->results(), printTitle());
}

QStringList TfrmMods::lbFiles() const {
    QStringList lines;
    grid->results().visitRecords([&](QByteArrayView record, QByteArrayView) {
        lines.append(QString::fromUtf8(clipboardLine(record)));
    });
    if (listIncomplete() && incompleteText() == listIncompleteText()) lines.append(abortLine());
    return lines;
}

void TfrmMods::btClipClick() {
    CopyListToClipboard(lbFiles());
}

void TfrmMods::btBrowseClick() {
    const int row = grid->currentRow();
    if (row < 0 || row >= rowsFilled) return;
    const QByteArray path = pathOfRow(row);
    if (!services_.platform().fileSize(path)) {
        services_.showGeneralError(QStringLiteral("Invalid file name - ") +
                                   QString::fromLocal8Bit(path));
        return;
    }
    if (!services_.openBrowser) return;
    const PathParts parts = splitPath(path);
    services_.openBrowser(this, parts.folder, parts.name, QStringLiteral("*.*"));
}

}  // namespace rk
