#pragma once

#include <QByteArray>
#include <QCheckBox>
#include <QWidget>
#include <array>
#include <vector>

#include "platform/Platform.h"

namespace rk {

class DriveTable;

// pnlDrives: the 25 drive check boxes cb1 to cb25 of the multi-drive tools, five columns of
// five filled column by column. The captions are the drives' mount points.
class DriveCheckPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int boxCount = 25;

    explicit DriveCheckPanel(QWidget* parent = nullptr);

    // Re-reads the table, then shows one box per drive, at most 25, the current drive
    // checked: a window offers the drives present when it opens.
    void FillDriveBoxes(DriveTable& table);

    [[nodiscard]] QCheckBox* box(int number) const { return boxes_[number - 1]; }  // 1 to 25
    [[nodiscard]] bool anyChecked() const;
    // The checked drives, in box order.
    [[nodiscard]] std::vector<Drive> checkedDrives() const;

signals:
    // cb1Click: emitted whenever a box is clicked, with whether any box is checked, so the
    // tool can enable or disable its start buttons.
    void cb1Click(bool anyChecked);

private:
    std::array<QCheckBox*, boxCount> boxes_{};
    std::vector<Drive> drives_;  // the drive of each visible box, by box index
};

}  // namespace rk
