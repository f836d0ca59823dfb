#pragma once

#include <QByteArray>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/FileListDeletion.h"
#include "common/MarkedFileList.h"
#include "duplicates/ContentScan.h"
#include "duplicates/DupLinking.h"
#include "duplicates/DupScan.h"
#include "ui/MarkingGrid.h"
#include "ui/ResultWindow.h"

namespace rk {

class SortMenu;

// "Find and delete duplicate files" / "Find and delete file hogs": one window in two modes,
// chosen when it is made: duplicates true for duplicate files, false for file hogs.
class TfrmDup : public ResultWindow {
    Q_OBJECT
public:
    TfrmDup(const Services& services, bool duplicates, QWidget* parent = nullptr);
    ~TfrmDup() override;

    // Marked files as they were when marked, in marking order; how many of them existed
    // then and their bytes.
    [[nodiscard]] const MarkedFileList& marks() const { return marking_->marks(); }
    [[nodiscard]] MarkingGrid& marking() { return *marking_; }

    void FormShow() override;
    void ClearGrid();
    void scan(bool exact);
    // The search by content: groups of identical files, the most room to free first.
    void scanContent();
    void btScanClick();
    void btExactClick();
    void btContentClick();
    void btDeleteClick();
    void btLinkClick();
    void btOriginalsClick();
    // Marks every copy of each group but the one the rule keeps, which it unmarks; a copy in
    // an originals folder is never marked.
    void markAllButOne(KeepRule rule);
    [[nodiscard]] const std::vector<QByteArray>& originals() const { return originals_; }
    void btSortClick();
    void btPrintClick();
    void btClipClick();
    void BrowseDirectory1Click();
    void cb1Click(bool anyChecked) override;
    void KiloToMega();
    void cbWildCardChange();

    // The printed report's title: the query and the checked drives.
    [[nodiscard]] QString printTitle() const;

private:
    // Query controls.
    QLabel* Label1;
    QSpinBox* SpinEdit1;
    QLabel* lblKB;
    QLabel* Label3;
    QComboBox* cbWildCard;
    QLabel* lblWild;
    QLabel* lblType;
    // The button row (Close and Abort come with the window).
    QPushButton* btScan;
    QPushButton* btExact;
    QPushButton* btContent;  // duplicate mode: files of the same contents
    QPushButton* btMark;
    QPushButton* btDelete;
    QPushButton* btPrint;
    QPushButton* btClip;
    QPushButton* btBrowse;
    QPushButton* btSort;
    QLabel* pnlSel;
    // After a content search: link the marked copies to an unmarked copy instead of deleting
    // them, and mark all but one copy of each group; before it, the folders of originals.
    QPushButton* btLink;
    QPushButton* btKeepOne;
    QPushButton* btOriginals;
    SortMenu* PopupMenu1;
    QAction* Sortbysize1;
    QAction* SortbyDate1;
    QAction* SortbyAccess;
    QAction* SortbyName1;
    QAction* SortbyType1;

    void showResultButtons(bool any);
    // Alternate groups of duplicates are shaded, so each group reads as one.
    void shadeGroups();
    // Content groups: one copy of each must stay unmarked, and still be as it was read when
    // the others are deleted.
    [[nodiscard]] bool wouldMarkEveryCopy(int row) const;
    [[nodiscard]] bool aCopyStaysOfEachGroup() const;
    // Asked as each marked file of a content list goes: before the first of its group, an
    // unmarked copy must still be as it was read and hold the same bytes, else the group's
    // marked files all stay (withheld_).
    [[nodiscard]] bool aCopyStaysOf(const MarkedFile& file, const SearchRecord& now);

    // The marked copies of a content list, each with the unmarked copy of its group it is to
    // be linked to (one in an originals folder where there is one).
    [[nodiscard]] std::vector<CopyPair> markedPairs() const;
    [[nodiscard]] bool isOriginalRow(int row) const;
    void showLinkButtons(bool contentRows);

    const bool duplicates_;  // the mode the window was made in
    std::unique_ptr<DupScan> scanner_;
    MarkingGrid* marking_;
    std::unique_ptr<ContentScan> contentScanner_;
    // Of a content list: each row's group; the groups' rows lie together.
    std::vector<std::uint32_t> groupOfRow_;
    std::uint32_t groupCount_ = 0;
    bool lastScanExact_ = false;  // the name list's groups are of equal name and size
    // During a deletion: the row of each marked path, each group's verdict (0 not yet
    // checked, 1 a copy stays, -1 none does), and the marked files kept for want of a copy.
    QHash<QByteArray, int> markedRowOf_;
    std::vector<std::int8_t> copyStays_;
    std::vector<QByteArray> withheld_;
    std::vector<QByteArray> originals_;  // exact paths, as the system resolves them
};

}  // namespace rk
