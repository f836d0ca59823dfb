#include "browser/TfrmBrowse.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScreen>
#include <QVBoxLayout>

#include "browser/BrowseColumns.h"
#include "common/Drives.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "common/ProtectedFolders.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"
#include "ui/CoreMessages.h"
#include "ui/ElidedLabel.h"
#include "ui/FolderDeletionFlow.h"
#include "ui/ResultWindow.h"
#include "ui/SortMenu.h"
#include "ui/TfrmReallyDelete.h"
#include "ui/TfrmWildCard.h"
#include "ui/WaitCursor.h"

namespace rk {

namespace {

constexpr int pathRole = Qt::UserRole;

QFrame* makePanel(QWidget* parent, const QString& name, QFrame::Shadow shadow) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setFrameStyle(QFrame::Panel | shadow);
    return f;
}

QLabel* makeStatusPanel(QWidget* parent, const QString& name, const QFont& font) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFont(font);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return l;
}

// The delete button's bin: empty, or with sheets of paper standing out of it.
QIcon binIcon(const QStyle* style, bool full, int size) {
    QPixmap pixmap = style->standardIcon(QStyle::SP_TrashIcon).pixmap(size, size);
    if (full) {
        QPainter p(&pixmap);
        p.setPen(QPen(Qt::darkGray, 1));
        p.setBrush(Qt::white);
        const int w = size / 5;
        for (int i = 0; i < 3; ++i)
            p.drawRect(QRect(size / 4 + i * w, i % 2 ? 1 : 0, w, size / 3));
    }
    return QIcon(pixmap);
}

}  // namespace

