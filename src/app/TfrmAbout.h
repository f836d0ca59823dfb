#pragma once

#include <QDialog>
#include <QPushButton>

#include "controls/TAnimated.h"

namespace rk {

// "How to contact us": the product, its version and its maker, between two animated icons
// that loop for as long as the box is open.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
    TAnimated* Animated1;  // a spinning disk, forwards
    TAnimated* Animated2;  // a drive's room coming free: the gauge played backwards

protected:
    void showEvent(QShowEvent* event) override;  // centres the box on the screen

private:
    QPushButton* OKButton;
};

}  // namespace rk
