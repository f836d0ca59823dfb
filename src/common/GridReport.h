#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

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

// Fits the report's rows to a line: where some row is wider than the line, the column with
// the longest text is narrowed to the room the other columns leave, and its longer texts are
// cut in the middle with an ellipsis, so that each row keeps to one line. Where that would
// leave the column too narrow to read, nothing is cut and a wide row wraps instead.
class ReportFit {
public:
    // Every row's fields, before fitTo.
    void measure(const QStringList& fields);
    void fitTo(qsizetype width);
    // A row's fields as fitted.
    [[nodiscard]] QStringList apply(QStringList fields) const;

private:
    std::vector<qsizetype> widest_;   // of each column: the widest field, padding and blank in
    std::vector<qsizetype> longest_;  // of each column: the longest text
    int column_ = -1;                 // the narrowed column, if any
    qsizetype keep_ = 0;              // how many characters of its texts are printed
};

// "Printed : " with the date in the short date format and the time in the long time format.
[[nodiscard]] QString reportPrintedLine(const QDateTime& when);

// How far a continued line of the report is indented.
constexpr qsizetype reportIndent = 4;

}  // namespace rk
