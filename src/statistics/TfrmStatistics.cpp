#include "statistics/TfrmStatistics.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

#include "common/Drives.h"
#include "common/FolderWalk.h"
#include "common/Messages.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"
#include "ui/ReportOutput.h"
#include "ui/ResultGridView.h"
#include "ui/WaitCursor.h"

namespace rk {

namespace {

constexpr int clientWidth = 594;
constexpr int clientHeight = 431;
const QString notYetCaption = QStringLiteral("File Statistics Not Yet Collected");
// The Size column holds a sum of hundreds of gigabytes whole.
const QList<int> typeColumnWidths{64, 150, 54, 68, 112, 80};

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text = {},
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAlignment(align);
    return l;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& hint) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    return b;
}

void setTextColour(QLabel* label, QColor colour) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

}  // namespace

StatGauge::StatGauge(QWidget* parent, const QString& name, QColor foreground, QColor background,
                     bool showText)
    : QWidget(parent), foreground_(foreground), background_(background), showText_(showText) {
    setObjectName(name);
    setMinimumHeight(14);
}

void StatGauge::setProgress(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == percent_) return;
    percent_ = percent;
    update();
}

QString StatGauge::text() const {
    return showText_ ? gaugeText(percent_) : QString();
}

void StatGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    const QRect filled(r.left(), r.top(), r.width() * percent_ / 100, r.height());
    p.fillRect(r, background_);
    p.fillRect(filled, foreground_);
    p.setPen(Qt::black);
    p.drawRect(r);
    if (showText_) {
        // The text straddles the edge of the bar near half: white over the bar, black beside
        // it, so every character shows on either side.
        p.setClipRect(filled);
        p.setPen(Qt::white);
        p.drawText(rect(), Qt::AlignCenter, text());
        p.setClipRegion(QRegion(rect()).subtracted(filled));
        p.setPen(Qt::black);
        p.drawText(rect(), Qt::AlignCenter, text());
    }
}

void GaugePage::show(const std::vector<GaugeRow>& rows) {
    for (std::size_t i = 0; i < rows.size() && i < countGauge.size(); ++i) {
        countGauge[i]->setProgress(rows[i].filesPercent);
        countLabel[i]->setText(rows[i].files);
        sizeGauge[i]->setProgress(rows[i].bytesPercent);
        bytesLabel[i]->setText(rows[i].bytes);
    }
}

