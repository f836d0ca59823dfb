#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPrinter;

namespace rk {

class ResultGrid;

// Lines of text sent to a printer in one font: a new page when the next line does not fit,
// and a line wider than the page continued on the next printed line.
class PrintStream {
public:
    PrintStream(QPrinter& printer, const QFont& font);
    // Starts the print job; false when the printer cannot be opened.
    [[nodiscard]] bool begin();
    [[nodiscard]] bool writeLine(const QString& line);
    // Ends the job; false when the printer reports an error.
    bool end();

private:
    [[nodiscard]] bool ok() const;

    QPrinter& printer_;
    QFont font_;
    QPainter painter_;
    QRectF page_;
    double lineHeight_ = 0;
    double ascent_ = 0;
    qsizetype charsPerLine_ = 1;
    double y_ = 0;
};

// Asks for a printer (the print dialog) and prints the grid under the title: the title line,
// "Printed : " with the date and time, two empty lines, then every row, the titles first.
// Returns false when the user cancelled or printing failed (the user has been told).
bool PrintGridReport(const ResultGrid& grid, const QString& title);
// The same on a printer already chosen.
bool printGridReport(QPrinter& printer, const ResultGrid& grid, const QString& title);
// One report line: each cell padded to its column's width / 6 characters, then a blank.
[[nodiscard]] QString gridReportLine(const ResultGrid& grid, int row);

// Puts the lines on the clipboard as plain text, each followed by "\n".
void CopyListToClipboard(const QStringList& lines);

}  // namespace rk
