#pragma once

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace rk {

class ResultGrid;
class Services;

// Lines of text sent to a printer in one font: a new page when the next line does not fit,
// and a line wider than the page continued on the next printed line. Each run of characters
// is drawn at its own character column, so the columns and the blanks between them hold
// even where the font the system gives is not fixed-pitch after all.
class PrintStream {
public:
    PrintStream(QPrinter& printer, const QFont& font);
    // Starts the print job; false when the printer cannot be opened.
    [[nodiscard]] bool begin();
    // How many characters a line holds; known once begun.
    [[nodiscard]] qsizetype charsPerLine() const { return charsPerLine_; }
    [[nodiscard]] bool writeLine(const QString& line);
    // Ends the job; false when the printer reports an error.
    bool end();

private:
    [[nodiscard]] bool ok() const;
    void drawPiece(QStringView piece);

    QPrinter& printer_;
    QFont font_;
    QPainter painter_;
    QRectF page_;
    double lineHeight_ = 0;
    double ascent_ = 0;
    double charWidth_ = 0;
    qsizetype charsPerLine_ = 1;
    double y_ = 0;
};

// Asks for a printer (the print dialog) and prints the grid under the title: the title line,
// "Printed : " with the date and time, two empty lines, then every row, the titles first,
// inside margins of at least 15 mm. Rows wider than the page are fitted by cutting the longest
// column (ReportFit); a row that still does not fit goes on below, broken between fields and
// indented.
// Returns false when the user cancelled or printing failed (the user has been told).
bool PrintGridReport(const Services& services, const ResultGrid& grid, const QString& title);
// The same on a printer already chosen.
bool printGridReport(const Services& services, QPrinter& printer, const ResultGrid& grid,
                     const QString& title);

// Asks for a printer (the print dialog) and prints an image of the window as it is showing at
// the top left of one page, scaled by the printer's dots per inch over the window's. Returns
// false when the user cancelled or printing failed (the user has been told).
bool PrintWindowImage(const Services& services, QWidget& window);
// The same on a printer already chosen.
bool printWindowImage(const Services& services, QPrinter& printer, QWidget& window);

// Puts the lines on the clipboard as plain text, each followed by "\n".
void CopyListToClipboard(const QStringList& lines);

}  // namespace rk
