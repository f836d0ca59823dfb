#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "common/ProtectedFolders.h"

class QWidget;

namespace rk {

class ResultGrid;
class Services;
struct FolderTreeResult;

// What became of a folder the user was offered to delete.
enum class FolderFate {
    Untouched,  // refused as it stood, declined, or stopped before anything was tried
    Stayed,     // a deletion was tried (or refused as the folder had changed): it is still there
    Deleted,    // gone; an empty folder removed as it was counts here even when the bin was chosen
    Recycled,   // gone to the trash
};

// What a window adds to the folder deletion flow.
struct FolderFlowSteps {
    // The refusal shown for a drive's root or another mount point.
    QString rootText = rootFolderText;
    // Take no orders while the deletion runs; the window still repaints.
    QList<QWidget*> stilled;
    // Told true as the deletion starts and false when it has ended, after the widgets take
    // orders again: a window that holds a close asked for meanwhile closes then.
    std::function<void(bool running)> running;
    // Asked once the user has chosen, before anything goes: false stops, nothing deleted.
    std::function<bool()> beforeDeleting;
};

// The one way a window deletes a folder tree: refuses protected folders, mount points and
// links; asks with the tree's totals; deletes or trashes the folder only if it is still the
// one the user confirmed; with the hourglass over the parent window only (the questions about
// single files keep the arrow); then tells what happened: nothing for an empty folder removed
// as it was, the summary otherwise, and that the folder still exists when a run that went to
// its end left it.
FolderFate askAndDeleteFolder(const Services& services, QWidget* parent, const QByteArray& path,
                              const FolderFlowSteps& steps = {});

// The check made before a folder is offered for deletion: shows rootText for a drive's root,
// windowsFolderText for a system folder, trashFolderText for the folder of the trash, and
// returns true when refused.
bool refuseProtectedFolder(const Services& services, const QByteArray& path,
                           const QString& rootText = rootFolderText);

// Shows the summary of a folder deletion: as information when files were removed, as an error
// when none was but some could not be, or why the deletion was refused.
void showDeletionSummary(const Services& services, const FolderTreeResult& result,
                         bool recycledWording, const QString& rootText = rootFolderText);

// What a removed folder's rows show in place of their size.
[[nodiscard]] QString removedFolderText(FolderFate fate);
[[nodiscard]] bool isRemovedFolderText(const QString& cell);

// Writes how a removed folder went into the given column of its row and of the rows of every
// listed folder inside it; rows that already say so keep what they say.
void markRemovedFolderRows(ResultGrid& rows, int column, const QByteArray& path, FolderFate fate);

}  // namespace rk
