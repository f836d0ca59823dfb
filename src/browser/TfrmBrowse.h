#pragma once

#include <QByteArray>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <cstdint>

#include "browser/FolderListing.h"
#include "common/MarkedFileList.h"
#include "ui/MarkingGrid.h"
#include "ui/ResultGridView.h"
#include "ui/ToolWindow.h"

namespace rk {

class SortMenu;

// "Browse through folders": the drives, the folders of one of them and the files of one
// folder in a grid; files can be run, viewed, marked and deleted, and the shown folder can be
// deleted with everything in it. The window keeps its folder as exact bytes and passes full
// paths to every operation; it never changes the program's working folder.
class TfrmBrowse : public ToolWindow {
    Q_OBJECT
public:
    explicit TfrmBrowse(const Services& services, QWidget* parent = nullptr);
    ~TfrmBrowse() override;

    // The opening inputs, before the window is shown. Shows the folder (false, with the
    // general error shown, when it cannot be read); then makes the file of that name current,
    // or says "Invalid file name - " and the path and returns false when it is not there.
    bool openOn(const QByteArray& folder, const QString& pattern, const QByteArray& file = {});

    ResultGridView* grid;

    [[nodiscard]] const QByteArray& folder() const { return folder_; }
    [[nodiscard]] const QString& pattern() const { return pattern_; }
    [[nodiscard]] const MarkedFileList& marks() const { return marking_->marks(); }
    [[nodiscard]] MarkingGrid& marking() { return *marking_; }
    [[nodiscard]] std::int64_t totalBytes() const { return totalBytes_; }

    void FormShow() override;
    // Shows another folder: read once, and only when it can be read does anything move;
    // otherwise the general error says why (unless reportError is false) and the window stays
    // where it was.
    bool changeFolder(const QByteArray& folder, bool reportError = true);
    // The drive box's choice: its current folder, unless the drive cannot be read.
    void DriveComboBox1Change(int index);
    // A line of the folder list chosen (double click or Enter).
    void DirectoryListBox1DblClick(QListWidgetItem* item);
    // The grid and the status from a listing of the shown folder; marks are forgotten.
    void DirectoryListBox1Change(const FolderListing& listing);
    void btSortClick();
    void Sortbyname1Click(QAction* item);
    void pnlScanClick();
    void btLaunchClick();
    void btViewClick();

    void btDeleteFilesClick();
    void btDeleteDirectoryClick();
    // Whether the window may close: with marks pending, only when the user says so.
    bool FormCloseQuery();

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFrame* Panel3;
    QFrame* Panel4;
    QComboBox* DriveComboBox1;
    QListWidget* DirectoryListBox1;
    QFrame* Panel5;
    QFrame* Panel6;
    QLabel* Label1;
    QFrame* Panel2;
    QPushButton* btDeleteDirectory;
    QPushButton* btLaunch;
    QPushButton* btView;
    QPushButton* btSort;
    QPushButton* btMark;
    QPushButton* btDeleteFiles;
    QPushButton* btClose;
    QFrame* pnlScan2;
    QLabel* pnlScan;
    QLabel* pnlWild;
    QLabel* pnlSize;
    SortMenu* PopupMenu1;
    QAction* Sortbyname1;
    QAction* SortbyDate1;
    QAction* SortbyAccessDate;
    QAction* SortbySize1;
    QAction* SortbyType1;

    // Reads the shown folder again and rebuilds everything from it.
    void rebuild();
    void showFolderList(const std::vector<QByteArray>& subFolders);
    void showDrive();
    // Label1: the shown folder's path, its middle left out where the label is too narrow.
    void showFolderPath();
    void showMarkState();
    void showPattern();
    // The grid's columns widened to the shown folder's texts.
    void fitColumns();
    [[nodiscard]] QByteArray mountPointOf(const QByteArray& folder) const;
    [[nodiscard]] int currentFileRow() const;

    QByteArray folder_;  // exact bytes; empty until a folder is shown
    QString pattern_ = QStringLiteral("*.*");
    MarkingGrid* marking_;
    std::int64_t totalBytes_ = 0;
    QAction* sorted_ = nullptr;  // the sort item last chosen
    bool deleting_ = false;      // a folder deletion runs: closing waits for its end
};

// What the other windows' Browse buttons and the main window open: the browser on folder
// with the pattern and the file made current, shown modally. Nothing is shown when the
// folder cannot be read or the file is not in it.
void openBrowserOn(const Services& services, QWidget* owner, const QByteArray& folder,
                   const QByteArray& file, const QString& pattern);

}  // namespace rk
