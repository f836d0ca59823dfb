#include "ui/TfrmReallyDelete.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QSet>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

#include "common/Deletion.h"
#include "common/FolderWalk.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"
#include "platform/SplitPath.h"
#include "ui/CoreMessages.h"
#include "ui/DeletionWindows.h"
#include "ui/Services.h"

namespace rk {

namespace {

constexpr int pathRole = Qt::UserRole;
constexpr int markRole = Qt::UserRole + 1;  // the row's index in marked_

// A list row ordered as the list box sorts: without regard to case, then by the exact text
// so that two names differing only in case keep a stable order.
class FileItem : public QListWidgetItem {
public:
    FileItem(const QByteArray& path, int mark) : QListWidgetItem(displayPath(path)) {
        setData(pathRole, path);
        setData(markRole, mark);
    }
    bool operator<(const QListWidgetItem& other) const override {
        const int c = text().compare(other.text(), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : text() < other.text();
    }
};

QByteArray folderOf(const QByteArray& path) {
    return splitPath(path).folder;
}

}  // namespace

TfrmReallyDelete::TfrmReallyDelete(const Services& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      services_(services) {
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

void TfrmReallyDelete::addMarked(MarkedFile file) {
    lb1->addItem(new FileItem(file.path, int(marked_.size())));
    marked_.push_back(std::move(file));
}

void TfrmReallyDelete::addFile(const QByteArray& path) {
    // Given by path alone, the file is recorded as it is now, to be compared before it goes.
    addMarked(markFile(services_.platform(), path).value_or(MarkedFile{path}));
}

void TfrmReallyDelete::addFiles(const std::vector<QByteArray>& paths) {
    lb1->setSortingEnabled(false);  // one sort at the end, not one per file
    for (const QByteArray& p : paths)
        addFile(p);
    lb1->setSortingEnabled(true);
    lb1->sortItems();
}

void TfrmReallyDelete::addFiles(const std::vector<MarkedFile>& files) {
    lb1->setSortingEnabled(false);
    for (const MarkedFile& f : files)
        addMarked(f);
    lb1->setSortingEnabled(true);
    lb1->sortItems();
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
    QString saved = formatThousands(savings) + QStringLiteral(" bytes");
    if (keptByLinks > 0) saved += QStringLiteral(" (") + keptByLinksNote(keptByLinks) + u')';
    lblSavings->setText(saved);
    UpdateHeaders();
    // A file whose file system has no trash could not be recycled: the choice is not offered.
    QSet<QByteArray> folders;
    bool allHaveTrash = lb1->count() > 0;
    for (int i = 0; i < lb1->count() && allHaveTrash; ++i) {
        const QByteArray folder = folderOf(pathAt(i));
        if (folders.contains(folder)) continue;
        folders.insert(folder);
        allHaveTrash = services_.platform().offersTrash(folder);
    }
    btRecycle->setEnabled(allHaveTrash);
}

void TfrmReallyDelete::UpdateHeaders() {
    lblDelete->setText(QStringLiteral("The following %1 %2 will be deleted.")
                           .arg(lb1->count())
                           .arg(countNoun(lb1->count(), "file")));
}

void TfrmReallyDelete::reject() {
    if (!running_) QDialog::reject();  // the close box does nothing while a run goes on
}

FolderTreeResult TfrmReallyDelete::runOverFiles(bool sendToBin) {
    running_ = true;
    for (QPushButton* b : {btDelete, btRecycle, btClose})
        b->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int count = lb1->count();
    bar->setRange(0, qMax(1, count - 1));
    std::vector<MarkedFile> files;
    files.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        files.push_back(marked_[size_t(lb1->item(i)->data(markRole).toInt())]);
    // Repaints the progress now and then; the user's clicks wait until the run is over.
    EventPump pump([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    FileListRun run;
    run.sendToBin = sendToBin;
    run.stopAtFirstFailure = sendToBin;  // the first refusal of the bin ends a recycle run
    run.pump = &pump;
    run.progress = [this](std::size_t i) { bar->setValue(int(i)); };
    run.mayRemove = mayRemove;
    run.ask = confirmBox(services_);
    FolderTreeResult result = DeleteMarkedFiles(services_.platform(), files, run);
    QApplication::restoreOverrideCursor();
    lb1->clear();
    UpdateHeaders();
    running_ = false;
    return result;
}

void TfrmReallyDelete::btDeleteAllClick() {
    if (lb1->count() == 0) {
        services_.showWarning(QStringLiteral("There are no files to delete"));
        return;
    }
    if (services_.confirm(QStringLiteral("Really delete?"), ButtonYes | ButtonNo, ButtonNo) !=
        ButtonYes) {
        services_.showInfo(QStringLiteral("Files not deleted"));
        return;
    }
    if (beforeDeleting && !beforeDeleting()) return;
    const FolderTreeResult r = runOverFiles(false);
    for (const StayedEntry& s : r.stayed)
        if (s.reason == StayReason::Error)
            services_.showError(QStringLiteral("Couldn't delete file - ") + displayPath(s.path));
    accept();
}

void TfrmReallyDelete::btRecycleClick() {
    if (services_.confirm(recycleBinNote, ButtonYes | ButtonNo, ButtonNo) != ButtonYes) {
        services_.showInfo(QStringLiteral("Files not deleted"));
        return;
    }
    if (beforeDeleting && !beforeDeleting()) return;
    const FolderTreeResult r = runOverFiles(true);
    const bool failed = std::any_of(r.stayed.begin(), r.stayed.end(), [](const StayedEntry& s) {
        return s.reason == StayReason::Error;
    });
    if (failed)
        services_.showError(QStringLiteral(
            "An error occurred sending files to the recycle bin.  The bin may be full."));
    if (const QString note = otherTrashesNote(r.otherTrashes); !note.isEmpty())
        services_.showInfo(note.left(1).toUpper() + note.mid(1) + QLatin1Char('.'));
    accept();
}

bool TfrmReallyDelete::sendToRecycleBin(const QByteArray& path) {
    return RecycleOneFile(services_.platform(), path);
}

}  // namespace rk
