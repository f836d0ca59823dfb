#pragma once

#include <QPixmap>
#include <QTableView>

#include "common/ResultGrid.h"

namespace rk {

// The result grid of every tool: its own ResultGrid's rows, the title row as the header,
// whole-row selection, lines between all cells, columns the user can widen, rows 18 pixels
// high and columns 90 wide at 96 dpi. A marked cell shows the mark glyph before its text.
class ResultGridView : public QTableView {
    Q_OBJECT
public:
    explicit ResultGridView(QWidget* parent = nullptr);

    [[nodiscard]] ResultGrid& results() { return grid_; }
    [[nodiscard]] const ResultGrid& results() const { return grid_; }

    // The current grid row; 0 when no data row is current.
    [[nodiscard]] int currentRow() const;
    void setCurrentRow(int row);

    // Screen pixels per designed pixel: the logical dpi over 96.
    [[nodiscard]] double scale() const;
    // A designed size in pixels at 96 dpi on this screen, rounded down.
    [[nodiscard]] int scaled(int designed) const;

    // The width in designed pixels that shows the title and the cells of the first
    // `sampleRows` data rows of a column whole.
    [[nodiscard]] int contentWidth(int column, int sampleRows = 500) const;

    // The mark: a red check on a transparent ground, `size` pixels square.
    [[nodiscard]] static QPixmap markGlyph(int size);

private:
    void applyColumnWidths();
    void hideTitleRow();
    void columnResized(int column, int newSize);

    ResultGrid grid_;
    bool applyingWidths_ = false;
};

}  // namespace rk
