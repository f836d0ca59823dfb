#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

#include "common/FileListDeletion.h"
#include "common/MarkedFileList.h"
#include "ui/Services.h"

class QAbstractButton;
class QLabel;

namespace rk {

class ResultGridView;
class TfrmReallyDelete;

// Marking files for deletion in a result grid, the same in every window that offers it: a
// double click toggles the current row's mark, the Mark button and each release of Delete
// toggle it and move down, the status line says "N files N bytes", and the delete button is
// enabled while anything is marked. The grid's model carries the marks (its view draws the
// glyph); the MarkedFileList here keeps the files as they were when marked, so unmarking
// takes back exactly what marking added.
class MarkingGrid : public QObject {
    Q_OBJECT
public:
    // `status` shows the totals after `statusPrefix`; the column marked is the schema's.
    MarkingGrid(const Services& services, ResultGridView* view, QLabel* status,
                QString statusPrefix = {});

    // The exact path a row stands for; empty for a row that cannot be marked. The grid's
    // own path unless a window says otherwise.
    std::function<QByteArray(int row)> pathOf;
    // Asked before a row is marked (never before unmarking): false leaves it as it was.
    std::function<bool(int row)> mayMark;
    // The file as the scan read it, where the deletion must see whether it changed since.
    std::function<std::optional<MarkedFile>(int row)> asRead;
    // Whether a double click on the row marks it; every markable row unless said otherwise.
    std::function<bool(int row)> doubleClickMarks;

    // Enabled while anything is marked.
    void setDeleteButton(QAbstractButton* button);

    [[nodiscard]] const MarkedFileList& marks() const { return marks_; }
    [[nodiscard]] bool anyMarked() const { return marks_.count() > 0; }

    // Marks an unmarked row or unmarks a marked one; false when nothing changed.
    bool toggle(int row);
    // A double click: toggles the current row where doubleClickMarks allows.
    void toggleCurrent();
    // The Mark button and the Delete key: toggles the current row and moves to the next.
    void toggleCurrentAndMoveDown();
    // Forgets every mark, as a new list does; the grid's own marks go with its rows.
    void clear();
    // The confirmation of the marked files with their totals; `prepare` adds a window's own
    // checks. The dialog's result, or Rejected when nothing is marked.
    int confirmDeletion(QWidget* parent,
                        const std::function<void(TfrmReallyDelete&)>& prepare = {}) const;

signals:
    void marksChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTotals();

    Services services_;
    ResultGridView* view_;
    QLabel* status_;
    QString statusPrefix_;
    QPointer<QAbstractButton> deleteButton_;
    MarkedFileList marks_;
};

}  // namespace rk
