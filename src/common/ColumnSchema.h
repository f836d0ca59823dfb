#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

#include "common/GridSort.h"

namespace rk {

// One column of a tool's result grid. Column n shows field n + 1 of the tool's records.
struct ResultColumn {
    QString title;
    // Pixels at 96 dpi; the path column takes what the others leave of the window, at least
    // this much.
    int width = 0;
    bool rightAligned = false;
    // Widened after a scan to show its texts whole; paths keep their designed width.
    bool fitsTexts = true;
    // How its sort menu item (and a click on its title) orders the rows; none without.
    bool sortable = false;
    SortKind sort = SortKind::Text;
    bool descending = false;
};

// What a tool's result columns are: the grid, the sort menu, the report, the clipboard and
// marking read their columns from here, so no window or scan holds a bare column number.
struct ColumnSchema {
    std::vector<ResultColumn> columns;
    int markColumn = -1;  // the cell that carries the mark glyph
    int pathColumn = -1;  // the path the row stands for, or its folder; it takes spare width
    int sizeColumn = -1;  // where a removed entry says DELETED or RECYCLED

    [[nodiscard]] int count() const { return int(columns.size()); }
    [[nodiscard]] QStringList titles() const {
        QStringList t;
        for (const ResultColumn& c : columns)
            t.append(c.title);
        return t;
    }
    [[nodiscard]] QList<int> widths() const {
        QList<int> w;
        for (const ResultColumn& c : columns)
            w.append(c.width);
        return w;
    }
};

// Field `column` of a tab-separated record: the text its grid shows in that column.
[[nodiscard]] QString recordField(const QString& record, int column);

}  // namespace rk
