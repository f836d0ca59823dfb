#pragma once

#include <QColor>
#include <QWidget>
#include <array>

namespace rk {

// A background that fills its parent with a vertical ramp of 256 colours: bright blue to
// black (all blue), or blue through purple to red.
class GradientBack : public QWidget {
    Q_OBJECT
public:
    explicit GradientBack(QWidget* parent);

    [[nodiscard]] bool isAllBlue() const { return isAllBlue_; }
    void setIsAllBlue(bool value) { isAllBlue_ = value; }  // repaints only when asked to
    [[nodiscard]] QColor colour(int i) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isAllBlue_ = false;
};

}  // namespace rk
