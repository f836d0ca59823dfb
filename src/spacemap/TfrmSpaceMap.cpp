#include "spacemap/TfrmSpaceMap.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

#include "common/Drives.h"
#include "common/FileListDeletion.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"
#include "spacemap/GrowthWindow.h"
#include "spacemap/ScanFile.h"
#include "spacemap/SpaceMapView.h"
#include "spacemap/SpaceTreeModel.h"
#include "ui/DriveCheckPanel.h"
#include "ui/FolderDeletionFlow.h"
#include "ui/ResultWindow.h"
#include "ui/TfrmReallyDelete.h"

namespace rk {

namespace {

// The share column: a bar of the entry's part of its folder.
class ShareBar : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, p, option.widget);
        const double share = index.data(Qt::UserRole).toDouble();
        // The figure stands beside the bar, not over it, so it reads on any fill.
        const QRect cell = option.rect.adjusted(3, 2, -3, -2);
        const int textWidth = option.fontMetrics.horizontalAdvance(QStringLiteral("100.0%"));
        const QRect frame = cell.adjusted(0, 0, -(textWidth + 4), 0);
        p->save();
        p->setPen(option.palette.color(QPalette::Mid));
        p->drawRect(frame.adjusted(0, 0, -1, -1));
        QRect bar = frame.adjusted(1, 1, -1, -1);
        bar.setWidth(int(bar.width() * std::clamp(share, 0.0, 1.0)));
        p->fillRect(bar, option.palette.color(QPalette::Highlight).lighter(130));
        const bool selected = option.state & QStyle::State_Selected;
        p->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        p->drawText(cell, Qt::AlignRight | Qt::AlignVCenter, index.data().toString());
        p->restore();
    }
};

// The kinds' colours in two rows, so that the legend never holds the map wider than the tree
// leaves it.
QWidget* legend(QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(1);
    const int perRow = (SpaceMapView::KindCount + 1) / 2;
    for (int k = 0; k < SpaceMapView::KindCount; ++k) {
        const auto kind = SpaceMapView::Kind(k);
        QPixmap swatch(12, 12);
        swatch.fill(SpaceMapView::colourOf(kind));
        auto* icon = new QLabel(box);
        icon->setPixmap(swatch);
        grid->addWidget(icon, k / perRow, 2 * (k % perRow));
        grid->addWidget(new QLabel(SpaceMapView::kindName(kind), box), k / perRow,
                        2 * (k % perRow) + 1);
    }
    grid->setColumnStretch(2 * perRow, 1);
    return box;
}

}  // namespace

