#pragma once

#include <QByteArray>
#include <QDialog>

class QTreeWidget;

namespace rk {

class SpaceTree;

// What grew since an earlier scan, one line per folder that changed: the change in room and in
// files, "new" or "vanished", and the folder; largest growth first, as the growth report.
class GrowthWindow : public QDialog {
    Q_OBJECT
public:
    GrowthWindow(const SpaceTree& before, const SpaceTree& now, const QByteArray& beforeFile,
                 QWidget* parent = nullptr);
    [[nodiscard]] QTreeWidget* list() const { return list_; }

private:
    QTreeWidget* list_;
};

}  // namespace rk
