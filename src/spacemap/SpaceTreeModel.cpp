#include "spacemap/SpaceTreeModel.h"

#include <QDateTime>
#include <algorithm>

#include "common/TextHelpers.h"

namespace rk {

QString roomText(std::int64_t bytes) {
    const double k = double(bytes) / 1024.0;
    if (k < 1024.0) return QString::number(k, 'f', 1) + QStringLiteral(" K");
    if (k < 1024.0 * 1024.0) return QString::number(k / 1024.0, 'f', 1) + QStringLiteral(" MB");
    return QString::number(k / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" GB");
}

SpaceTreeModel::SpaceTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void SpaceTreeModel::setTree(SpaceTree* tree) {
    beginResetModel();
    tree_ = tree;
    rows_.clear();
    endResetModel();
}

const std::vector<SpaceTree::Index>& SpaceTreeModel::rowsOf(SpaceTree::Index folder) const {
    auto it = rows_.find(folder);
    if (it == rows_.end()) it = rows_.insert(folder, tree_->children(folder));
    return *it;
}

int SpaceTreeModel::rowOf(SpaceTree::Index node) const {
    const SpaceTree::Index parent = tree_->node(node).parent;
    if (parent == SpaceTree::none) return 0;
    const std::vector<SpaceTree::Index>& rows = rowsOf(parent);
    const auto it = std::find(rows.begin(), rows.end(), node);
    return it == rows.end() ? -1 : int(it - rows.begin());
}

QModelIndex SpaceTreeModel::indexOf(SpaceTree::Index node, int column) const {
    if (!tree_ || node == SpaceTree::none || node >= tree_->size()) return {};
    const int row = rowOf(node);
    return row < 0 ? QModelIndex() : createIndex(row, column, quintptr(node));
}

SpaceTree::Index SpaceTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? SpaceTree::Index(index.internalId()) : SpaceTree::none;
}

QModelIndex SpaceTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (!tree_ || tree_->empty() || row < 0 || column < 0 || column >= ColumnCount) return {};
    if (!parent.isValid())
        return row == 0 ? createIndex(0, column, quintptr(tree_->root())) : QModelIndex();
    const std::vector<SpaceTree::Index>& rows = rowsOf(nodeOf(parent));
    if (std::size_t(row) >= rows.size()) return {};
    return createIndex(row, column, quintptr(rows[std::size_t(row)]));
}

QModelIndex SpaceTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    return indexOf(tree_->node(nodeOf(child)).parent);
}

int SpaceTreeModel::rowCount(const QModelIndex& parent) const {
    if (!tree_ || tree_->empty()) return 0;
    if (!parent.isValid()) return 1;
    if (parent.column() != 0) return 0;
    return int(rowsOf(nodeOf(parent)).size());
}

int SpaceTreeModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

bool SpaceTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return tree_ && !tree_->empty();
    const SpaceTree::Folder* f = tree_->folderOf(nodeOf(parent));
    return parent.column() == 0 && f && f->count > 0;
}

QVariant SpaceTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !tree_) return {};
    const SpaceTree::Index i = nodeOf(index);
    const SpaceTree::Node& n = tree_->node(i);
    const bool folder = n.flags & SpaceTree::isFolder;
    const auto share = [&]() -> double {
        if (n.parent == SpaceTree::none) return 1.0;
        const std::int64_t whole = tree_->node(n.parent).room;
        return whole > 0 ? double(n.room) / double(whole) : 0.0;
    };
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case Name: {
                QString name = displayPath(tree_->name(i));
                if (n.flags & SpaceTree::unreadable) name += QStringLiteral(" (could not be read)");
                if (n.flags & SpaceTree::otherMount)
                    name += QStringLiteral(" (another file system)");
                return name;
            }
            case Share:
                return QString::number(share() * 100.0, 'f', 1) + QLatin1Char('%');
            case Room:
                return roomText(n.room);
            case Files:
                return folder ? QVariant(qlonglong(tree_->files(i))) : QVariant();
            case Folders:
                return folder ? QVariant(qlonglong(tree_->folders(i))) : QVariant();
            case LastChange: {
                const std::int64_t t = tree_->latest(i);
                return t > 0 ? QLocale::system().toString(QDateTime::fromSecsSinceEpoch(t),
                                                          QLocale::ShortFormat)
                             : QString();
            }
        }
    }
    if (role == Qt::UserRole) return share();  // for the share bar
    if (role == Qt::ToolTipRole && index.column() == Room)
        return QStringLiteral("%1 bytes").arg(formatThousands(n.room));
    if (role == Qt::ToolTipRole && index.column() == Name) return displayPath(tree_->path(i));
    if (role == Qt::TextAlignmentRole && index.column() >= Room && index.column() <= Folders)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant SpaceTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case Name:
            return QStringLiteral("Name");
        case Share:
            return QStringLiteral("Share");
        case Room:
            return QStringLiteral("Room");
        case Files:
            return QStringLiteral("Files");
        case Folders:
            return QStringLiteral("Folders");
        case LastChange:
            return QStringLiteral("Last change");
    }
    return {};
}

void SpaceTreeModel::removeNode(SpaceTree::Index node) {
    const QModelIndex at = indexOf(node);
    if (!at.isValid() || node == tree_->root()) return;
    const QModelIndex parent = at.parent();
    beginRemoveRows(parent, at.row(), at.row());
    tree_->remove(node);
    rows_.remove(tree_->node(node).parent);
    endRemoveRows();
    // Every folder above it now totals less.
    for (QModelIndex up = parent; up.isValid(); up = up.parent())
        emit dataChanged(index(up.row(), 0, up.parent()),
                         index(up.row(), ColumnCount - 1, up.parent()));
}

void SpaceTreeModel::graft(SpaceTree::Index folder, SpaceTree&& fresh) {
    const QModelIndex at = indexOf(folder);
    if (!at.isValid() || folder == tree_->root()) {
        beginResetModel();
        tree_->graft(folder, std::move(fresh));
        rows_.clear();
        endResetModel();
        return;
    }
    // The old rows go, then the fresh ones come: no row ever stands for an entry that is out
    // of reach. The rows above keep their order, as after a deletion.
    if (const int old = rowCount(at); old > 0) {
        beginRemoveRows(at, 0, old - 1);
        rows_.insert(folder, {});
        endRemoveRows();
    }
    tree_->graft(folder, std::move(fresh));
    const int count = int(tree_->children(folder).size());
    if (count > 0) {
        beginInsertRows(at, 0, count - 1);
        rows_.remove(folder);
        endInsertRows();
    } else {
        rows_.remove(folder);
    }
    for (QModelIndex up = at; up.isValid(); up = up.parent())
        emit dataChanged(index(up.row(), 0, up.parent()),
                         index(up.row(), ColumnCount - 1, up.parent()));
}

}  // namespace rk
