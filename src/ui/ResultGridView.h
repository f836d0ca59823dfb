#pragma once

#include <QColor>
#include <QPixmap>
#include <QTableView>

#include "common/ResultGrid.h"

namespace rk {

class Platform;

// The result grid of every tool: its own ResultGrid's rows, its titles as the header,
// whole-row selection, lines between all cells, columns the user can widen, rows 18 pixels
// high and columns 90 wide at 96 dpi. A marked cell shows the mark glyph before its text.
// Every column keeps its width as the window grows, but the schema's path (or name) column,
// which takes what the others leave: paths are what a wide window is for.
class ResultGridView : public QTableView {
    Q_OBJECT
public:
    explicit ResultGridView(QWidget* parent = nullptr);

    // Tips on the file rows whose room on disk is far from their length, read through the
    // platform, which outlives the view.
    void showRoomTips(const Platform& platform);

    [[nodiscard]] ResultGrid& results() { return grid_; }
    [[nodiscard]] const ResultGrid& results() const { return grid_; }

    // The current grid row; -1 when none is current.
    [[nodiscard]] int currentRow() const;
    // A row out of range is ignored, but -1 leaves no row current.
    void setCurrentRow(int row);

    // Screen pixels per designed pixel: the logical dpi over 96.
    [[nodiscard]] double scale() const;
    // A designed size in pixels at 96 dpi on this screen, rounded down.
    [[nodiscard]] int scaled(int designed) const;

    // The width in designed pixels that shows the title and the cells of the first
    // `sampleRows` data rows of a column whole.
    [[nodiscard]] int contentWidth(int column, int sampleRows = 500) const;

    // What a shaded row's cells are drawn on.
    [[nodiscard]] const QColor& groupShade() const { return groupShade_; }

    // The mark: a red check on a transparent ground, `size` pixels square.
    [[nodiscard]] static QPixmap markGlyph(int size);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyColumnWidths();
    // A faint tint of the highlight over the base, readable in light and dark themes.
    void followPalette();
    void columnResized(int column, int newSize);

    ResultGrid grid_;
    QColor groupShade_;
    bool applyingWidths_ = false;
};

}  // namespace rk
