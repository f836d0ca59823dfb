#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace rk {

class ResultGrid;

// The text of the printed grid report; the printing itself is in ui/ReportOutput.h.

// One report row as its fields: each cell left-aligned, padded to its column's width / 6
// characters and followed by a blank, so that a cell longer than its column (written whole)
// still stands apart from the next.
[[nodiscard]] QStringList gridReportFields(const ResultGrid& grid, int row);
// The column titles as the report's first row, padded the same way.
[[nodiscard]] QStringList gridReportTitles(const ResultGrid& grid);

// Splits a line given as its fields into lines of at most width characters, breaking only
// between fields; each continuation starts with indent blanks. A field too wide for a line of
// its own is broken at its last blank that fits, or cut where none does. Trailing blanks are
// dropped; a line of nothing but blanks gives one empty line.
[[nodiscard]] QStringList wrapReportFields(const QStringList& fields, qsizetype width,
                                           qsizetype indent);
// A line of words wrapped the same way, breaking only at blanks.
[[nodiscard]] QStringList wrapReportText(const QString& text, qsizetype width, qsizetype indent);

// "Printed : " with the date in the short date format and the time in the long time format.
[[nodiscard]] QString reportPrintedLine(const QDateTime& when);

// How far a continued line of the report is indented.
constexpr qsizetype reportIndent = 4;

}  // namespace rk
