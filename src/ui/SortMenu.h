#pragma once

#include <QMenu>
#include <vector>

#include "common/GridSort.h"

namespace rk {

class ResultGridView;

// A tool's sort menu (PopupMenu1): each item sorts the grid's rows one way, and the item last
// chosen is the one checked; its column's title shows the order with the sort arrow. A grid
// with too few rows is left alone.
class SortMenu : public QMenu {
    Q_OBJECT
public:
    explicit SortMenu(ResultGridView* grid, QWidget* parent = nullptr);

    // An item that sorts every row by the column.
    QAction* addSort(const QString& text, SortKind kind, int column, bool descending);
    // The same, the way the grid's schema sorts that column.
    QAction* addSort(const QString& text, int column);
    // A click on a column's title: what its item does; nothing for a column without one.
    void chooseColumn(int column);
    // Below this many rows choosing an item does nothing (1 unless set).
    void setMinimumRows(int rows) { minimumRows_ = rows; }
    // Checks the item and unchecks the others without sorting, as clearing a grid does.
    void check(QAction* item);
    // What choosing the item does: hourglass, sort, check the item.
    void choose(QAction* item);
    // btSortClick: opens the menu half the grid's width right of and 30 pixels below the
    // grid's top-left corner.
    void popupOverGrid();
    // Whether the right mouse button on the grid opens this menu and its column titles sort.
    void attachToGrid(bool attached);

signals:
    void sorted(QAction* item);

private:
    struct Item {
        QAction* action;
        SortKind kind;
        int column;
        bool descending;
    };

    ResultGridView* grid_;
    std::vector<Item> items_;
    QAction* checked_ = nullptr;
    int minimumRows_ = 1;
    QMetaObject::Connection rightClick_;
    QMetaObject::Connection titleClick_;
};

}  // namespace rk
