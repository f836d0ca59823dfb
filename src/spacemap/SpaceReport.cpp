#include "spacemap/SpaceReport.h"

#include <QHash>
#include <algorithm>
#include <vector>

namespace rk {

namespace {

bool isListedFolder(const SpaceTree& tree, SpaceTree::Index i) {
    return tree.has(i, SpaceTree::isFolder) && !tree.has(i, SpaceTree::otherMount) &&
           !tree.has(i, SpaceTree::removed);
}

// Each listed folder in report order (pre-order, largest first) with its depth.
template <class Visit>
void forEachFolder(const SpaceTree& tree, int maxDepth, Visit visit) {
    if (tree.empty()) return;
    std::vector<std::pair<SpaceTree::Index, int>> stack{{tree.root(), 0}};
    while (!stack.empty()) {
        const auto [at, depth] = stack.back();
        stack.pop_back();
        visit(at, depth);
        if (maxDepth >= 0 && depth >= maxDepth) continue;
        const std::vector<SpaceTree::Index> children = tree.children(at);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (isListedFolder(tree, *it)) stack.emplace_back(*it, depth + 1);
    }
}

QByteArray joined(const QByteArray& folder, const QByteArray& relative) {
    if (relative.isEmpty()) return folder;
    return folder.endsWith('/') ? folder + relative : folder + '/' + relative;
}

struct Figures {
    std::int64_t room = 0;
    std::int64_t files = 0;
};

// Every folder by its path below the root ("" for the root itself).
QHash<QByteArray, Figures> foldersByPath(const SpaceTree& tree) {
    QHash<QByteArray, Figures> out;
    if (tree.empty()) return out;
    const qsizetype rootLength = tree.path(tree.root()).size();
    forEachFolder(tree, -1, [&](SpaceTree::Index i, int) {
        QByteArray relative = tree.path(i).mid(rootLength);
        if (relative.startsWith('/')) relative.remove(0, 1);
        out.insert(relative, {tree.node(i).room, tree.files(i)});
    });
    return out;
}

}  // namespace

void writeTreeReport(const SpaceTree& tree, int maxDepth, const LineWriter& line) {
    forEachFolder(tree, maxDepth, [&](SpaceTree::Index i, int) {
        line(QByteArray::number(tree.node(i).room) + '\t' + QByteArray::number(tree.files(i)) +
             '\t' + QByteArray::number(tree.folders(i)) + '\t' + tree.path(i));
    });
}

std::vector<GrowthChange> growthChanges(const SpaceTree& before, const SpaceTree& now) {
    const QHash<QByteArray, Figures> old = foldersByPath(before);
    const QHash<QByteArray, Figures> current = foldersByPath(now);
    std::vector<GrowthChange> changes;
    for (auto it = current.begin(); it != current.end(); ++it) {
        const auto was = old.constFind(it.key());
        if (was == old.end())
            changes.push_back({it->room, it->files, "new", it.key()});
        else if (was->room != it->room || was->files != it->files)
            changes.push_back({it->room - was->room, it->files - was->files, "", it.key()});
    }
    for (auto it = old.begin(); it != old.end(); ++it)
        if (!current.contains(it.key()))
            changes.push_back({-it->room, -it->files, "vanished", it.key()});
    // Largest growth first, ties by the path below the root; then the paths made whole.
    std::sort(changes.begin(), changes.end(), [](const GrowthChange& a, const GrowthChange& b) {
        if (a.room != b.room) return a.room > b.room;
        return a.path < b.path;
    });
    const QByteArray root = now.empty() ? QByteArray() : now.path(now.root());
    for (GrowthChange& c : changes)
        c.path = joined(root, c.path);
    return changes;
}

void writeGrowthReport(const SpaceTree& before, const SpaceTree& now, const LineWriter& line) {
    for (const GrowthChange& c : growthChanges(before, now))
        line(QByteArray::number(c.room) + '\t' + QByteArray::number(c.files) + '\t' + c.mark +
             '\t' + c.path);
}

}  // namespace rk