TfrmStatistics::TfrmStatistics(const Services& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      services_(services),
      scanner_(std::make_unique<StatisticsScan>(services_.platform())) {
    setObjectName(QStringLiteral("frmStatistics"));
    setWindowTitle(notYetCaption);
    setModal(false);
    const auto px = [this](int v) { return int(v * logicalDpiX() / 96); };
    setFixedSize(px(clientWidth), px(clientHeight));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    // Disk Space.
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    {
        QFont big = font();
        big.setPixelSize(px(21));
        auto* g = new QGridLayout(TabSheet3);
        const auto key = [&](QColor c) {
            auto* box = new QFrame(TabSheet3);
            box->setFixedSize(px(21), px(21));
            box->setAutoFillBackground(true);
            QPalette p = box->palette();
            p.setColor(QPalette::Window, c);
            box->setPalette(p);
            box->setFrameStyle(QFrame::Box);
            return box;
        };
        const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
        lblTotal = makeLabel(TabSheet3, QStringLiteral("lblTotal"), {}, right);
        lblFreeC = makeLabel(TabSheet3, QStringLiteral("lblFreeC"));
        lblFree = makeLabel(TabSheet3, QStringLiteral("lblFree"), {}, right);
        lblPct = makeLabel(TabSheet3, QStringLiteral("lblPct"));
        Label26 = makeLabel(TabSheet3, QStringLiteral("Label26"));
        lblUsed = makeLabel(TabSheet3, QStringLiteral("lblUsed"), {}, right);
        lblPct2 = makeLabel(TabSheet3, QStringLiteral("lblPct2"));
        lblReserved = makeLabel(TabSheet3, QStringLiteral("lblReserved"));
        auto* total =
            makeLabel(TabSheet3, QStringLiteral("Label20"), QStringLiteral("Total Capacity"));
        auto* bytes = makeLabel(TabSheet3, QStringLiteral("Label21"), QStringLiteral("bytes"));
        for (QLabel* l : {lblTotal, lblFreeC, lblFree, lblPct, Label26, lblUsed, lblPct2,
                          lblReserved, total, bytes})
            l->setFont(big);
        // Values wide enough for "9,999,999,999" and more (drives of terabytes are ordinary).
        // The free and used captions name the mount point: each has a line of its own across
        // the page, its figures under it, and only a very long mount point wraps.
        const QFontMetrics metrics(big);
        for (QLabel* l : {lblTotal, lblFree, lblUsed})
            l->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("999,999,999,999")));
        for (QLabel* l : {lblPct, lblPct2, bytes})
            l->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("bytes (100 %) ")));
        for (QLabel* l : {lblFreeC, Label26, lblReserved}) {
            l->setWordWrap(true);
            l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        }
        g->setVerticalSpacing(px(2));
        g->addWidget(total, 0, 1);
        g->addWidget(lblTotal, 0, 2);
        g->addWidget(bytes, 0, 3);
        g->setRowMinimumHeight(1, px(12));
        g->addWidget(key(Qt::magenta), 2, 0);
        g->addWidget(lblFreeC, 2, 1, 1, 3);
        g->addWidget(lblFree, 3, 2);
        g->addWidget(lblPct, 3, 3);
        g->setRowMinimumHeight(4, px(12));
        g->addWidget(key(Qt::blue), 5, 0);
        g->addWidget(Label26, 5, 1, 1, 3);
        g->addWidget(lblUsed, 6, 2);
        g->addWidget(lblPct2, 6, 3);
        g->setRowMinimumHeight(7, px(12));
        Gauge1 = new StatGauge(TabSheet3, QStringLiteral("Gauge1"), Qt::blue, Qt::magenta, false);
        Gauge1->setMinimumHeight(px(40));
        g->addWidget(Gauge1, 8, 0, 1, 4);
        g->addWidget(lblReserved, 9, 0, 1, 4);
        lblReserved->setVisible(false);
        g->setRowStretch(10, 1);
        g->setColumnStretch(1, 1);
    }

    // File Types.
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    {
        auto* v = new QVBoxLayout(TabSheet1);
        gridTypes = new ResultGridView(TabSheet1);
        gridTypes->setObjectName(QStringLiteral("gridTypes"));
        gridTypes->results().setColumns(typeColumnTitles(), typeColumnWidths);
        for (int c : {2, 3, 4, 5})
            gridTypes->results().setRightAligned(c, true);
        gridTypes->verticalHeader()->setDefaultSectionSize(px(19));
        gridTypes->setContextMenuPolicy(Qt::CustomContextMenu);
        v->addWidget(gridTypes, 1);
        auto* h = new QHBoxLayout;
        auto* note = makeLabel(
            TabSheet1, QStringLiteral("Label1"),
            QStringLiteral("Files are grouped by file extension (three letters after the '.' in "
                           "the file name).  This is a listing of all files with common file "
                           "extensions."));
        note->setWordWrap(true);
        h->addWidget(note, 1);
        btSort = makeButton(TabSheet1, QStringLiteral("btSort"), QStringLiteral("&Sort"),
                            QStringLiteral("Sort columns "));
        h->addWidget(btSort);
        v->addLayout(h);

        PopupMenu1 = new QMenu(this);
        PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
        const auto item = [&](const QString& name, const QString& text) {
            QAction* a = PopupMenu1->addAction(text);
            a->setObjectName(name);
            a->setCheckable(true);
            return a;
        };
        SortbyExtension =
            item(QStringLiteral("SortbyExtension"), QStringLiteral("Sort by &Extension"));
        SortbyType = item(QStringLiteral("SortbyType"), QStringLiteral("Sort by &Type"));
        SortbyNumFiles =
            item(QStringLiteral("SortbyNumFiles"), QStringLiteral("Sort by &Number of files"));
        SortbySize = item(QStringLiteral("SortbySize"), QStringLiteral("Sort by &Size"));
        SortbyExtension->setChecked(true);
        checkedSort_ = SortbyExtension;
        connect(PopupMenu1, &QMenu::triggered, this, &TfrmStatistics::SortbyExtensionClick);
        connect(btSort, &QPushButton::clicked, this, &TfrmStatistics::btSortClick);
        connect(gridTypes, &QWidget::customContextMenuRequested, this,
                [this](QPoint at) { PopupMenu1->popup(gridTypes->viewport()->mapToGlobal(at)); });
    }

    // File Sizes and the age pages.
    TabSheet2 =
        makeGaugePage(QStringLiteral("TabSheet2"), sizesPage, 1, sizeClassCount,
                      QStringLiteral("gaFsN"), QStringLiteral("lblSizeN"), QStringLiteral("gaFsS"),
                      QStringLiteral("lblSize"), Qt::darkBlue, Qt::darkCyan, sizeClassCaptions());
    lblCluster = makeLabel(TabSheet2, QStringLiteral("lblCluster"));
    lblCluster->setWordWrap(true);
    TabSheet2->layout()->addWidget(lblCluster);
    const QColor purple(128, 0, 128);
    TabSheet4 =
        makeGaugePage(QStringLiteral("TabSheet4"), accessPage, 0, ageRowCount,
                      QStringLiteral("gaFaN"), QStringLiteral("lblAgeN"), QStringLiteral("gaFaS"),
                      QStringLiteral("lblAgeS"), purple, Qt::darkBlue, ageRowCaptions());
    TabSheet5 =
        makeGaugePage(QStringLiteral("TabSheet5"), createPage, 0, ageRowCount,
                      QStringLiteral("gaFcN"), QStringLiteral("lblCr"), QStringLiteral("gaFcS"),
                      QStringLiteral("lblCrS"), purple, Qt::darkBlue, ageRowCaptions());
    TabSheet6 =
        makeGaugePage(QStringLiteral("TabSheet6"), writePage, 0, ageRowCount,
                      QStringLiteral("gaFwN"), QStringLiteral("lblWr"), QStringLiteral("gaFwS"),
                      QStringLiteral("lblFw"), purple, Qt::darkBlue, ageRowCaptions());
    const auto notes = [](QWidget* page, const QStringList& texts) {
        for (const QString& t : texts) {
            auto* l = new QLabel(t, page);
            l->setWordWrap(true);
            page->layout()->addWidget(l);
        }
    };
    notes(TabSheet4,
          {QStringLiteral("Note: drives mounted with relatime (the usual setting) record a file "
                          "access only once a day or after a change; drives mounted with noatime "
                          "do not record it at all."),
           QStringLiteral("Files never recorded as being accessed carry an access date before "
                          "1980, as files unpacked from some old archives do.")});
    notes(TabSheet5,
          {QStringLiteral("Note: Linux stores the file creation (birth) date only where the "
                          "file system keeps it; some file systems, network drives among them, "
                          "do not."),
           QStringLiteral("Files never recorded as being created lie on such a file system, or "
                          "were created before 1980.")});
    notes(TabSheet6, {QStringLiteral("Note: every file system Linux uses records the last "
                                     "file modification date, apart from the creation date.  "
                                     "Therefore all files have a file modification date.")});

    const QList<QWidget*> sheets{TabSheet3, TabSheet1, TabSheet2, TabSheet4, TabSheet5, TabSheet6};
    for (qsizetype i = 0; i < sheets.size(); ++i)
        PageControl1->addTab(sheets[i], pageTitles()[i]);

    // The bottom row and the status bar.
    auto* driveLabel = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("&Drive:"));
    cbDrive = new QComboBox(this);
    cbDrive->setObjectName(QStringLiteral("cbDrive"));
    cbDrive->setToolTip(QStringLiteral("The drive selected for statistics"));
    driveLabel->setBuddy(cbDrive);
    btOK = makeButton(this, QStringLiteral("btOK"), QStringLiteral("&Collect statistics"),
                      QStringLiteral("Start collecting statistics"));
    btOK->setDefault(true);
    btPrint = makeButton(this, QStringLiteral("btPrint"), QStringLiteral("&Print page"),
                         QStringLiteral("Print this page only"));
    btCancel = makeButton(this, QStringLiteral("btCancel"), QStringLiteral("Cancel"),
                          QStringLiteral("Cancel operation or close window"));
    btCancel->setAutoDefault(false);
    btPrint->setAutoDefault(false);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    ProgressBar1 = new QProgressBar(StatusBar1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setFixedWidth(px(250));
    StatusBar1->addPermanentWidget(ProgressBar1);
    ProgressBar1->setVisible(false);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(px(4), px(4), px(4), 0);
    v->addWidget(PageControl1, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(driveLabel);
    row->addWidget(cbDrive, 1);
    row->addWidget(btOK);
    row->addWidget(btPrint);
    row->addWidget(btCancel);
    v->addLayout(row);
    v->addWidget(StatusBar1);

    pnlNotYet =
        makeLabel(this, QStringLiteral("pnlNotYet"),
                  QStringLiteral("Statistics haven't been collected yet!"), Qt::AlignCenter);
    pnlNotYet->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlNotYet->setLineWidth(2);
    pnlNotYet->setAutoFillBackground(true);
    {
        QPalette p = pnlNotYet->palette();
        p.setColor(QPalette::Window, Qt::yellow);
        p.setColor(QPalette::WindowText, Qt::black);
        pnlNotYet->setPalette(p);
    }
    pnlNotYet->setGeometry(px(150), px(160), px(294), px(41));
    pnlNotYet->raise();

    // The tab bar turns pages by keyboard only while it has the focus; these do wherever it is.
    const auto turnPage = [this](int step) {
        const int count = PageControl1->count();
        PageControl1->setCurrentIndex((PageControl1->currentIndex() + step + count) % count);
    };
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [=] { turnPage(1); });
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                     QKeySequence(Qt::CTRL | Qt::Key_PageUp)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [=] { turnPage(-1); });
    connect(PageControl1, &QTabWidget::currentChanged, this, &TfrmStatistics::PageControl1Change);
    connect(cbDrive, &QComboBox::activated, this, &TfrmStatistics::cbDriveClick);
    connect(btOK, &QPushButton::clicked, this, &TfrmStatistics::btOKClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmStatistics::btPrintClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmStatistics::btCancelClick);

    scanner_->showCount = [this](std::int64_t files) { lastCount_ = files; };
    fillDriveBox();
}

