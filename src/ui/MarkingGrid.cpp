#include "ui/MarkingGrid.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>

#include "common/TextHelpers.h"
#include "ui/ResultGridView.h"
#include "ui/TfrmReallyDelete.h"

namespace rk {

MarkingGrid::MarkingGrid(const Services& services, ResultGridView* view, QLabel* status,
                         QString statusPrefix)
    : QObject(view),
      services_(services),
      view_(view),
      status_(status),
      statusPrefix_(std::move(statusPrefix)) {
    pathOf = [view](int row) { return view->results().pathOf(row); };
    connect(view, &QAbstractItemView::doubleClicked, this, &MarkingGrid::toggleCurrent);
    view->installEventFilter(this);
}

void MarkingGrid::setDeleteButton(QAbstractButton* button) {
    deleteButton_ = button;
    button->setEnabled(anyMarked());
    connect(this, &MarkingGrid::marksChanged, button, [this] {
        if (deleteButton_) deleteButton_->setEnabled(anyMarked());
    });
}

bool MarkingGrid::toggle(int row) {
    ResultGrid& grid = view_->results();
    if (row < 0 || row >= grid.rowCount()) return false;
    const QByteArray path = pathOf(row);
    if (path.isEmpty()) return false;
    const bool marking = !grid.isMarked(row);
    if (marking && mayMark && !mayMark(row)) return false;
    grid.setMark(row, grid.schema().markColumn, marking);
    if (!marking) {
        marks_.unmark(path);
    } else if (const std::optional<MarkedFile> read = asRead ? asRead(row) : std::nullopt) {
        marks_.mark(services_.platform(), path, *read);
    } else {
        marks_.mark(services_.platform(), path);
    }
    showTotals();
    emit marksChanged();
    return true;
}

void MarkingGrid::toggleCurrent() {
    const int row = view_->currentRow();
    if (!doubleClickMarks || doubleClickMarks(row)) toggle(row);
}

void MarkingGrid::toggleCurrentAndMoveDown() {
    const int row = view_->currentRow();
    if (row < 0) return;
    toggle(row);
    view_->setCurrentRow(row + 1);
}

void MarkingGrid::clear() {
    marks_.clear();
    emit marksChanged();
}

void MarkingGrid::showTotals() {
    status_->setText(statusPrefix_ + QStringLiteral("%1 %2 %3 bytes")
                                         .arg(marks_.count())
                                         .arg(countNoun(marks_.count(), "file"))
                                         .arg(formatThousands(marks_.bytes())));
}

int MarkingGrid::confirmDeletion(QWidget* parent,
                                 const std::function<void(TfrmReallyDelete&)>& prepare) const {
    if (!anyMarked()) return QDialog::Rejected;
    TfrmReallyDelete confirm(services_, parent);
    confirm.addFiles(marks_.files());
    confirm.savings = marks_.bytes();
    confirm.keptByLinks = marks_.keptByLinks();
    if (prepare) prepare(confirm);
    return confirm.exec();
}

bool MarkingGrid::eventFilter(QObject* watched, QEvent* event) {
    // Each release of Delete marks one row, so holding the key down marks no run of rows.
    if (watched == view_ && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && !key->isAutoRepeat()) {
            toggleCurrentAndMoveDown();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace rk
