#include "ui/DriveCheckPanel.h"

#include <QGridLayout>

#include "common/Drives.h"
#include "ui/AccessibleWindows.h"

namespace rk {

DriveCheckPanel::DriveCheckPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlDrives"));
    installAccessibleWindows();
    setAccessibleName(QStringLiteral("Drives"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    for (int i = 0; i < boxCount; ++i) {
        auto* cb = new QCheckBox(QStringLiteral("cb%1").arg(i + 1), this);
        cb->setObjectName(QStringLiteral("cb%1").arg(i + 1));
        cb->setVisible(false);
        grid->addWidget(cb, i % 5, i / 5);  // cb1 to cb5 form the first column
        connect(cb, &QCheckBox::clicked, this, [this] { emit cb1Click(anyChecked()); });
        boxes_[i] = cb;
    }
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(5, 1);
}

void DriveCheckPanel::FillDriveBoxes(DriveTable& table) {
    table.reload();
    for (QCheckBox* cb : boxes_) {
        cb->setVisible(false);
        cb->setChecked(false);
    }
    const std::vector<Drive>& drives = table.drives();
    drives_.assign(drives.begin(), drives.begin() + std::min<std::size_t>(drives.size(), boxCount));
    for (std::size_t i = 0; i < drives_.size(); ++i) {
        QCheckBox* cb = boxes_[i];
        cb->setText(drives_[i].caption());
        cb->setToolTip(driveBoxText(drives_[i], true));
        cb->setChecked(int(i) == table.currentIndex());
        cb->setVisible(true);
    }
}

bool DriveCheckPanel::anyChecked() const {
    for (QCheckBox* cb : boxes_)
        if (!cb->isHidden() && cb->isChecked()) return true;
    return false;
}

std::vector<Drive> DriveCheckPanel::checkedDrives() const {
    std::vector<Drive> checked;
    for (std::size_t i = 0; i < drives_.size(); ++i)
        if (!boxes_[i]->isHidden() && boxes_[i]->isChecked()) checked.push_back(drives_[i]);
    return checked;
}

}  // namespace rk
