#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <utility>

#include "TempTree.h"

namespace rk::test {

// A file of `length` zeros of which only the given extents (offset, size) are written: the
// rest is a hole that takes no room on disk. Flushed, so its blocks are counted at once.
// Written whole, it has the contents of a sparse file of that length, and takes its room.
QByteArray writeSparse(const TempTree& tree, const QByteArray& relative, std::int64_t length,
                       const QList<std::pair<std::int64_t, std::int64_t>>& extents);

// The room du gives the files together, a file of several hard links once
// (du --block-size=1 -c).
[[nodiscard]] std::int64_t duBytes(const QList<QByteArray>& paths);

// A tree whose room and length part ways: sparse disk images (one written in two places,
// one never written), files smaller than a block, and hard links within one folder and
// across two. Returns the regular files' paths, every link's name included.
QList<QByteArray> makeRoomTree(const TempTree& tree);

// A file of `length` that takes room for all of it, as an ordinary file does.
inline QByteArray writeWhole(const TempTree& tree, const QByteArray& relative,
                             std::int64_t length) {
    return writeSparse(tree, relative, length, {{0, length}});
}

}  // namespace rk::test
