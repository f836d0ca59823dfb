#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <vector>

#include "spacemap/SpaceTree.h"

namespace rk {

// The space map's tree as a view reads it: one row per entry, a folder's entries under it
// largest first. Rows are made when a view asks for a folder's entries, so a tree of millions
// opens at once. The tree is not owned; it outlives the model or is swapped with setTree.
class SpaceTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { Name, Share, Room, Files, Folders, LastChange, ColumnCount };

    explicit SpaceTreeModel(QObject* parent = nullptr);

    void setTree(SpaceTree* tree);
    [[nodiscard]] SpaceTree* tree() const { return tree_; }

    [[nodiscard]] QModelIndex indexOf(SpaceTree::Index node, int column = Name) const;
    [[nodiscard]] SpaceTree::Index nodeOf(const QModelIndex& index) const;
    // Takes a deleted entry out of the tree and its row out of the view; its folders'
    // totals fall.
    void removeNode(SpaceTree::Index node);
    // Puts a fresh scan of a folder in place of its rows; the totals above change with it.
    void graft(SpaceTree::Index folder, SpaceTree&& fresh);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // A folder's entries in row order, made when first asked for.
    const std::vector<SpaceTree::Index>& rowsOf(SpaceTree::Index folder) const;
    [[nodiscard]] int rowOf(SpaceTree::Index node) const;

    SpaceTree* tree_ = nullptr;
    mutable QHash<SpaceTree::Index, std::vector<SpaceTree::Index>> rows_;
};

// Room as the map shows it: K below a megabyte, then MB and GB, with one decimal.
[[nodiscard]] QString roomText(std::int64_t bytes);

}  // namespace rk
