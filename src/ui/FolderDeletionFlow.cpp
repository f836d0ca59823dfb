#include "ui/FolderDeletionFlow.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QWidget>
#include <optional>

#include "common/Deletion.h"
#include "common/FolderWalk.h"
#include "common/ResultGrid.h"
#include "common/TextHelpers.h"
#include "ui/CoreMessages.h"
#include "ui/Services.h"
#include "ui/TfrmDelDirectory.h"

namespace rk {

namespace {

const QString deletedText = QStringLiteral("DELETED");
const QString recycledText = QStringLiteral("RECYCLED");

FolderDeletion runDeletion(const Services& services, QWidget* parent, const QByteArray& path,
                           bool sendToBin, const std::optional<FolderIdentity>& shown,
                           const FolderFlowSteps& steps) {
    // The window repaints during a long deletion but takes no other orders until it ends.
    if (parent) parent->setCursor(Qt::WaitCursor);
    for (QWidget* w : steps.stilled)
        w->setEnabled(false);
    if (steps.running) steps.running(true);
    const auto takeOrders = qScopeGuard([&] {
        if (parent) parent->unsetCursor();
        for (QWidget* w : steps.stilled)
            w->setEnabled(true);
        if (steps.running) steps.running(false);
    });
    EventPump pump([] { QCoreApplication::processEvents(); });
    return DeleteFolder(services.platform(), path, sendToBin, &pump, shown, confirmBox(services));
}

FolderFate fateOf(const Platform& platform, const FolderDeletion& done, const QByteArray& path,
                  bool sendToBin) {
    if (done.removedEmpty) return FolderFate::Deleted;
    // Gone means no folder stands at the path any more. Resolving the path would count a
    // link or a file put in its place, or a link to another folder, as the folder still there.
    if (done.tree.completed && !folderIdentity(platform, path))
        return sendToBin ? FolderFate::Recycled : FolderFate::Deleted;
    return FolderFate::Stayed;
}

void tellWhatHappened(const Services& services, const FolderTreeResult& r, const QByteArray& path,
                      bool sendToBin, FolderFate fate, const QString& rootText) {
    if (r.wasRefused()) {
        showDeletionSummary(services, r, sendToBin, rootText);
        return;
    }
    QString text = deletionSummary(r, sendToBin);
    // A run that went to its end but left files behind has not removed the folder.
    if (r.completed && fate == FolderFate::Stayed) {
        if (!text.isEmpty()) text += QLatin1Char(' ');
        text +=
            QStringLiteral("The folder ") + displayPath(path) + QStringLiteral(" still exists.");
    }
    if (text.isEmpty()) return;
    if (r.files > 0)
        services.showInfo(text);
    else
        services.showError(text);
}

}  // namespace

FolderFate askAndDeleteFolder(const Services& services, QWidget* parent, const QByteArray& path,
                              const FolderFlowSteps& steps) {
    if (path.isEmpty() || refuseProtectedFolder(services, path, steps.rootText))
        return FolderFate::Untouched;
    // What the user is shown is what gets deleted: a folder swapped for another (or for a
    // link) while the question is open is refused, not followed.
    const std::optional<FolderIdentity> shown = folderIdentity(services.platform(), path);
    bool sendToBin = false;
    {
        TfrmDelDirectory confirm(services, parent);
        confirm.setDirectory(path);
        if (confirm.exec() == QDialog::Rejected) return FolderFate::Untouched;
        sendToBin = confirm.sendToBin;
    }
    if (steps.beforeDeleting && !steps.beforeDeleting()) return FolderFate::Untouched;

    const FolderDeletion done = runDeletion(services, parent, path, sendToBin, shown, steps);
    const FolderFate fate = fateOf(services.platform(), done, path, sendToBin);
    if (!done.removedEmpty)
        tellWhatHappened(services, done.tree, path, sendToBin, fate, steps.rootText);
    return fate;
}

bool refuseProtectedFolder(const Services& services, const QByteArray& path,
                           const QString& rootText) {
    const FolderProtection why = folderProtection(services.platform(), path);
    if (why == FolderProtection::None) return false;
    services.showError(protectionText(why, rootText));
    return true;
}

void showDeletionSummary(const Services& services, const FolderTreeResult& r, bool recycledWording,
                         const QString& rootText) {
    if (r.refused != FolderProtection::None) {
        services.showError(protectionText(r.refused, rootText));
        return;
    }
    if (r.topIsLink) {
        services.showError(QStringLiteral(
            "This is a symbolic link, not a folder: links are not followed. Nothing was deleted."));
        return;
    }
    if (r.topChanged) {
        services.showError(
            QStringLiteral("The folder has changed since it was listed. Nothing was deleted."));
        return;
    }
    const QString text = deletionSummary(r, recycledWording);
    if (text.isEmpty()) return;
    if (r.files > 0)
        services.showInfo(text);
    else
        services.showError(text);
}

QString removedFolderText(FolderFate fate) {
    switch (fate) {
        case FolderFate::Deleted:
            return deletedText;
        case FolderFate::Recycled:
            return recycledText;
        case FolderFate::Untouched:
        case FolderFate::Stayed:
            break;
    }
    return {};
}

bool isRemovedFolderText(const QString& cell) {
    return cell == deletedText || cell == recycledText;
}

void markRemovedFolderRows(ResultGrid& rows, int column, const QByteArray& path, FolderFate fate) {
    const QString how = removedFolderText(fate);
    if (how.isEmpty()) return;
    const QByteArray inside = path.endsWith('/') ? path : path + '/';
    for (int r = 0; r < rows.rowCount(); ++r) {
        if (isRemovedFolderText(rows.cell(column, r))) continue;
        const QByteArray row = rows.pathOf(r);
        if (row == path || row.startsWith(inside)) rows.setCell(column, r, how);
    }
}

}  // namespace rk
