#include "ui/ResultWindow.h"

#include <algorithm>

#include "ui/ResultGridView.h"

namespace rk {

QPushButton* makeToolButton(QWidget* parent, const QString& name, const QString& caption,
                            const QString& hint, QStyle::StandardPixmap glyph) {
    auto* b = new QPushButton(parent->style()->standardIcon(glyph), caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

void fitResultColumns(ResultGridView& grid, const QList<int>& designed, const QList<int>& fitted,
                      int windowWidth, int margin) {
    ResultGrid& g = grid.results();
    int used = 0;
    for (int c = 0; c < designed.size(); ++c) {
        const int width = std::max(designed[c], fitted.value(c));
        g.setColumnWidth(c, width);
        used += grid.scaled(width);
    }
    const int rest = windowWidth - used - grid.scaled(margin);
    g.setColumnWidth(int(designed.size()), std::max(int(rest / grid.scale()), 20));
}

}  // namespace rk