TfrmSpaceMap::TfrmSpaceMap(const Services& services, QWidget* parent)
    : ToolWindow(services, parent), scan_(std::make_unique<SpaceScan>(services_.platform())) {
    setObjectName(QStringLiteral("frmSpaceMap"));
    setWindowTitle(QStringLiteral("Space Map"));

    drives_ = new DriveCheckPanel(this);
    btScan_ =
        makeToolButton(this, QStringLiteral("btScan"), QStringLiteral("&Scan"),
                       QStringLiteral("Scan the first checked drive"), QStyle::SP_DriveHDIcon);
    btAbort_ = makeToolButton(this, QStringLiteral("btAbort"), QStringLiteral("&Abort"),
                              QStringLiteral("Abort scan"), QStyle::SP_BrowserStop);
    btClose_ = makeToolButton(this, QStringLiteral("btClose"), QStringLiteral("Close"),
                              QStringLiteral("Close window"), QStyle::SP_DialogCloseButton);
    btOpen_ = makeToolButton(this, QStringLiteral("btOpen"), QStringLiteral("&Open scan..."),
                             QStringLiteral("Show a scan saved here or by ncdu or gdu"),
                             QStyle::SP_DialogOpenButton);
    btCompare_ =
        makeToolButton(this, QStringLiteral("btCompare"), QStringLiteral("Com&pare with scan..."),
                       QStringLiteral("What grew since an earlier scan of this tree"),
                       QStyle::SP_FileDialogInfoView);
    btUp_ = makeToolButton(this, QStringLiteral("btUp"), QStringLiteral("&Up"),
                           QStringLiteral("Show the folder above in the map"),
                           QStyle::SP_FileDialogToParent);
    btBrowse_ =
        makeToolButton(this, QStringLiteral("btBrowse"), QStringLiteral("&Browse"),
                       QStringLiteral("Browse the folder"), QStyle::SP_FileDialogContentsView);
    btView_ = makeToolButton(this, QStringLiteral("btView"), QStringLiteral("&View"),
                             QStringLiteral("View the file"), QStyle::SP_FileIcon);
    btDelete_ = makeToolButton(this, QStringLiteral("btDelete"), QStringLiteral("&Delete"),
                               QStringLiteral("Delete the folder or file, or send it to the trash"),
                               QStyle::SP_TrashIcon);
    btRescan_ =
        makeToolButton(this, QStringLiteral("btRescan"), QStringLiteral("&Rescan"),
                       QStringLiteral("Scan the selected folder again"), QStyle::SP_BrowserReload);

    model_ = new SpaceTreeModel(this);
    view_ = new QTreeView(this);
    view_->setObjectName(QStringLiteral("tvSpace"));
    view_->setModel(model_);
    view_->setUniformRowHeights(true);
    view_->setMinimumWidth(px(380));
    view_->setItemDelegateForColumn(SpaceTreeModel::Share, new ShareBar(view_));
    view_->header()->setStretchLastSection(false);
    map_ = new SpaceMapView(this);
    map_->setObjectName(QStringLiteral("pbMap"));
    path_ = new QLabel(this);
    path_->setObjectName(QStringLiteral("lbPath"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("pnlScan"));

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b :
         {btScan_, btAbort_, btOpen_, btCompare_, btUp_, btBrowse_, btView_, btDelete_, btRescan_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(btClose_);
    splitter_ = new QSplitter(this);
    splitter_->addWidget(view_);
    auto* mapSide = new QWidget(splitter_);
    auto* mapColumn = new QVBoxLayout(mapSide);
    mapColumn->setContentsMargins(0, 0, 0, 0);
    mapColumn->addWidget(path_);
    mapColumn->addWidget(map_, 1);
    mapColumn->addWidget(legend(mapSide));
    splitter_->addWidget(mapSide);
    splitter_->setStretchFactor(1, 1);
    auto* column = new QVBoxLayout(this);
    column->addWidget(drives_);
    column->addLayout(buttons);
    column->addWidget(splitter_, 1);
    column->addWidget(status_);

    connect(btScan_, &QPushButton::clicked, this, &TfrmSpaceMap::btScanClick);
    connect(btAbort_, &QPushButton::clicked, this, &TfrmSpaceMap::btAbortClick);
    connect(btClose_, &QPushButton::clicked, this, &TfrmSpaceMap::reject);
    connect(btOpen_, &QPushButton::clicked, this, &TfrmSpaceMap::btOpenClick);
    connect(btCompare_, &QPushButton::clicked, this, &TfrmSpaceMap::btCompareClick);
    connect(btUp_, &QPushButton::clicked, this, &TfrmSpaceMap::btUpClick);
    connect(btBrowse_, &QPushButton::clicked, this, &TfrmSpaceMap::btBrowseClick);
    connect(btView_, &QPushButton::clicked, this, &TfrmSpaceMap::btViewClick);
    connect(btDelete_, &QPushButton::clicked, this, &TfrmSpaceMap::btDeleteClick);
    connect(btRescan_, &QPushButton::clicked, this, &TfrmSpaceMap::btRescanClick);
    connect(drives_, &DriveCheckPanel::cb1Click, this, [this] { updateButtons(); });
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        map_->setSelected(selected());
        updateButtons();
    });
    connect(view_, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& index) { zoom(model_->nodeOf(index)); });
    connect(map_, &SpaceMapView::clicked, this, &TfrmSpaceMap::select);
    connect(map_, &SpaceMapView::zoomRequested, this, &TfrmSpaceMap::zoom);
}

TfrmSpaceMap::~TfrmSpaceMap() {
    job_.discard();
}

void TfrmSpaceMap::FormShow() {
    drives_->FillDriveBoxes(services_.drives());
    resize(px(900), px(600));
    updateButtons();
}

