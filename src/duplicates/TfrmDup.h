#pragma once

#include <QByteArray>
#include <QComboBox>
#include <QDialog>

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <cstdint>
#include <memory>
#include <vector>
#include "ui/ToolWindow.h"

#include "duplicates/DupScan.h"

namespace rk {

class DriveCheckPanel;
class ResultGridView;
class SortMenu;

// "Find and delete duplicate files" / "Find and delete file hogs": one window in two modes,
// chosen by DupMode when it is created.
class TfrmDup : public ToolWindow {
    Q_OBJECT
public:
    explicit TfrmDup(QWidget* parent = nullptr);
    ~TfrmDup() override;

    // Query controls.
    QFrame* Panel1;
    QLabel* Label1;
    QSpinBox* SpinEdit1;
    QLabel* lblKB;
    QLabel* Label3;
    QComboBox* cbWildCard;
    QLabel* lblWild;
    QLabel* lblType;
    QLabel* Label4;
    DriveCheckPanel* pnlDrives;
    // The button row.
    QPushButton* btScan;
    QPushButton* btExact;
    QPushButton* btClose;
    QPushButton* btAbort;
    QPushButton* btMark;
    QPushButton* btDelete;
    QPushButton* btPrint;
    QPushButton* btClip;
    QPushButton* btBrowse;
    QPushButton* btSort;
    ResultGridView* grid;
    QLabel* pnlSel;
    SortMenu* PopupMenu1;
    QAction* Sortbysize1;
    QAction* SortbyDate1;
    QAction* SortbyAccess;
    QAction* SortbyName1;
    QAction* SortbyType1;

    // Marked files: their exact paths in marking order, how many existed and their bytes.
    std::vector<QByteArray> lbDeleted;
    int markedCount = 0;
    std::int64_t markedBytes = 0;
    int rowsFilled = 0;

    void FormShow() override;
    void FormResize();
    void ClearGrid();
    void scan(bool exact);
    void addToGrid(const DupRecord& record);
    void deleteOneFile(int row);
    void DeleteAllFiles();
    void gridDblClick();
    void btScanClick();
    void btExactClick();
    void btAbortClick();
    void btDeleteClick();
    void btSortClick();
    void btPrintClick();
    void btClipClick();
    void BrowseDirectory1Click();
    void cb1Click(bool anyChecked);
    void KiloToMega();
    void cbWildCardChange();

    // The printed report's title: the query and the checked drives.
    [[nodiscard]] QString printTitle() const;
    [[nodiscard]] bool isScanning() const { return scanning_; }
    [[nodiscard]] int markColumn() const { return duplicates_ ? 0 : 4; }
    [[nodiscard]] const DupScan& scanner() const { return *scanner_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finishScan();

    const bool duplicates_;  // DupMode when the window was made
    // Widths the listed texts need, where more than designed; the paths are left to the user.
    QList<int> fitted_;
    std::unique_ptr<DupScan> scanner_;
    bool scanning_ = false;
};

}  // namespace rk
