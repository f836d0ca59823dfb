#pragma once

#include <QByteArray>
#include <memory>
#include <optional>

#include "common/ScanJob.h"
#include "spacemap/SpaceTree.h"
#include "ui/ToolWindow.h"

class QLabel;
class QPushButton;
class QSplitter;
class QTreeView;

namespace rk {

class DriveCheckPanel;
class SpaceMapView;
class SpaceTreeModel;

// "Space map": where the room of a drive goes. A scan of the first checked drive (or an
// opened scan file) fills a tree of folders with their subtree totals beside a treemap of the
// selected folder; a folder or file can be browsed, viewed and deleted or trashed, after
// which the totals fall without a new scan. A scan read from a file is read-only.
class TfrmSpaceMap : public ToolWindow {
    Q_OBJECT
public:
    explicit TfrmSpaceMap(const Services& services, QWidget* parent = nullptr);
    ~TfrmSpaceMap() override;

    void FormShow() override;
    void btScanClick();
    void btAbortClick();
    void btUpClick();
    void btBrowseClick();
    void btViewClick();
    void btDeleteClick();
    // Scans the selected folder (a file's folder) again and puts what is there now in place
    // of what the tree knew; the rest of the tree stays as it was.
    void btRescanClick();
    void btOpenClick();
    // Shows a scan read from a file instead of one made here; false (and the user told) when
    // the file cannot be read.
    bool openScan(const QByteArray& file);
    // Puts an earlier scan (a file written by --export, ncdu or gdu) beside the one shown:
    // what grew since, per folder. False when the file could not be read.
    bool compareWith(const QByteArray& file);
    void btCompareClick();

    [[nodiscard]] bool isScanning() const { return job_.running(); }
    [[nodiscard]] bool isReadOnly() const { return readOnly_; }
    [[nodiscard]] const SpaceTree& tree() const { return tree_; }
    // The entry selected in the tree, or none.
    [[nodiscard]] SpaceTree::Index selected() const;
    void select(SpaceTree::Index node);
    [[nodiscard]] QTreeView* treeView() const { return view_; }
    [[nodiscard]] SpaceMapView* mapView() const { return map_; }
    [[nodiscard]] DriveCheckPanel* drivePanel() const { return drives_; }
    [[nodiscard]] QLabel* statusLine() const { return status_; }

protected:
    void reject() override;

private:
    [[nodiscard]] std::optional<QByteArray> chooseScanFile(const QString& title) const;
    void scanEnded();
    void rescanEnded(SpaceTree::Index folder);
    void showTotals();
    // The folder a rescan would read: the selected folder, or the selected file's.
    [[nodiscard]] SpaceTree::Index folderToRescan() const;
    void showTree();
    void zoom(SpaceTree::Index folder);
    // The map shows the folder or one inside it.
    [[nodiscard]] bool zoomedWithin(SpaceTree::Index folder) const;
    // The shared confirmations and deletions; true when the entry is gone.
    bool deleteFolder(SpaceTree::Index folder);
    bool deleteFile(SpaceTree::Index file);
    void updateButtons();

    SpaceTree tree_;
    std::unique_ptr<SpaceScan> scan_;
    ScanJob job_;
    bool readOnly_ = false;
    bool incomplete_ = false;  // the scan shown was aborted
    bool closeAsked_ = false;
    bool deleting_ = false;

    DriveCheckPanel* drives_;
    QPushButton* btScan_;
    QPushButton* btAbort_;
    QPushButton* btClose_;
    QPushButton* btOpen_;
    QPushButton* btCompare_;
    QPushButton* btUp_;
    QPushButton* btBrowse_;
    QPushButton* btView_;
    QPushButton* btDelete_;
    QPushButton* btRescan_;
    QTreeView* view_;
    QSplitter* splitter_;
    SpaceTreeModel* model_;
    SpaceMapView* map_;
    QLabel* path_;  // the folder the map shows
    QLabel* status_;
};

}  // namespace rk