void TfrmSpaceMap::updateButtons() {
    const bool scanning = isScanning();
    const SpaceTree::Index at = selected();
    const bool folder = at != SpaceTree::none && tree_.folderOf(at);
    const bool file = at != SpaceTree::none && !tree_.has(at, SpaceTree::isFolder);
    btScan_->setEnabled(!scanning && !deleting_ && drives_->anyChecked());
    btOpen_->setEnabled(!scanning && !deleting_);
    btCompare_->setEnabled(!scanning && !deleting_ && !tree_.empty());
    btAbort_->setVisible(scanning);
    btUp_->setEnabled(!scanning && map_->zoomed() != SpaceTree::none &&
                      tree_.node(map_->zoomed()).parent != SpaceTree::none);
    btBrowse_->setEnabled(!scanning && !readOnly_ && at != SpaceTree::none);
    btView_->setEnabled(!scanning && !readOnly_ && file);
    // A scan of another moment or machine shows what was there, not what is.
    btDelete_->setEnabled(!scanning && !readOnly_ && !deleting_ && (folder || file) &&
                          at != tree_.root());
    btRescan_->setEnabled(!scanning && !readOnly_ && !deleting_ &&
                          folderToRescan() != SpaceTree::none);
}

SpaceTree::Index TfrmSpaceMap::folderToRescan() const {
    SpaceTree::Index at = selected();
    if (at != SpaceTree::none && !tree_.has(at, SpaceTree::isFolder)) at = tree_.node(at).parent;
    // Another file system mounted here is not part of this scan.
    if (at == SpaceTree::none || tree_.has(at, SpaceTree::otherMount)) return SpaceTree::none;
    return at;
}

void TfrmSpaceMap::btScanClick() {
    const std::vector<Drive> chosen = drives_->checkedDrives();
    if (chosen.empty() || isScanning()) return;
    const QByteArray drive = chosen.front().mountPoint;
    model_->setTree(nullptr);
    map_->setTree(nullptr);
    tree_ = SpaceTree();
    readOnly_ = false;
    status_->setText(QStringLiteral("Scanning ") + displayPath(drive));
    job_.start([this, drive] { scan_->run(drive, &ScanJob::pump()); }, [this] { scanEnded(); });
    updateButtons();
}

void TfrmSpaceMap::scanEnded() {
    tree_ = scan_->takeTree();
    const WalkResult& r = scan_->result();
    if (!r.rootOpened) {
        status_->clear();
        services_.showError(QStringLiteral("Can't open drive ") +
                            displayPath(drives_->checkedDrives().empty()
                                            ? QByteArray()
                                            : drives_->checkedDrives().front().mountPoint));
    } else {
        incomplete_ = r.aborted;
        showTree();
        showTotals();
    }
    updateButtons();
    if (closeAsked_) QDialog::reject();
}

void TfrmSpaceMap::showTotals() {
    QString text = QStringLiteral("Files : %1   Folders : %2")
                       .arg(formatThousands(tree_.files(tree_.root())),
                            formatThousands(tree_.folders(tree_.root())));
    if (const SpaceTree::Folder* f = tree_.folderOf(tree_.root()))
        text += skippedFoldersNote(f->unreadableBelow);
    if (incomplete_) text += QStringLiteral("   ") + listIncompleteText();
    status_->setText(text);
}

void TfrmSpaceMap::btRescanClick() {
    const SpaceTree::Index folder = folderToRescan();
    if (folder == SpaceTree::none || readOnly_ || isScanning() || deleting_) return;
    const QByteArray path = tree_.path(folder);
    status_->setText(QStringLiteral("Scanning ") + displayPath(path));
    // The tree stays on show, unchanged, while the folder is read into a tree of its own.
    job_.start(
        [this, path, counted = tree_.linksCountedOutside(folder)]() mutable {
            scan_->rescan(path, std::move(counted), &ScanJob::pump());
        },
        [this, folder] { rescanEnded(folder); });
    updateButtons();
}

