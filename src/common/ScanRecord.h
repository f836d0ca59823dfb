#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

namespace rk {

// One line a scan lists: the tab-separated record the grid shows and the clipboard copies.
// A scan may list millions, so the exact path is kept only where the record does not show it
// as it is (names that are not UTF-8, or that hold a tab or a line break).
struct ScanRecord {
    QByteArray text;       // UTF-8
    QByteArray exactPath;  // empty when the record's text gives the path
    std::int64_t kilobytes = 0;
};

// Byte order with ASCII letters upper-cased: the order of the program's sorted lists, in
// which blanks come before digits and letters and equal keys end up next to each other.
[[nodiscard]] int compareFolded(QByteArrayView a, QByteArrayView b);

// Largest first by the number of K, then by the rest of the record, descending.
void rankLargestFirst(std::vector<ScanRecord>& records);

// How a name or path is shown in a record: tabs and line breaks, which would break the
// record, and undecodable bytes are replaced.
[[nodiscard]] QString recordText(const QByteArray& bytes);
// Whether the record text of these bytes gives them back exactly.
[[nodiscard]] bool recordShowsExactly(const QByteArray& bytes, const QString& text);

}  // namespace rk