TfrmStatistics::~TfrmStatistics() {
    job_.discard();
}

QWidget* TfrmStatistics::makeGaugePage(const QString& name, GaugePage& page, int firstRow, int rows,
                                       const QString& countGauge, const QString& countLabel,
                                       const QString& sizeGauge, const QString& bytesLabel,
                                       QColor countColour, QColor sizeColour,
                                       const QStringList& captions) {
    auto* sheet = new QWidget;
    sheet->setObjectName(name);
    auto* v = new QVBoxLayout(sheet);
    v->setSpacing(2);
    auto* g = new QGridLayout;
    g->setVerticalSpacing(1);
    // A count stands clear of the size gauge beside it.
    g->setHorizontalSpacing(int(10 * logicalDpiX() / 96));
    const QStringList& heads = gaugeColumnTitles();
    for (int c = 0; c < 4; ++c)
        g->addWidget(makeLabel(sheet, name + QStringLiteral("Head") + QString::number(c), heads[c],
                               Qt::AlignCenter),
                     0, c + 1);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    for (int i = 0; i < rows; ++i) {
        const QString n = QString::number(firstRow + i);
        g->addWidget(makeLabel(sheet, name + QStringLiteral("Row") + n, captions[i]), i + 1, 0);
        page.countGauge.push_back(
            new StatGauge(sheet, countGauge + n, countColour, Qt::white, true));
        page.countLabel.push_back(makeLabel(sheet, countLabel + n, QStringLiteral("0"), right));
        page.sizeGauge.push_back(new StatGauge(sheet, sizeGauge + n, sizeColour, Qt::white, true));
        page.bytesLabel.push_back(makeLabel(sheet, bytesLabel + n, QStringLiteral("0"), right));
        g->addWidget(page.countGauge.back(), i + 1, 1);
        g->addWidget(page.countLabel.back(), i + 1, 2);
        g->addWidget(page.sizeGauge.back(), i + 1, 3);
        g->addWidget(page.bytesLabel.back(), i + 1, 4);
    }
    for (int c = 1; c <= 4; ++c)
        g->setColumnStretch(c, 1);
    v->addLayout(g);
    v->addStretch(1);
    return sheet;
}

