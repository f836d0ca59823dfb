#pragma once

#include <QDialog>
#include <vector>

#include "duplicates/DupLinking.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace rk {

// The confirmation of linking marked copies: each copy with the copy it will be linked to,
// the room to free, and the two ways, each enabled only where it can work for every copy.
// A hard link between copies of different owners or permissions waits for the user's
// agreement. Accepted with a way chosen, or Rejected.
class TfrmLinkCopies : public QDialog {
    Q_OBJECT
public:
    TfrmLinkCopies(const std::vector<CopyPair>& pairs, const WaysOpen& ways,
                   QWidget* parent = nullptr);

    [[nodiscard]] LinkWay way() const;
    [[nodiscard]] bool ownerAgreed() const;

private:
    void update();

    WaysOpen ways_;
    std::size_t count_;
    QListWidget* list_;
    QLabel* room_;
    QRadioButton* share_;
    QRadioButton* link_;
    QCheckBox* agree_;
    QPushButton* ok_;
};

// What the summary of a linking says: the copies done, the room predicted and the free space
// measured, and the copies left with why (the first ten).
[[nodiscard]] QString linkSummary(const LinkResult& result, const std::vector<CopyPair>& pairs,
                                  LinkWay way);

}  // namespace rk
