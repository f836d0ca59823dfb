#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <cstdint>

namespace rk {

class ResultGrid;

enum class SortKind { Text, Number, Date, Size };

// Sort the rows firstRow..lastRow of the grid by the cells of one column, ascending or
// descending; whole rows move with their marks, paths and rewritten cells, and nothing
// outside the range does. Rows of equal keys keep their order.
// Text: ASCII letters upper-cased, then byte order. Number: numberKey. Date: dateKey.
void SortGridByText(ResultGrid& grid, int firstRow, int lastRow, bool descending, int column);
void SortGridByNumber(ResultGrid& grid, int firstRow, int lastRow, bool descending, int column);
void SortGridByDate(ResultGrid& grid, int firstRow, int lastRow, bool descending, int column);
// Size columns ("1,048,576 K"): by the leading whole number; a cell that starts with no
// digit (DELETED, RECYCLED) stands above every size.
void SortGridBySize(ResultGrid& grid, int firstRow, int lastRow, bool descending, int column);
void SortGrid(ResultGrid& grid, SortKind kind, int firstRow, int lastRow, bool descending,
              int column);

// The cell read as a number once every "," is gone ("1,234", "-2.5", "1e3", blanks around);
// 0 for anything else, "12 K" and the empty text included.
[[nodiscard]] double numberKey(const QString& text);
// The leading whole number of a size cell, "," ignored; the largest value for a cell that
// starts with no digit.
[[nodiscard]] std::int64_t sizeKey(QByteArrayView cell);
// The cell read as a short date; 1 January 1900 when empty or unreadable (a time included).
[[nodiscard]] QDate dateKey(const QString& text);

}  // namespace rk
