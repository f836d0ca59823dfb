#pragma once

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "bydate/DateScan.h"
#include "common/FileListDeletion.h"
#include "common/MarkedFileList.h"
#include "ui/MarkingGrid.h"
#include "ui/ResultWindow.h"

namespace rk {

class SortMenu;
class TfrmPickDate;

// "Files in a range of dates": lists the files whose last-access, creation or last-write
// date lies on or before, between or on or after the chosen days.
class TfrmMods : public ResultWindow {
    Q_OBJECT
public:
    explicit TfrmMods(const Services& services, QWidget* parent = nullptr);
    ~TfrmMods() override;

    // Query controls.
    // The button row (Close and Abort come with the window).

    // Marked files as they were when marked, in marking order; how many of them existed
    // then and their bytes.
    [[nodiscard]] const MarkedFileList& marks() const { return marking_->marks(); }
    [[nodiscard]] MarkingGrid& marking() { return *marking_; }

    // Shows the date picker modally; tests put their own hand here.
    std::function<int(TfrmPickDate&)> showPicker;

    [[nodiscard]] int what() const { return whatItems->checkedId(); }
    [[nodiscard]] int when() const { return whenItems->checkedId(); }
    void setWhat(int index);
    void setWhen(int index);

    void FormShow() override;
    void ClearGrid();
    // Reads both date boxes once, then scans.
    void btOKClick();
    void scan(const DateQuery& query);
    // The query as the controls stand; empty, with the box's message, when a date box
    // holds no date.
    [[nodiscard]] std::optional<DateQuery> readQuery();
    void rgWhenClick();
    void cbWildCardChange();
    void cb1Click(bool anyChecked) override;
    // The checks when the focus leaves a date box; false after the message.
    bool dtStartExit();
    bool dtEndExit();
    void popStartDateClick();
    void popEndDateClick();

    void btDeleteClick();
    void btSortClick();
    void PrintClick();
    void btClipClick();
    void btBrowseClick();

    // The exact path a grid row stands for.
    [[nodiscard]] QByteArray pathOfRow(int row) const;
    // What the clipboard receives: each found file's line in the order found, then the
    // abort line when the user stopped the scan.
    [[nodiscard]] QStringList lbFiles() const;
    // "Files Last accessed between 1/1/96 and 5/30/96".
    [[nodiscard]] QString printTitle() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* rgWhat;
    QButtonGroup* whatItems;  // 0 Last accessed, 1 Created, 2 Last modified
    QGroupBox* rgWhen;
    QButtonGroup* whenItems;  // 0 On or Before, 1 In between, 2 On or After
    QLineEdit* dtStart;
    QLabel* lblAnd;
    QLineEdit* dtEnd;
    QToolButton* popStartDate;
    QToolButton* popEndDate;
    QLabel* Label1;
    QComboBox* cbWildCard;
    QLabel* lblWild;
    QPushButton* btOK;
    QPushButton* btMark;
    QPushButton* btDelete;
    QPushButton* btPrint;
    QPushButton* btClip;
    QPushButton* btBrowse;
    QPushButton* btSort;
    QLabel* pnlScan;
    SortMenu* PopupMenu1;
    QAction* Sortbyname1;
    QAction* SortbyAccessDate;
    QAction* SortbyCreationDate;
    QAction* SortbyWrittentodate;
    QAction* SortbyDirectory1;
    QAction* SortbyType1;

    void showResultButtons(bool any);
    void popDateClick(QLineEdit* box, QLineEdit* other, bool isStart);
    void refocus(QLineEdit* box);

    std::unique_ptr<DateScan> scanner_;
    MarkingGrid* marking_;
    bool refocusing_ = false;  // the focus goes back to a date box: no check on the way
};

}  // namespace rk
