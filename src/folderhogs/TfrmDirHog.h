#pragma once

#include <QByteArray>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QStringList>
#include <memory>

#include "folderhogs/FolderHogScan.h"
#include "ui/FolderDeletionFlow.h"
#include "ui/ResultWindow.h"

namespace rk {

class SortMenu;

// "Folder Hogs": the folders of the checked drives with the room their files take, largest
// first, either the main folders under each root or every folder on its own; a listed folder
// can be browsed or deleted with everything in it.
class TfrmDirHog : public ResultWindow {
    Q_OBJECT
public:
    explicit TfrmDirHog(const Services& services, QWidget* parent = nullptr);
    ~TfrmDirHog() override;

    // Query controls.
    // The button row; btDelete stands where btAbort does, and only one of them shows.

    void FormShow() override;
    void ClearGrid();
    void btTopClick();
    void btAllClick();
    void scan(bool main);
    void cb1Click(bool anyChecked) override;
    void SortbySize1Click(QAction* item);
    void btSortClick();
    void btPrintClick();
    void btClipClick();
    void btBrowseClick();
    void btDeleteClick();

    // What Clipboard copies: the abort line when the walk was stopped, then the records as
    // the scan ranked them, without the folders this window has removed since.
    [[nodiscard]] QStringList clipboardLines() const;
    // The printed report's title: the checked drives.
    [[nodiscard]] QString printTitle() const;

private:
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label5;
    QPushButton* btTop;
    QPushButton* btAll;
    QPushButton* btDelete;
    QPushButton* btPrint;
    QPushButton* btClip;
    QPushButton* btBrowse;
    QPushButton* btSort;
    QLabel* pnlScan;
    SortMenu* PopupMenu1;
    QAction* SortbySize1;
    QAction* Sortbyfiles1;
    QAction* Sortbysubdirectories1;
    QAction* Sortbydate1;
    QAction* SortbyName1;

    [[nodiscard]] bool wasRemoved(QByteArrayView path) const;
    // The rows of the folder and of every listed folder inside it say how they went.
    void markRemoved(const QByteArray& path, FolderFate fate);

    std::unique_ptr<FolderHogScan> scanner_;
    bool deleting_ = false;  // a folder deletion runs
    // Folders removed since the scan; the listed folders inside them went with them.
    QSet<QByteArray> removed_;
};

}  // namespace rk
