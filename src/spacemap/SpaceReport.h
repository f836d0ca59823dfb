#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <functional>
#include <vector>

#include "spacemap/SpaceTree.h"

namespace rk {

using LineWriter = std::function<void(QByteArrayView)>;

// One line per folder, down to maxDepth below the root (0 the root alone; below 0 all): room in
// bytes, files and folders of its whole subtree, and its exact path last, tab-separated. A
// folder's sub-folders follow it, largest first. A folder that could not be read is listed
// with what is known of it.
void writeTreeReport(const SpaceTree& tree, int maxDepth, const LineWriter& line);

// What changed between an earlier scan and now, per folder matched by its path below the
// root (so a scan made elsewhere, of the same tree under another path, compares): the change
// in room (bytes) and in files, "new" or "vanished" where the folder is only in one of the two
// (else nothing), and the path last; largest growth first. Folders that did not change are
// left out. A path is the current tree's, a vanished folder's under the current root.
void writeGrowthReport(const SpaceTree& before, const SpaceTree& now, const LineWriter& line);

// The same changes as data, in the report's order, for a window to show.
struct GrowthChange {
    std::int64_t room;
    std::int64_t files;
    const char* mark;  // "new", "vanished" or ""
    QByteArray path;
};
[[nodiscard]] std::vector<GrowthChange> growthChanges(const SpaceTree& before,
                                                      const SpaceTree& now);

}  // namespace rk
