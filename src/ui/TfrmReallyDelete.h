#pragma once

#include <QByteArray>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <cstdint>
#include <functional>
#include <vector>

#include "common/FileListDeletion.h"
#include "ui/Services.h"

namespace rk {

// The confirmation window for deleting marked files: the caller fills lb1 and savings, shows
// it modally and reads the result: Accepted after a delete or recycle run (some files may
// have stayed), Rejected when nothing was done.
class TfrmReallyDelete : public QDialog {
    Q_OBJECT
public:
    explicit TfrmReallyDelete(const Services& services, QWidget* parent = nullptr);

    // Adds a file by its exact path; the list shows it by name and keeps itself sorted
    // without regard to case.
    void addFile(const QByteArray& path);
    void addFiles(const std::vector<QByteArray>& paths);
    // The same for files as they were when marked, so each is checked again before it goes.
    void addFiles(const std::vector<MarkedFile>& files);
    // The exact path of a list row.
    [[nodiscard]] QByteArray pathAt(int row) const;

    void FormShow();
    void UpdateHeaders();
    void btDeleteAllClick();
    void btRecycleClick();
    bool sendToRecycleBin(const QByteArray& path);

    QListWidget* lb1 = nullptr;

    std::int64_t savings = 0;      // the room on disk deleting the files frees, set by the caller
    std::int64_t keptByLinks = 0;  // files whose room another hard link keeps, by the caller
    // Asked once the user has said yes, just before the first file goes: false leaves every
    // file where it is and the window open (the caller has said why).
    std::function<bool()> beforeDeleting;
    // Asked for each file just before it goes (see FileListRun): false keeps it.
    std::function<bool(const MarkedFile& file, const SearchRecord& now)> mayRemove;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QFrame* Panel2 = nullptr;
    QLabel* lblDelete = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblSavings = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btRecycle = nullptr;
    QLabel* Label2 = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* btClose = nullptr;

    Services services_;
    void addMarked(MarkedFile file);
    // Deletes or trashes the listed files in list order with the hourglass and the progress
    // bar, then empties the list; the caller tells what stayed and closes the window.
    FolderTreeResult runOverFiles(bool sendToBin);

    bool running_ = false;
    std::vector<MarkedFile> marked_;  // as marked, in marking order; rows keep their index
};

}  // namespace rk
