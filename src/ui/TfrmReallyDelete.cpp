#include "ui/TfrmReallyDelete.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QSet>
#include <QShowEvent>
#include <QVBoxLayout>

#include "common/Deletion.h"
#include "common/FolderWalk.h"
#include "common/Messages.h"
#include "common/Services.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"
#include "ui/DeletionWindows.h"

namespace rk {

namespace {

constexpr int pathRole = Qt::UserRole;

// A list row ordered as the list box sorts: without regard to case, then by the exact text
// so that two names differing only in case keep a stable order.
class FileItem : public QListWidgetItem {
public:
    explicit FileItem(const QByteArray& path) : QListWidgetItem(displayPath(path)) {
        setData(pathRole, path);
    }
    bool operator<(const QListWidgetItem& other) const override {
        const int c = text().compare(other.text(), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : text() < other.text();
    }
};

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

}  // namespace

TfrmReallyDelete::TfrmReallyDelete(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmReallyDelete"));
    setWindowTitle(QStringLiteral("Delete/rename the following files:"));
    const auto px = [this](int v) { return scaledPixels(this, v); };

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setFixedHeight(px(321));
    auto* panel = new QVBoxLayout(Panel2);

    lblDelete = new QLabel(Panel2);
    lblDelete->setObjectName(QStringLiteral("lblDelete"));
    QFont bold = lblDelete->font();
    bold.setBold(true);
    lblDelete->setFont(bold);
    panel->addWidget(lblDelete);

    auto* savingsRow = new QHBoxLayout;
    Label3 = new QLabel(QStringLiteral("Potential savings of "), Panel2);
    Label3->setObjectName(QStringLiteral("Label3"));
    lblSavings = new QLabel(Panel2);
    lblSavings->setObjectName(QStringLiteral("lblSavings"));
    lblSavings->setFont(bold);
    savingsRow->addWidget(Label3);
    savingsRow->addWidget(lblSavings);
    savingsRow->addStretch();
    panel->addLayout(savingsRow);

    lb1 = new QListWidget(Panel2);
    lb1->setObjectName(QStringLiteral("lb1"));
    lb1->setSortingEnabled(true);
    lb1->setFocusPolicy(Qt::NoFocus);
    lb1->setSelectionMode(QAbstractItemView::NoSelection);
    QPalette grey = lb1->palette();
    grey.setColor(QPalette::Base, QColor(192, 192, 192));
    lb1->setPalette(grey);
    panel->addWidget(lb1, 1);

    auto* buttons = new QHBoxLayout;
    btDelete = new QPushButton(QStringLiteral("&Delete all files"), Panel2);
    btDelete->setObjectName(QStringLiteral("btDelete"));
    btDelete->setToolTip(
        QStringLiteral("Delete the files shown above permanently.  Cannot be undeleted."));
    btRecycle = new QPushButton(QStringLiteral("&Send to recycle bin"), Panel2);
    btRecycle->setObjectName(QStringLiteral("btRecycle"));
    btRecycle->setToolTip(
        QStringLiteral("Send to recycle bin.  Recycle bin can be emptied later."));
    for (QPushButton* b : {btDelete, btRecycle}) {
        b->setMinimumWidth(px(150));
        b->setAutoDefault(false);
    }
    buttons->addStretch();
    buttons->addWidget(btDelete);
    buttons->addSpacing(px(24));
    buttons->addWidget(btRecycle);
    buttons->addStretch();
    panel->addLayout(buttons);

    Label2 = new QLabel(
        QStringLiteral("WARNING: The file(s) that you selected to delete may belong to working "
                       "applications.  Roomkin cannot determine if they are needed for proper "
                       "operation of other applications.  If in doubt do not delete these "
                       "files. "),
        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Label2->setAutoFillBackground(true);
    QPalette face = Label2->palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    Label2->setPalette(face);

    bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("bar"));
    bar->setToolTip(QStringLiteral("Progress bar"));
    bar->setRange(0, 100);
    bar->setValue(0);

    btClose = new QPushButton(QStringLiteral("Cancel"), this);
    btClose->setObjectName(QStringLiteral("btClose"));
    btClose->setToolTip(QStringLiteral("Cancel and close.  Do not rename or delete "));
    btClose->setMinimumWidth(px(90));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(bar, 1);
    bottom->addSpacing(px(16));
    bottom->addWidget(btClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(px(8), px(8), px(8), px(8));
    layout->setSpacing(px(6));
    layout->addWidget(Panel2);
    layout->addWidget(Label2);
    layout->addLayout(bottom);

    connect(btDelete, &QPushButton::clicked, this, &TfrmReallyDelete::btDeleteAllClick);
    connect(btRecycle, &QPushButton::clicked, this, &TfrmReallyDelete::btRecycleClick);
    connect(btClose, &QPushButton::clicked, this, &TfrmReallyDelete::reject);
    setFixedSize(QSize(px(622), px(400)).expandedTo(sizeHint()));
}

void TfrmReallyDelete::addFile(const QByteArray& path) {
    lb1->addItem(new FileItem(path));
}

void TfrmReallyDelete::addFiles(const std::vector<QByteArray>& paths) {
    lb1->setSortingEnabled(false);  // one sort at the end, not one per file
    for (const QByteArray& p : paths)
        addFile(p);
    lb1->setSortingEnabled(true);
    lb1->sortItems();
}

void TfrmReallyDelete::addFiles(const std::vector<MarkedFile>& files) {
    marked_.insert(marked_.end(), files.begin(), files.end());
    std::vector<QByteArray> paths;
    paths.reserve(files.size());
    for (const MarkedFile& f : files)
        paths.push_back(f.path);
    addFiles(paths);
}

QByteArray TfrmReallyDelete::pathAt(int row) const {
    const QListWidgetItem* item = lb1->item(row);
    return item ? item->data(pathRole).toByteArray() : QByteArray();
}

void TfrmReallyDelete::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        centreOnScreen(this);
        FormShow();
    }
}

void TfrmReallyDelete::FormShow() {
    lblSavings->setText(formatThousands(savings) + QStringLiteral(" bytes"));
    UpdateHeaders();
    // A file whose file system has no trash could not be recycled: the choice is not offered.
    QSet<QByteArray> folders;
    bool allHaveTrash = lb1->count() > 0;
    for (int i = 0; i < lb1->count() && allHaveTrash; ++i) {
        const QByteArray folder = folderOf(pathAt(i));
        if (folders.contains(folder)) continue;
        folders.insert(folder);
        allHaveTrash = platform().offersTrash(folder);
    }
    btRecycle->setEnabled(allHaveTrash);
}

void TfrmReallyDelete::UpdateHeaders() {
    lblDelete->setText(QStringLiteral("The following %1 files will be deleted.").arg(lb1->count()));
}

void TfrmReallyDelete::reject() {
    if (!running_) QDialog::reject();  // the close box does nothing while a run goes on
}

void TfrmReallyDelete::runOverFiles(const std::function<bool(const QByteArray&)>& step) {
    running_ = true;
    for (QPushButton* b : {btDelete, btRecycle, btClose})
        b->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int count = lb1->count();
    bar->setRange(0, qMax(1, count - 1));
    // Repaints the progress now and then; the user's clicks wait until the run is over.
    EventPump pump([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    std::vector<QByteArray> paths;
    paths.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        paths.push_back(pathAt(i));
    for (int i = 0; i < count; ++i) {
        bar->setValue(i);
        pump.poll();
        if (!step(paths[size_t(i)])) break;
    }
    QApplication::restoreOverrideCursor();
    lb1->clear();
    UpdateHeaders();
    running_ = false;
    accept();
}

void TfrmReallyDelete::btDeleteAllClick() {
    if (lb1->count() == 0) {
        ShowWarning(QStringLiteral("There are no files to delete"));
        return;
    }
    if (Confirm(QStringLiteral("Really delete?"), ButtonYes | ButtonNo, ButtonNo) != ButtonYes) {
        ShowInfo(QStringLiteral("Files not deleted"));
        return;
    }
    runOverFiles([](const QByteArray& path) {
        if (platform().removeFile(path) != 0)
            ShowError(QStringLiteral("Couldn't delete file - ") + displayPath(path));
        return true;
    });
}

void TfrmReallyDelete::btRecycleClick() {
    if (Confirm(recycleBinNote, ButtonYes | ButtonNo, ButtonNo) != ButtonYes) {
        ShowInfo(QStringLiteral("Files not deleted"));
        return;
    }
    runOverFiles([this](const QByteArray& path) {
        if (sendToRecycleBin(path)) return true;
        ShowError(QStringLiteral(
            "An error occurred sending files to the recycle bin.  The bin may be full."));
        return false;
    });
}

bool TfrmReallyDelete::sendToRecycleBin(const QByteArray& path) {
    return RecycleOneFile(path);
}

}  // namespace rk
