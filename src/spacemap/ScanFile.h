#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

#include "spacemap/SpaceTree.h"

namespace rk {

// Scans that travel: a SpaceTree written to and read from the JSON export format of the
// common terminal disk-usage tools (a top array of format version, metadata and the root
// folder; a folder is an array of its own entry followed by its entries). Names are written
// as their exact bytes, only quote, backslash and control characters escaped, so a name that
// is no valid UTF-8 goes through unchanged; the reader takes such bytes back as they stand.

// The export of the whole tree. Entries deleted since the scan are left out.
[[nodiscard]] QByteArray exportScan(const SpaceTree& tree, const QString& programVersion,
                                    std::int64_t timestamp);

struct ImportedScan {
    SpaceTree tree;
    QString error;               // empty when the file was read
    std::int64_t timestamp = 0;  // when the scan was made, where the file says
};

// Reads an export into a tree, counting room as a scan does (hard links once, in the order a
// scan meets them). A file that is not such an export gives an error and an empty tree.
[[nodiscard]] ImportedScan importScan(const QByteArray& data);
// The same from a file; its error says what was wrong with the file, named as the user sees it.
[[nodiscard]] ImportedScan readScanFile(const QByteArray& path);

}  // namespace rk