void TfrmSpaceMap::rescanEnded(SpaceTree::Index folder) {
    const WalkResult& r = scan_->result();
    if (closeAsked_) {
        QDialog::reject();
        return;
    }
    if (!r.rootOpened) {
        showTotals();
        services_.showError(QStringLiteral("Can't open folder ") + displayPath(tree_.path(folder)));
    } else if (scan_->tree().device() != tree_.device() || scan_->tree().mount() != tree_.mount()) {
        // Mounted there since the scan: what it holds is another drive's room.
        showTotals();
        services_.showError(QStringLiteral("Another file system is mounted on ") +
                            displayPath(tree_.path(folder)) +
                            QStringLiteral(" now: it is not part of this scan."));
    } else if (r.aborted) {
        // Half a folder would show less than is there: what was known stays.
        showTotals();
        status_->setText(status_->text() + QStringLiteral("   Rescan aborted: ") +
                         displayPath(tree_.path(folder)) +
                         QStringLiteral(" shows the earlier scan."));
    } else {
        // A map zoomed into the old subtree shows the folder itself.
        if (zoomedWithin(folder)) zoom(folder);
        const bool whole = folder == tree_.root();
        model_->graft(folder, scan_->takeTree());
        if (whole) {
            incomplete_ = false;
            showTree();
        } else {
            map_->refresh();
            select(folder);
            view_->expand(model_->indexOf(folder));
        }
        showTotals();
    }
    updateButtons();
}

void TfrmSpaceMap::showTree() {
    model_->setTree(&tree_);
    map_->setTree(&tree_);
    if (tree_.empty()) return;
    view_->expand(model_->indexOf(tree_.root()));
    view_->setCurrentIndex(model_->indexOf(tree_.root()));
    for (int c = SpaceTreeModel::Share; c < SpaceTreeModel::ColumnCount; ++c)
        view_->resizeColumnToContents(c);
    view_->setColumnWidth(SpaceTreeModel::Name, px(170));
    view_->setColumnWidth(SpaceTreeModel::Share,
                          std::max(view_->columnWidth(SpaceTreeModel::Share), px(110)));
    // The tree as wide as its columns, up to half the window: the map takes the rest.
    int wanted = 2 * view_->frameWidth() + view_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < SpaceTreeModel::ColumnCount; ++c)
        wanted += view_->columnWidth(c);
    const QList<int> sizes = splitter_->sizes();
    const int both = sizes.value(0) + sizes.value(1);
    if (both > 0) {
        const int tree = std::min(wanted, both / 2);
        splitter_->setSizes({tree, both - tree});
    }
    zoom(tree_.root());
}

void TfrmSpaceMap::btAbortClick() {
    scan_->abort = true;
}

void TfrmSpaceMap::reject() {
    if (deleting_) {
        closeAsked_ = true;
        return;
    }
    if (isScanning()) {
        // Escape and Close stop the scan; the window closes once it has.
        scan_->abort = true;
        closeAsked_ = true;
        return;
    }
    QDialog::reject();
}

bool TfrmSpaceMap::openScan(const QByteArray& file) {
    if (isScanning()) return false;
    ImportedScan imported = readScanFile(file);
    if (!imported.error.isEmpty()) {
        services_.showError(imported.error);
        return false;
    }
    model_->setTree(nullptr);
    map_->setTree(nullptr);
    tree_ = std::move(imported.tree);
    readOnly_ = true;
    showTree();
    status_->setText(QStringLiteral("Scan read from ") + displayPath(file));
    updateButtons();
    return true;
}

void TfrmSpaceMap::btOpenClick() {
    if (const std::optional<QByteArray> file = chooseScanFile(QStringLiteral("Open scan")))
        openScan(*file);
}

std::optional<QByteArray> TfrmSpaceMap::chooseScanFile(const QString& title) const {
    return services_.dialogs().chooseFileToOpen(title,
                                                QStringLiteral("Scans (*.json);;All files (*)"));
}

bool TfrmSpaceMap::compareWith(const QByteArray& file) {
    if (isScanning() || tree_.empty()) return false;
    const ImportedScan before = readScanFile(file);
    if (!before.error.isEmpty()) {
        services_.showError(before.error);
        return false;
    }
    GrowthWindow growth(before.tree, tree_, file, this);
    growth.exec();
    return true;
}