void TfrmStatistics::followOwner(QWidget* owner) {
    setParent(owner, windowFlags());
    owner->installEventFilter(this);
}

bool TfrmStatistics::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close && watched == parent()) {
        // The program is ending: a run under way stops, and this window closes after it.
        ownerClosed_ = true;
        scanner_->abort = scanning_;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmStatistics::fillDriveBox() {
    // Keeps the drive chosen while it is still there; drives come and go while the program runs.
    const QByteArray chosen = chosenDrive() ? chosenDrive()->mountPoint : QByteArray();
    DriveTable& table = services_.drives();
    table.reload();
    drives_ = table.drives();
    const QSignalBlocker block(cbDrive);
    cbDrive->clear();
    int select = table.currentIndex();
    for (std::size_t i = 0; i < drives_.size(); ++i) {
        cbDrive->addItem(driveBoxText(drives_[i], false));
        if (drives_[i].mountPoint == chosen) select = int(i);
    }
    cbDrive->setCurrentIndex(select);
}

const Drive* TfrmStatistics::chosenDrive() const {
    const int i = cbDrive->currentIndex();
    return i >= 0 && std::size_t(i) < drives_.size() ? &drives_[std::size_t(i)] : nullptr;
}

void TfrmStatistics::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    FormShow();
}

