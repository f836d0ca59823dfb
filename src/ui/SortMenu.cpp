#include "ui/SortMenu.h"

#include <algorithm>

#include <QHeaderView>

#include "ui/ResultGridView.h"
#include "ui/WaitCursor.h"

namespace rk {

SortMenu::SortMenu(ResultGridView* grid, QWidget* parent) : QMenu(parent), grid_(grid) {}

QAction* SortMenu::addSort(const QString& text, SortKind kind, int column, bool descending) {
    QAction* action = addAction(text);
    action->setCheckable(true);
    items_.push_back({action, kind, column, descending});
    connect(action, &QAction::triggered, this, [this, action] { choose(action); });
    return action;
}

QAction* SortMenu::addSort(const QString& text, int column) {
    const std::vector<ResultColumn>& columns = grid_->results().schema().columns;
    const ResultColumn c = column >= 0 && std::size_t(column) < columns.size()
                               ? columns[std::size_t(column)]
                               : ResultColumn{};
    return addSort(text, c.sort, column, c.descending);
}

void SortMenu::chooseColumn(int column) {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [column](const Item& i) { return i.column == column; });
    if (found != items_.end())
        choose(found->action);
    else
        check(checked_);  // the header moved its arrow to a column that does not sort
}

void SortMenu::check(QAction* item) {
    checked_ = item;
    const Item* shown = nullptr;
    for (const Item& i : items_) {
        i.action->setChecked(i.action == item);
        if (i.action == item) shown = &i;
    }
    // A title that sorts shows the same order as the menu's check.
    QHeaderView* header = grid_->horizontalHeader();
    header->setSortIndicatorShown(shown && header->sectionsClickable());
    if (shown)
        header->setSortIndicator(shown->column,
                                 shown->descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void SortMenu::choose(QAction* item) {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [item](const Item& i) { return i.action == item; });
    ResultGrid& grid = grid_->results();
    if (found == items_.end() || grid.rowCount() < minimumRows_) {
        // Triggering a checkable item toggled it: put the checks back as they were.
        check(checked_);
        return;
    }
    WaitCursor wait;
    check(nullptr);
    SortGrid(grid, found->kind, 0, grid.rowCount() - 1, found->descending, found->column);
    check(item);
    emit sorted(item);
}

void SortMenu::popupOverGrid() {
    popup(grid_->mapToGlobal(QPoint(grid_->width() / 2, grid_->scaled(30))));
}

void SortMenu::attachToGrid(bool attached) {
    disconnect(rightClick_);
    disconnect(titleClick_);
    grid_->setContextMenuPolicy(attached ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
    grid_->horizontalHeader()->setSectionsClickable(attached);
    if (attached) {
        titleClick_ = connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this,
                              &SortMenu::chooseColumn);
        rightClick_ =
            connect(grid_, &QWidget::customContextMenuRequested, this,
                    [this](const QPoint& at) { popup(grid_->viewport()->mapToGlobal(at)); });
    }
    check(checked_);
}

}  // namespace rk