void TfrmSpaceMap::btCompareClick() {
    if (const std::optional<QByteArray> file = chooseScanFile(QStringLiteral("Compare with scan")))
        compareWith(*file);
}

SpaceTree::Index TfrmSpaceMap::selected() const {
    return model_->nodeOf(view_->currentIndex());
}

void TfrmSpaceMap::select(SpaceTree::Index node) {
    const QModelIndex index = model_->indexOf(node);
    if (!index.isValid()) return;
    view_->scrollTo(index);
    view_->setCurrentIndex(index);
}

void TfrmSpaceMap::zoom(SpaceTree::Index folder) {
    if (folder == SpaceTree::none || !tree_.folderOf(folder)) return;
    map_->zoomTo(folder);
    path_->setText(displayPath(tree_.path(folder)));
    updateButtons();
}

bool TfrmSpaceMap::zoomedWithin(SpaceTree::Index folder) const {
    for (SpaceTree::Index up = map_->zoomed(); up != SpaceTree::none; up = tree_.node(up).parent)
        if (up == folder) return true;
    return false;
}

void TfrmSpaceMap::btUpClick() {
    const SpaceTree::Index at = map_->zoomed();
    if (at != SpaceTree::none) zoom(tree_.node(at).parent);
}

void TfrmSpaceMap::btBrowseClick() {
    const SpaceTree::Index at = selected();
    if (at == SpaceTree::none || readOnly_ || !services_.openBrowser) return;
    // A folder opens itself; a file, its folder with the file selected.
    if (tree_.folderOf(at) || at == tree_.root())
        services_.openBrowser(this, tree_.path(at), {}, QStringLiteral("*.*"));
    else
        services_.openBrowser(this, tree_.path(tree_.node(at).parent), tree_.name(at),
                              QStringLiteral("*.*"));
}

void TfrmSpaceMap::btViewClick() {
    const SpaceTree::Index at = selected();
    if (at == SpaceTree::none || readOnly_ || tree_.has(at, SpaceTree::isFolder) ||
        !services_.openViewer)
        return;
    services_.openViewer(this, tree_.path(at));
}

void TfrmSpaceMap::btDeleteClick() {
    const SpaceTree::Index at = selected();
    if (at == SpaceTree::none || at == tree_.root() || readOnly_ || isScanning() || deleting_)
        return;
    const bool gone = tree_.folderOf(at) ? deleteFolder(at) : deleteFile(at);
    if (gone) {
        const SpaceTree::Index parent = tree_.node(at).parent;
        // A map zoomed into what went shows the folder that held it.
        if (zoomedWithin(at)) zoom(parent);
        model_->removeNode(at);
        map_->refresh();
        select(parent);
    }
    if (closeAsked_) QDialog::reject();
}

bool TfrmSpaceMap::deleteFolder(SpaceTree::Index folder) {
    FolderFlowSteps steps;
    steps.stilled = {view_, map_, drives_};
    steps.running = [this](bool running) {
        deleting_ = running;
        updateButtons();
    };
    const FolderFate fate = askAndDeleteFolder(services_, this, tree_.path(folder), steps);
    return fate == FolderFate::Deleted || fate == FolderFate::Recycled;
}

bool TfrmSpaceMap::deleteFile(SpaceTree::Index file) {
    const QByteArray path = tree_.path(file);
    const std::optional<MarkedFile> marked = markFile(services_.platform(), path);
    if (!marked) {
        services_.showError(displayPath(path) + QStringLiteral(" is no longer there."));
        return false;
    }
    TfrmReallyDelete confirm(services_, this);
    confirm.addFiles(std::vector<MarkedFile>{*marked});
    // A file that keeps another link frees nothing when this name goes.
    confirm.savings = marked->links <= 1 ? marked->room : 0;
    confirm.keptByLinks = marked->links > 1 ? 1 : 0;
    deleting_ = true;
    updateButtons();
    const int outcome = confirm.exec();
    deleting_ = false;
    updateButtons();
    return outcome == QDialog::Accepted && !services_.platform().fileSize(path);
}

}  // namespace rk