void TfrmStatistics::FormShow() {
    if (!scanning_) {
        ProgressBar1->setVisible(false);
        fillDriveBox();
    }
    PageControl1->setCurrentWidget(TabSheet3);
    gridTypes->results().setColumns(typeColumnTitles(), typeColumnWidths);
    doDiskSize();
    pnlNotYet->setVisible(false);
}

void TfrmStatistics::PageControl1Change(int page) {
    if (PageControl1->widget(page) == TabSheet3) {
        doDiskSize();
        pnlNotYet->setVisible(false);
    } else {
        pnlNotYet->setVisible(!collected_);
    }
}

void TfrmStatistics::cbDriveClick() {
    if (PageControl1->currentWidget() == TabSheet3) doDiskSize();
}

void TfrmStatistics::doDiskSize() {
    const Drive* drive = chosenDrive();
    if (!drive ||
        !IsDriveReady(services_.platform(), services_.drives().drives(), drive->mountPoint))
        return;
    const std::optional<DriveSpace> space = services_.platform().driveSpace(drive->mountPoint);
    if (!space) return;
    const DiskFigures d = diskFigures(*space, drive->caption());
    lblTotal->setText(formatThousands(d.total));
    lblFree->setText(formatThousands(d.free));
    lblUsed->setText(formatThousands(d.used));
    lblPct->setText(d.pctText);
    lblPct2->setText(d.pct2Text);
    lblReserved->setText(d.reservedText);
    lblReserved->setVisible(!d.reservedText.isEmpty());
    lblFreeC->setText(d.freeCaption);
    Label26->setText(d.usedCaption);
    Gauge1->setProgress(d.usedPercent);
    const QColor colour = d.low ? Qt::red : Qt::black;
    setTextColour(lblFree, colour);
    setTextColour(lblPct, colour);
}

