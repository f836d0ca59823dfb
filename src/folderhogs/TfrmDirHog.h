#pragma once

#include <QByteArray>
#include <QDialog>

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QStringList>
#include <memory>
#include "ui/ToolWindow.h"

#include "folderhogs/FolderHogScan.h"

namespace rk {

class DriveCheckPanel;
class ResultGridView;
class SortMenu;

// "Folder Hogs": the folders of the checked drives with the room their files take, largest
// first, either the main folders under each root or every folder on its own; a listed folder
// can be browsed or deleted with everything in it.
class TfrmDirHog : public ToolWindow {
    Q_OBJECT
public:
    explicit TfrmDirHog(QWidget* parent = nullptr);
    ~TfrmDirHog() override;

    // Query controls.
    QFrame* Panel1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label5;
    QLabel* Label4;
    DriveCheckPanel* pnlDrives;
    // The button row; btDelete stands where btAbort does, and only one of them shows.
    QPushButton* btTop;
    QPushButton* btAll;
    QPushButton* btClose;
    QPushButton* btAbort;
    QPushButton* btDelete;
    QPushButton* btPrint;
    QPushButton* btClip;
    QPushButton* btBrowse;
    QPushButton* btSort;
    ResultGridView* grid;
    QLabel* pnlScan;
    SortMenu* PopupMenu1;
    QAction* SortbySize1;
    QAction* Sortbyfiles1;
    QAction* Sortbysubdirectories1;
    QAction* Sortbydate1;
    QAction* SortbyName1;

    int rowsFilled = 0;

    void FormShow() override;
    void FormResize();
    void ClearGrid();
    void btTopClick();
    void btAllClick();
    void scan(bool main);
    void addToGrid(const ScanRecord& record);
    void btAbortClick();
    void cb1Click(bool anyChecked);
    void SortbySize1Click(QAction* item);
    void btSortClick();
    void btPrintClick();
    void btClipClick();
    void btBrowseClick();
    void btDeleteClick();

    // What Clipboard copies: the abort line when the user stopped the scan, then the records
    // as the scan ranked them, without the folders this window has removed since.
    [[nodiscard]] QStringList clipboardLines() const;
    // The printed report's title: the checked drives.
    [[nodiscard]] QString printTitle() const;
    [[nodiscard]] bool isScanning() const { return scanning_; }

public slots:
    // Escape does nothing while the window is busy, as the Close button is disabled then.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void finishScan();
    void setBusy(bool busy);
    [[nodiscard]] bool wasRemoved(const QByteArray& path) const;

    // Widths the listed texts need, where more than designed; the path takes what is left.
    QList<int> fitted_;
    std::unique_ptr<FolderHogScan> scanner_;
    bool scanning_ = false;  // a scan runs
    bool deleting_ = false;  // a folder deletion runs
    bool aborted_ = false;   // the user stopped the last scan
    // Folders removed since the scan; the listed folders inside them went with them.
    QSet<QByteArray> removed_;
};

}  // namespace rk
