#pragma once

#include <QDialog>

#include "ui/Services.h"

namespace rk {

// A tool's result window: resizable, with maximise and close buttons, sized in pixels
// designed at 96 dpi, and set up by FormShow when it is first shown.
class ToolWindow : public QDialog {
    Q_OBJECT
public:
    ToolWindow(const Services& services, QWidget* parent);

    virtual void FormShow() = 0;

protected:
    void showEvent(QShowEvent* event) override;
    // A designed size in pixels on this screen.
    [[nodiscard]] int px(int designed) const { return int(designed * logicalDpiX() / 96); }

    // What the window reads, asks and opens with.
    Services services_;

private:
    bool shown_ = false;
};

}  // namespace rk