void TfrmStatistics::doFileTypes() {
    ResultGrid& grid = gridTypes->results();
    grid.clear();
    typeEntries_.clear();
    const StatisticsTallies& t = scanner_->tallies();
    const std::vector<TypeRow> rows = typeRows(t, &ScanJob::pump());
    grid.reserveRows(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        grid.addRecord(rows[i].record());
        typeEntries_.push_back({rows[i].extension, rows[i].type, t.types[i].tally});
    }
    grid.trim(int(rows.size()));
}

void TfrmStatistics::doFileSizes() {
    sizesPage.show(sizeRows(scanner_->tallies()));
}

void TfrmStatistics::doFileAges() {
    const StatisticsTallies& t = scanner_->tallies();
    accessPage.show(ageRows(t.access));
    createPage.show(ageRows(t.create));
    writePage.show(ageRows(t.write));
}

void TfrmStatistics::btSortClick() {
    PopupMenu1->popup(btSort->mapToGlobal(QPoint(0, -70)));
}

void TfrmStatistics::SortbyExtensionClick(QAction* item) {
    ResultGrid& grid = gridTypes->results();
    const auto marks = [this](QAction* checked) {
        for (QAction* a : {SortbyExtension, SortbyType, SortbyNumFiles, SortbySize})
            a->setChecked(a == checked);
    };
    const int rows = grid.rowCount();
    // The check mark follows the sort last done, not the click: a refused sort changes none.
    if (rows < 2 || std::size_t(rows) != typeEntries_.size()) {
        marks(checkedSort_);
        return;
    }
    WaitCursor wait;
    std::vector<int> order(static_cast<std::size_t>(rows));
    std::iota(order.begin(), order.end(), 0);
    const auto upper = [](const QString& s) { return asciiUpper(s); };
    const auto& e = typeEntries_;
    const auto byText = [&](auto field) {
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return upper(field(e[std::size_t(a)])).toUtf8() <
                   upper(field(e[std::size_t(b)])).toUtf8();
        });
    };
    const auto byNumber = [&](auto field) {
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return field(e[std::size_t(a)]) > field(e[std::size_t(b)]);
        });
    };
    if (item == SortbyType)
        byText([](const TypeEntry& x) { return x.type; });
    else if (item == SortbyNumFiles)
        byNumber([](const TypeEntry& x) { return x.tally.files; });
    else if (item == SortbySize)
        byNumber([](const TypeEntry& x) { return x.tally.bytes; });
    else
        byText([](const TypeEntry& x) { return x.extension; });
    std::vector<int> gridRows;
    std::vector<TypeEntry> sorted;
    for (int i : order) {
        gridRows.push_back(i);
        sorted.push_back(e[std::size_t(i)]);
    }
    grid.reorderRows(0, gridRows);
    typeEntries_ = std::move(sorted);
    checkedSort_ = item;
    marks(item);
}

void TfrmStatistics::btPrintClick() {
    PrintWindowImage(services_, *this);
}

void TfrmStatistics::showProgress() {
    if (lastCount_ != shownCount_) {
        StatusBar1->showMessage(QStringLiteral("Processing files ... standby : ") +
                                QString::number(lastCount_));
        shownCount_ = lastCount_;
    }
    ProgressBar1->setValue(scanner_->progressPercent());
}

