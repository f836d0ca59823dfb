#pragma once

#include <QLabel>

namespace rk {

// A one-line label that gives up width rather than pushing its neighbours aside: where the
// room it gets is too narrow for its text, the text ends in "…". text() stays the whole text.
class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace rk
