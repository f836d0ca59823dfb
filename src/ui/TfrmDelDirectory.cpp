#include "ui/TfrmDelDirectory.h"

#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "common/Deletion.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"
#include "ui/DeletionWindows.h"
#include "ui/Services.h"
#include "ui/WaitCursor.h"

namespace rk {

TfrmDelDirectory::TfrmDelDirectory(const Services& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      services_(services) {
    setObjectName(QStringLiteral("frmDelDirectory"));
    setWindowTitle(QStringLiteral("Delete directory, sub-directories and all files"));
    const auto px = [this](int v) { return scaledPixels(this, v); };
    auto* layout = new QVBoxLayout(this);

    Label2 = new QLabel(QStringLiteral("Folder to delete:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    layout->addWidget(Label2);
    lblDirectory = new QLabel(this);
    lblDirectory->setObjectName(QStringLiteral("lblDirectory"));
    lblDirectory->setAlignment(Qt::AlignCenter);
    QFont bold = lblDirectory->font();
    bold.setBold(true);
    lblDirectory->setFont(bold);
    // A long path must not widen the window; it is shortened in the middle when shown.
    lblDirectory->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(lblDirectory);
    lblContents = new QLabel(this);
    lblContents->setObjectName(QStringLiteral("lblContents"));
    lblContents->setAlignment(Qt::AlignCenter);
    lblContents->setWordWrap(true);
    // Room for the longest count, so the fixed-size window never cuts it off.
    lblContents->setMinimumHeight(3 * lblContents->fontMetrics().lineSpacing());
    layout->addWidget(lblContents);

    const auto row = [&](const QString& caption, const QString& hint, const QString& name,
                         const QString& explanation) {
        auto* frame = new QFrame(this);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        auto* h = new QHBoxLayout(frame);
        auto* button = new QPushButton(caption, frame);
        button->setObjectName(name);
        button->setToolTip(hint);
        button->setFixedWidth(px(170));
        button->setAutoDefault(false);
        auto* text = new QLabel(explanation, frame);
        text->setWordWrap(true);
        h->addWidget(button);
        h->addSpacing(px(8));
        h->addWidget(text, 1);
        layout->addWidget(frame);
        return button;
    };
    btDelete = row(QStringLiteral("&Delete folder"),
                   QStringLiteral("Delete the files shown above.  Cannot be undeleted."),
                   QStringLiteral("btDelete"),
                   QStringLiteral("All files and sub-folders are deleted.  Files cannot be "
                                  "recovered.  Hard disk space immediately freed up."));
    btRecycle = row(QStringLiteral("&Send files to recycle bin"),
                    QStringLiteral("Send to recycle bin.  Recycle bin can be emptied later.  "
                                   "Files can be recovered."),
                    QStringLiteral("btRecycle"),
                    QStringLiteral("All files sent to the trash which can be emptied later. "
                                   "The file manager can restore them.  Hard disk space is "
                                   "not freed up until the trash is emptied.."));
    BitBtn3 = row(QStringLiteral("Cancel"), QStringLiteral("Cancel. Do not delete."),
                  QStringLiteral("BitBtn3"), QStringLiteral("Cancel delete operation."));
    BitBtn3->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));

    connect(btDelete, &QPushButton::clicked, this, &TfrmDelDirectory::btDeleteClick);
    connect(btRecycle, &QPushButton::clicked, this, &TfrmDelDirectory::btRecycleClick);
    connect(BitBtn3, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(QSize(px(518), px(266)).expandedTo(sizeHint()));
}

void TfrmDelDirectory::setDirectory(const QByteArray& path) {
    directory_ = path;
    directoryText_ = displayPath(path);
    lblDirectory->setText(directoryText_);
}

QByteArray TfrmDelDirectory::directory() const {
    // A caller that set the label's text directly gave no bytes of its own.
    if (lblDirectory->text() == directoryText_ && !directory_.isEmpty()) return directory_;
    return QFile::encodeName(lblDirectory->text());
}

void TfrmDelDirectory::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        centreOnScreen(this);
        FormShow();
    }
}

void TfrmDelDirectory::FormShow() {
    sendToBin = false;
    const QByteArray path = directory();
    const QString full = lblDirectory->text();
    lblDirectory->setToolTip(full);
    const QString shown =
        lblDirectory->fontMetrics().elidedText(full, Qt::ElideMiddle, lblDirectory->width());
    if (shown != full) {
        directory_ = path;
        directoryText_ = shown;
        lblDirectory->setText(shown);
    }
    // Where the folder's file system has no trash the files could not be recovered.
    btRecycle->setEnabled(services_.platform().offersTrash(path));
    // Counted as the deletion would walk it, before the user answers: a folder's row may
    // show only the files directly in it.
    WaitCursor wait;
    lblContents->setText(folderTreeCountText(CountFolderTree(services_.platform(), path)));
}

void TfrmDelDirectory::btDeleteClick() {
    sendToBin = false;
    accept();
}

void TfrmDelDirectory::btRecycleClick() {
    if (services_.confirm(recycleBinNote, ButtonYes | ButtonNo, ButtonNo) == ButtonYes) {
        sendToBin = true;
        accept();
    } else {
        sendToBin = false;
    }
}

}  // namespace rk