StatisticsScan::Outcome TfrmStatistics::scan(const Drive& drive) {
    StatusBar1->clearMessage();
    for (QWidget* w : {static_cast<QWidget*>(btPrint), static_cast<QWidget*>(cbDrive),
                       static_cast<QWidget*>(btOK)})
        w->setEnabled(false);
    WaitCursor wait;
    // Whatever ends the run, the window goes back to idle.
    auto idle = qScopeGuard([&] {
        wait.restore();
        for (QWidget* w : {static_cast<QWidget*>(btPrint), static_cast<QWidget*>(cbDrive),
                           static_cast<QWidget*>(btOK)})
            w->setEnabled(true);
        scanner_->setPump(nullptr);
        scanning_ = false;
    });
    shownCount_ = -1;
    lastCount_ = 0;
    // Each slice of the job ends with the progress shown.
    EventPump pump(
        [this] {
            showProgress();
            ScanJob::pump().pump();
        },
        ScanJob::sliceMs);
    scanner_->setPump(&pump);
    const StatisticsScan::Outcome outcome = scanner_->run(drive, QDate::currentDate());
    scanner_->setPump(nullptr);
    const bool changed = outcome != StatisticsScan::Outcome::NotReady &&
                         outcome != StatisticsScan::Outcome::RootNotOpened;
    if (changed) {
        doFileTypes();
        doFileSizes();
        doFileAges();
        StatusBar1->showMessage(finishedText(scanner_->tallies().fileCount,
                                             outcome != StatisticsScan::Outcome::Completed));
    }
    return outcome;
}

void TfrmStatistics::btOKClick() {
    if (scanning_ || job_.running()) return;
    scanner_->abort = false;
    const Drive* chosen = chosenDrive();
    const QString boxText = cbDrive->currentText();
    const auto finish = [this] {
        pnlNotYet->setVisible(!collected_);
        ProgressBar1->setVisible(false);
        if (ownerClosed_) close();
    };
    if (!chosen ||
        !IsDriveReady(services_.platform(), services_.drives().drives(), chosen->mountPoint)) {
        services_.showError(QStringLiteral("There is no disk in drive ") + boxText);
        pnlNotYet->setVisible(!collected_);
        return;
    }
    const Drive drive = *chosen;
    services_.showInfo(
        QStringLiteral("Drive \"") + boxText +
        QStringLiteral("\" will be scanned.  The analysis ") +
        QStringLiteral("may take some time.  You may quit at any time by clicking CANCEL "
                       "or pressing ESC."));
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(true);
    scanning_ = true;
    pnlNotYet->setText(QStringLiteral("Collecting statistics.  Standby."));
    const QString statusBefore = StatusBar1->currentMessage();
    // The caption of the last run would say it is done while this one goes on.
    const QString captionBefore = windowTitle();
    setWindowTitle(runningCaption(boxText));
    job_.start([this, drive, boxText, statusBefore, captionBefore, finish] {
        runJob(drive, boxText, statusBefore, captionBefore, finish);
    });
}

void TfrmStatistics::runJob(const Drive& drive, const QString& boxText, const QString& statusBefore,
                            const QString& captionBefore, const std::function<void()>& finish) {
    StatisticsScan::Outcome outcome;
    try {
        outcome = scan(drive);
    } catch (...) {
        setWindowTitle(captionBefore);
        finish();
        throw;
    }
    using Outcome = StatisticsScan::Outcome;
    if (outcome == Outcome::NotReady || outcome == Outcome::RootNotOpened) {
        // Nothing was counted: the figures, the caption and the status stay as they were.
        StatusBar1->showMessage(statusBefore);
        setWindowTitle(captionBefore);
        if (outcome == Outcome::NotReady)
            services_.showError(QStringLiteral("There is no disk in drive ") + boxText);
        else
            services_.showMessage(MessageKind::Error,
                                  QStringLiteral("Can't open drive ") + boxText);
        finish();
        return;
    }
    collected_ = true;
    lblCluster->setText(clusterNote(drive.caption(), scanner_->space().clusterSize));
    setWindowTitle(runCaption(boxText, outcome != Outcome::Completed));
    finish();
    if (outcome == Outcome::IoError && !ownerClosed_)
        services_.showMessage(MessageKind::Error, scanner_->errorText());
}

void TfrmStatistics::btCancelClick() {
    if (scanning_) {
        scanner_->abort = true;
        return;
    }
    setResult(QDialog::Rejected);
    hide();
}

// Esc.
void TfrmStatistics::reject() {
    btCancelClick();
}

void TfrmStatistics::closeEvent(QCloseEvent* event) {
    if (scanning_) {
        scanner_->abort = true;
        event->ignore();
        return;
    }
    setResult(QDialog::Rejected);
    event->accept();
}

}  // namespace rk
