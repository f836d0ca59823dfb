#include "ui/ResultGridView.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <cmath>

#include "common/RoomTip.h"

namespace rk {

namespace {

// Draws a shaded row on the view's group shade, and a marked cell as its background, the
// glyph 2 pixels in from the cell's corner and the text from 18 pixels on, so the glyph never
// sits over the text.
class MarkDelegate : public QStyledItemDelegate {
public:
    explicit MarkDelegate(ResultGridView* view) : QStyledItemDelegate(view), view_(view) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(ResultGrid::ShadeRole).toBool())
            option->backgroundBrush = view_->groupShade();
    }

public:
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!index.data(ResultGrid::MarkRole).toBool()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

        const QRect cell = opt.rect;
        const int inset = view_->scaled(2);
        const int glyph = view_->scaled(16);
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap mark = ResultGridView::markGlyph(int(std::ceil(glyph * ratio)));
        mark.setDevicePixelRatio(ratio);
        painter->drawPixmap(QPoint(cell.left() + inset, cell.top() + inset), mark);

        const QRect textRect = cell.adjusted(view_->scaled(18), 0, 0, 0);
        const QPalette::ColorGroup group =
            (opt.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected)
                                                     ? QPalette::HighlightedText
                                                     : QPalette::Text));
        painter->drawText(textRect, opt.displayAlignment,
                          opt.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
        painter->restore();
    }

private:
    ResultGridView* view_;
};

}  // namespace

void ResultGridView::showRoomTips(const Platform& platform) {
    // A listed file whose room on disk is far from its length says both in its tip.
    grid_.setToolTips([&platform](const QByteArray& path) { return roomToolTip(platform, path); });
}

ResultGridView::ResultGridView(QWidget* parent) : QTableView(parent) {
    setModel(&grid_);
    // The grid's designed font is the desktop's at 8 points.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setItemDelegate(new MarkDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // Tab leaves the grid, as in any list; the arrows move within it.
    setTabKeyNavigation(false);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    // Fixed heights spare the header from measuring a million rows. The grid line takes one
    // pixel of the section, so the 18-pixel cell keeps room for the glyph.
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(scaled(18) + 1);

    QHeaderView* columns = horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setSectionsClickable(false);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setDefaultSectionSize(scaled(ResultGrid::defaultColumnWidth));

    connect(&grid_, &ResultGrid::modelReset, this, &ResultGridView::applyColumnWidths);
    followPalette();
    connect(&grid_, &ResultGrid::columnWidthsChanged, this, &ResultGridView::applyColumnWidths);
    connect(columns, &QHeaderView::sectionResized, this,
            [this](int column, int, int newSize) { columnResized(column, newSize); });
    applyColumnWidths();
}

double ResultGridView::scale() const {
    return logicalDpiY() / 96.0;
}

int ResultGridView::scaled(int designed) const {
    return int(std::floor(designed * scale()));
}

int ResultGridView::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ResultGridView::setCurrentRow(int row) {
    if (row < 0) setCurrentIndex({});
    if (row < 0 || row >= grid_.rowCount()) return;
    const int column = std::max(currentIndex().column(), 0);
    setCurrentIndex(grid_.index(row, column));
}

void ResultGridView::applyColumnWidths() {
    applyingWidths_ = true;
    const int stretch = grid_.schema().pathColumn;
    int others = 0;
    for (int c = 0; c < grid_.columnCount(); ++c) {
        const int width = scaled(grid_.columnWidth(c));
        if (c != stretch) {
            setColumnWidth(c, width);
            others += width;
        }
    }
    if (stretch >= 0 && stretch < grid_.columnCount())
        setColumnWidth(stretch,
                       std::max(scaled(grid_.columnWidth(stretch)), viewport()->width() - others));
    applyingWidths_ = false;
}

void ResultGridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    applyColumnWidths();
}

void ResultGridView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) followPalette();
}

void ResultGridView::followPalette() {
    const QColor base = palette().color(QPalette::Base);
    const QColor tint = palette().color(QPalette::Highlight);
    constexpr double share = 0.12;
    QColor shade;
    shade.setRgbF(float(base.redF() * (1 - share) + tint.redF() * share),
                  float(base.greenF() * (1 - share) + tint.greenF() * share),
                  float(base.blueF() * (1 - share) + tint.blueF() * share));
    groupShade_ = shade;
    viewport()->update();
}

void ResultGridView::columnResized(int column, int newSize) {
    if (applyingWidths_) return;
    // The user dragged a column: the report pads by the width the user now sees.
    grid_.setColumnWidth(column, int(std::lround(newSize / scale())));
}

QPixmap ResultGridView::markGlyph(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    QPainterPath check;
    check.moveTo(2.5, 8.5);
    check.lineTo(6.0, 12.5);
    check.lineTo(13.5, 3.0);
    p.setPen(QPen(QColor(200, 0, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(check);
    return pixmap;
}

int ResultGridView::contentWidth(int column, int sampleRows) const {
    const QFontMetrics metrics(font());
    const int padding = scaled(10);
    int widest = QFontMetrics(horizontalHeader()->font()).horizontalAdvance(grid_.title(column));
    const int last = std::min(grid_.rowCount(), sampleRows);
    for (int r = 0; r < last; ++r) {
        int width = metrics.horizontalAdvance(grid_.cell(column, r));
        if (grid_.isMarked(column, r)) width += scaled(18);
        widest = std::max(widest, width);
    }
    return int(std::ceil((widest + padding) / scale()));
}

}  // namespace rk