TfrmBrowse::TfrmBrowse(const Services& services, QWidget* parent) : ToolWindow(services, parent) {
    setObjectName(QStringLiteral("frmBrowse"));
    setWindowTitle(QStringLiteral("Browse through folders"));
    resize(px(640), px(433));

    Panel3 = makePanel(this, QStringLiteral("Panel3"), QFrame::Raised);
    Panel3->setFixedWidth(px(169));
    Panel4 = makePanel(Panel3, QStringLiteral("Panel4"), QFrame::Raised);
    Panel4->setFixedHeight(std::max(px(31), Panel4->sizeHint().height()));
    DriveComboBox1 = new QComboBox(Panel4);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    // A long label or network name stays inside the panel's designed width.
    DriveComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    DriveComboBox1->setMinimumContentsLength(8);
    DirectoryListBox1 = new QListWidget(Panel3);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setToolTip(QStringLiteral("Double click to select"));

    Panel5 = makePanel(this, QStringLiteral("Panel5"), QFrame::Raised);
    Panel6 = makePanel(Panel5, QStringLiteral("Panel6"), QFrame::Raised);
    Panel6->setFixedHeight(px(31));
    Label1 = new QLabel(Panel6);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    // A deep folder's path must not widen the window: it is shortened to fit instead.
    Label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Label1->installEventFilter(this);
    grid = new ResultGridView(Panel5);
    grid->setObjectName(QStringLiteral("grid"));
    grid->showRoomTips(services_.platform());
    grid->results().setSchema(BrowseColumns::schema());
    grid->setToolTip(QStringLiteral("Double click to mark, right click to sort"));

    Panel2 = makePanel(this, QStringLiteral("Panel2"), QFrame::Sunken);
    Panel2->setFixedHeight(px(34));
    btDeleteDirectory = makeToolButton(
        Panel2, QStringLiteral("btDeleteDirectory"), QStringLiteral("Delete &Folder"),
        QStringLiteral("Delete folder and all files/folders below"), QStyle::SP_DirClosedIcon);
    btLaunch =
        makeToolButton(Panel2, QStringLiteral("btLaunch"), QStringLiteral("&Run"),
                       QStringLiteral("Run/launch associated application"), QStyle::SP_MediaPlay);
    btView = makeToolButton(Panel2, QStringLiteral("btView"), QStringLiteral("&View"),
                            QStringLiteral("View file"), QStyle::SP_FileDialogContentsView);
    btSort = makeToolButton(Panel2, QStringLiteral("btSort"), QStringLiteral("&Sort"),
                            QStringLiteral("Sort columns "), QStyle::SP_ArrowDown);
    btMark = makeToolButton(Panel2, QStringLiteral("btMark"), QStringLiteral("&Mark"),
                            QStringLiteral("Mark/unmark files for deletion"),
                            QStyle::SP_DialogApplyButton);
    btDeleteFiles = makeToolButton(Panel2, QStringLiteral("btDeleteFiles"),
                                   QStringLiteral("D&elete marked files"),
                                   QStringLiteral("Delete marked files"), QStyle::SP_TrashIcon);
    btClose = makeToolButton(Panel2, QStringLiteral("btClose"), QStringLiteral("Close"), QString(),
                             QStyle::SP_DialogCloseButton);
    for (QPushButton* b :
         {btDeleteDirectory, btLaunch, btView, btSort, btMark, btDeleteFiles, btClose})
        b->setFixedHeight(px(28));
    btDeleteFiles->setEnabled(false);

    pnlScan2 = makePanel(this, QStringLiteral("pnlScan2"), QFrame::Sunken);
    pnlScan2->setFixedHeight(std::max(px(23), pnlScan2->sizeHint().height()));
    QFont status = font();
    status.setPixelSize(px(13));
    pnlScan = makeStatusPanel(pnlScan2, QStringLiteral("pnlScan"), status);
    // The pattern panel grows with a long pattern, up to a third of the designed width; past
    // that the pattern ends in an ellipsis and its tip shows it whole.
    pnlWild = new ElidedLabel(pnlScan2);
    pnlWild->setObjectName(QStringLiteral("pnlWild"));
    pnlWild->setFont(status);
    pnlWild->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlWild->setMinimumWidth(px(141));
    pnlWild->setMaximumWidth(px(320));
    pnlWild->setCursor(Qt::PointingHandCursor);
    pnlWild->installEventFilter(this);
    pnlSize = makeStatusPanel(pnlScan2, QStringLiteral("pnlSize"), status);
    // The total is never cut: its panel widens with it, and the count beside gives way.
    pnlSize->setMinimumWidth(px(167));
    pnlScan->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* drivePanel = new QHBoxLayout(Panel4);
    drivePanel->setContentsMargins(px(3), px(3), px(3), px(3));
    drivePanel->addWidget(DriveComboBox1);
    auto* left = new QVBoxLayout(Panel3);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    left->addWidget(Panel4);
    left->addWidget(DirectoryListBox1, 1);
    auto* folderPanel = new QHBoxLayout(Panel6);
    folderPanel->setContentsMargins(px(6), 0, px(6), 0);
    folderPanel->addWidget(Label1);
    auto* right = new QVBoxLayout(Panel5);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    right->addWidget(Panel6);
    right->addWidget(grid, 1);
    auto* panes = new QHBoxLayout;
    panes->setSpacing(0);
    panes->addWidget(Panel3);
    panes->addWidget(Panel5, 1);
    // Delete Folder stands apart at the left; the others line up at the right edge.
    auto* buttons = new QHBoxLayout(Panel2);
    buttons->setContentsMargins(px(10), px(3), px(15), px(3));
    buttons->setSpacing(px(5));
    buttons->addWidget(btDeleteDirectory);
    buttons->addStretch(1);
    for (QPushButton* b : {btLaunch, btView, btSort, btMark, btDeleteFiles, btClose})
        buttons->addWidget(b);
    auto* statusBar = new QHBoxLayout(pnlScan2);
    statusBar->setContentsMargins(0, 0, 0, 0);
    statusBar->setSpacing(px(2));
    statusBar->addWidget(pnlScan, 1);
    statusBar->addWidget(pnlWild);
    statusBar->addWidget(pnlSize);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(panes, 1);
    layout->addWidget(Panel2);
    layout->addWidget(pnlScan2);

    PopupMenu1 = new SortMenu(grid, this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Sortbyname1 = PopupMenu1->addSort(QStringLiteral("Sort by &Name"), SortKind::Text,
                                      BrowseColumns::Filename, false);
    Sortbyname1->setObjectName(QStringLiteral("Sortbyname1"));
    SortbyDate1 = PopupMenu1->addSort(QStringLiteral("Sort by Modified &Date"), SortKind::Date,
                                      BrowseColumns::Modified, true);
    SortbyDate1->setObjectName(QStringLiteral("SortbyDate1"));
    SortbyAccessDate = PopupMenu1->addSort(QStringLiteral("Sort by &Access Date"), SortKind::Date,
                                           BrowseColumns::Access, true);
    SortbyAccessDate->setObjectName(QStringLiteral("SortbyAccessDate"));
    SortbySize1 = PopupMenu1->addSort(QStringLiteral("Sort by &Size"), SortKind::Number,
                                      BrowseColumns::Size, true);
    SortbySize1->setObjectName(QStringLiteral("SortbySize1"));
    SortbyType1 = PopupMenu1->addSort(QStringLiteral("Sort by &Type"), SortKind::Text,
                                      BrowseColumns::Type, false);
    SortbyType1->setObjectName(QStringLiteral("SortbyType1"));
    PopupMenu1->check(Sortbyname1);
    sorted_ = Sortbyname1;
    PopupMenu1->attachToGrid(true);

    marking_ = new MarkingGrid(services_, grid, pnlScan, QStringLiteral("Marked for deletion: "));
    marking_->setDeleteButton(btDeleteFiles);
    // A name without an extension has no type: such a file is marked with Mark only.
    marking_->doubleClickMarks = [this](int row) {
        return !grid->results().cell(BrowseColumns::Type, row).isEmpty();
    };
    connect(marking_, &MarkingGrid::marksChanged, this, &TfrmBrowse::showMarkState);

    connect(PopupMenu1, &SortMenu::sorted, this, [this](QAction* item) { sorted_ = item; });
    connect(DriveComboBox1, &QComboBox::activated, this, &TfrmBrowse::DriveComboBox1Change);
    connect(DirectoryListBox1, &QListWidget::itemActivated, this,
            &TfrmBrowse::DirectoryListBox1DblClick);
    connect(btDeleteDirectory, &QPushButton::clicked, this, &TfrmBrowse::btDeleteDirectoryClick);
    connect(btLaunch, &QPushButton::clicked, this, &TfrmBrowse::btLaunchClick);
    connect(btView, &QPushButton::clicked, this, &TfrmBrowse::btViewClick);
    connect(btSort, &QPushButton::clicked, this, &TfrmBrowse::btSortClick);
    connect(btMark, &QPushButton::clicked, marking_, &MarkingGrid::toggleCurrentAndMoveDown);
    connect(btDeleteFiles, &QPushButton::clicked, this, &TfrmBrowse::btDeleteFilesClick);
    connect(btClose, &QPushButton::clicked, this, &TfrmBrowse::reject);

    services_.drives().reload();
    showMarkState();
}

TfrmBrowse::~TfrmBrowse() = default;

bool TfrmBrowse::openOn(const QByteArray& folder, const QString& pattern, const QByteArray& file) {
    pattern_ = pattern.trimmed().isEmpty() ? QStringLiteral("*.*") : pattern;
    if (!changeFolder(folder)) return false;
    if (file.isEmpty()) return true;
    const QByteArray path = JoinPath(folder_, file);
    if (!services_.platform().fileSize(path)) {
        services_.showGeneralError(QStringLiteral("Invalid file name - ") + displayPath(path));
        return false;
    }
    // A file the pattern leaves out is there but has no row to make current.
    const ResultGrid& g = grid->results();
    for (int r = 0; r < g.rowCount(); ++r)
        if (g.pathOf(r) == path) grid->setCurrentRow(r);
    return true;
}

void TfrmBrowse::FormShow() {
    showPattern();
    if (folder_.isEmpty()) {
        // Opened from the main window: the program's folder, else the top of its drive.
        const QByteArray start = services_.platform().currentFolder();
        if (!changeFolder(start) && !changeFolder(mountPointOf(start))) changeFolder("/");
    }
    // No smaller than the button row and the status bar need.
    QSize minimum = QSize(px(635), px(174)).expandedTo(layout()->minimumSize());
    if (QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        if (area.width() < minimum.width()) minimum.setWidth(area.width() - 10);
        move(area.center() - rect().center());
    }
    setMinimumSize(minimum);
    grid->setFocus();
}

QByteArray TfrmBrowse::mountPointOf(const QByteArray& folder) const {
    const DriveTable& table = services_.drives();
    const int i = table.indexOfDriveHolding(folder);
    return i < 0 ? QByteArray("/") : table.drives()[std::size_t(i)].mountPoint;
}

bool TfrmBrowse::changeFolder(const QByteArray& folder, bool reportError) {
    WaitCursor wait;  // a large folder takes a moment to read
    const FolderListing listing =
        listBrowsedFolder(services_.platform(), folder, NamePattern(pattern_));
    if (listing.error != 0) {
        wait.restore();
        if (reportError) services_.showGeneralError(IoError(listing.error).message());
        return false;
    }
    folder_ = folder;
    rememberDriveFolder(mountPointOf(folder_), folder_);
    showFolderPath();
    showDrive();
    showFolderList(listing.subFolders);
    DirectoryListBox1Change(listing);
    return true;
}

void TfrmBrowse::rebuild() {
    // The same folder read again keeps the user's place in the grid.
    const int row = grid->currentRow();
    const auto keepPlace = qScopeGuard([this, row] {
        if (row >= 0) grid->setCurrentRow(std::min(row, grid->results().rowCount() - 1));
    });
    // The shown folder, or the nearest folder above it that is still there.
    const QByteArray top = mountPointOf(folder_);
    for (QByteArray f = folder_;; f = parentFolder(f)) {
        const FolderListing listing =
            listBrowsedFolder(services_.platform(), f, NamePattern(pattern_));
        if (listing.error == 0) {
            if (f != folder_) {
                folder_ = f;
                rememberDriveFolder(top, folder_);
                showFolderPath();
            }
            showFolderList(listing.subFolders);
            DirectoryListBox1Change(listing);
            return;
        }
        if (f == top || f == "/") {
            services_.showGeneralError(IoError(listing.error).message());
            return;
        }
    }
}

void TfrmBrowse::showDrive() {
    const QSignalBlocker quiet(DriveComboBox1);
    // Drives come and go while the program runs: the box is written afresh each time.
    DriveComboBox1->clear();
    for (const Drive& d : services_.drives().drives())
        DriveComboBox1->addItem(driveBoxText(d, true), d.mountPoint);
    DriveComboBox1->setCurrentIndex(services_.drives().indexOfDriveHolding(folder_));
}

void TfrmBrowse::showFolderList(const std::vector<QByteArray>& subFolders) {
    const QSignalBlocker quiet(DirectoryListBox1);
    DirectoryListBox1->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (const FolderLine& line : folderLines(mountPointOf(folder_), folder_, subFolders)) {
        const bool below = line.path != folder_ && line.path.startsWith(folder_);
        auto* item = new QListWidgetItem(below ? closed : open,
                                         QString(line.depth * 2, QLatin1Char(' ')) + line.text,
                                         DirectoryListBox1);
        item->setData(pathRole, line.path);
        if (line.current) DirectoryListBox1->setCurrentItem(item);
    }
}

void TfrmBrowse::DriveComboBox1Change(int index) {
    const QByteArray mountPoint = DriveComboBox1->itemData(index).toByteArray();
    // Nothing moves unless the new drive can be read: the box goes back to the shown folder's.
    // The folder last shown there may have gone since: then the drive's top.
    if (mountPoint.isEmpty() || !services_.drives().find(mountPoint) ||
        !IsDriveReady(services_.platform(), services_.drives().drives(), mountPoint) ||
        !(changeFolder(driveCurrentFolder(mountPoint), false) || changeFolder(mountPoint)))
        showDrive();
}

void TfrmBrowse::DirectoryListBox1DblClick(QListWidgetItem* item) {
    if (!item) return;
    const QByteArray path = item->data(pathRole).toByteArray();
    if (!path.isEmpty() && path != folder_) changeFolder(path);
}

void TfrmBrowse::DirectoryListBox1Change(const FolderListing& listing) {
    marking_->clear();
    totalBytes_ = 0;
    {
        WaitCursor wait;
        totalBytes_ = fillBrowseGrid(grid->results(), folder_, listing.files);
        if (sorted_ && sorted_ != Sortbyname1) PopupMenu1->choose(sorted_);
        fitColumns();
    }
    pnlScan->setText(QStringLiteral("Number of files : ") + QString::number(listing.files.size()));
    pnlSize->setText(QStringLiteral("Total size : ") + formatThousands(totalBytes_));
    showMarkState();
}

void TfrmBrowse::fitColumns() {
    // The designed widths cut off times, names and types in most fonts: each column takes the
    // width of the folder's texts, a long name or type only up to a cap, and the name column
    // keeps room for the mark. An empty folder keeps the designed widths.
    ResultGrid& g = grid->results();
    const ColumnSchema schema = BrowseColumns::schema();
    const bool empty = g.pathOf(0).isEmpty();
    for (int c = 0; c < schema.count(); ++c) {
        const int mark = c == schema.markColumn ? 18 : 0;
        g.setColumnWidth(c, empty ? schema.columns[std::size_t(c)].width
                                  : std::min(grid->contentWidth(c) + mark, 240));
    }
}

void TfrmBrowse::btSortClick() {
    PopupMenu1->popup(btSort->mapToGlobal(QPoint(0, -PopupMenu1->sizeHint().height())));
}

void TfrmBrowse::Sortbyname1Click(QAction* item) {
    PopupMenu1->choose(item);
}

void TfrmBrowse::pnlScanClick() {
    if (const std::optional<QString> chosen = chooseWildcard(this, pattern_)) {
        pattern_ = *chosen;
        rebuild();
    }
    showPattern();
}

void TfrmBrowse::showPattern() {
    pnlWild->setText(QStringLiteral("Wildcard : ") + pattern_);
    pnlWild->setToolTip(pattern_ + QStringLiteral("\nClick to change the wildcard pattern"));
}

int TfrmBrowse::currentFileRow() const {
    const int row = grid->currentRow();
    return row >= 0 && !grid->results().pathOf(row).isEmpty() ? row : -1;
}

void TfrmBrowse::btLaunchClick() {
    const int row = currentFileRow();
    if (row < 0) return;
    const ResultGrid& g = grid->results();
    const QString failed = QStringLiteral("Couldn't run ") + g.cell(BrowseColumns::Filename, row);
    // An opener that fails later says so even when the browser has closed since.
    const int started = services_.platform().openWithAssociatedProgram(
        g.pathOf(row), folder_, [services = services_, failed](bool succeeded) {
            if (!succeeded) services.showError(failed);
        });
    if (started != 0) services_.showError(failed);
}

void TfrmBrowse::btViewClick() {
    const int row = currentFileRow();
    if (row < 0 || !services_.openViewer) return;
    services_.openViewer(this, grid->results().pathOf(row));
}

void TfrmBrowse::showMarkState() {
    btDeleteFiles->setIcon(binIcon(style(), marking_->anyMarked(), px(25)));
}

void TfrmBrowse::btDeleteFilesClick() {
    if (!marking_->anyMarked()) return;
    marking_->confirmDeletion(this);
    // Whatever was done: the grid shows what is left, without marks.
    rebuild();
}

void TfrmBrowse::btDeleteDirectoryClick() {
    const QByteArray dir = folder_;
    FolderFlowSteps steps;
    steps.rootText = browserRootFolderText;
    steps.stilled = {Panel2, Panel3, grid};
    steps.running = [this](bool running) { deleting_ = running; };
    // The parent is shown first, so no handle of this window keeps the folder.
    steps.beforeDeleting = [this, &dir] { return changeFolder(parentFolder(dir)); };
    if (askAndDeleteFolder(services_, this, dir, steps) != FolderFate::Untouched) rebuild();
}

bool TfrmBrowse::FormCloseQuery() {
    const std::int64_t marked = marking_->marks().count();
    if (marked <= 0) return true;
    return services_.confirm(QStringLiteral("You have ") + QString::number(marked) +
                                 QLatin1Char(' ') + countNoun(marked, "file") +
                                 QStringLiteral(" marked for deletion. ") +
                                 QStringLiteral("Do you really wish to exit without deleting?"),
                             ButtonYes | ButtonNo, ButtonNo) == ButtonYes;
}

void TfrmBrowse::reject() {
    // Close, Escape and the close box all come here (a dialog's close box rejects it).
    if (deleting_ || !FormCloseQuery()) return;
    ToolWindow::reject();
}

void TfrmBrowse::showFolderPath() {
    const QString full = displayPath(folder_);
    Label1->setToolTip(full);
    Label1->setText(Label1->fontMetrics().elidedText(full, Qt::ElideMiddle, Label1->width()));
}

bool TfrmBrowse::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label1 && event->type() == QEvent::Resize) showFolderPath();
    if (watched == pnlWild && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        pnlScanClick();
        return true;
    }
    return ToolWindow::eventFilter(watched, event);
}

void openBrowserOn(const Services& services, QWidget* owner, const QByteArray& folder,
                   const QByteArray& file, const QString& pattern) {
    TfrmBrowse browser(services, owner);
    if (!browser.openOn(folder, pattern, file)) return;
    browser.exec();
}

}  // namespace rk
