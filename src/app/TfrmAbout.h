#pragma once

#include <QDialog>
#include <QPushButton>

namespace rk {

// "How to contact us": the product, its version and its maker.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
    QPushButton* OKButton;
};

}  // namespace rk
