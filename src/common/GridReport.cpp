#include "common/GridReport.h"

#include <QClipboard>
#include <QDateTime>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPrinter>
#include <algorithm>
#include <limits>

#include "common/Messages.h"
#include "common/ResultGrid.h"
#include "common/Services.h"
#include "common/TimeHelpers.h"
#include "common/WaitCursor.h"

namespace rk {

namespace {

const QString printFailure = QStringLiteral("Error printing report ... quitting");

}  // namespace

PrintStream::PrintStream(QPrinter& printer, const QFont& font) : printer_(printer), font_(font) {}

bool PrintStream::begin() {
    if (!painter_.begin(&printer_)) return false;
    painter_.setFont(font_);
    const QFontMetricsF metrics(font_, &printer_);
    page_ = printer_.pageLayout().paintRectPixels(printer_.resolution());
    lineHeight_ = metrics.lineSpacing();
    ascent_ = metrics.ascent();
    // The font is fixed-pitch, so a count of characters tells where a line must wrap.
    const double charWidth = metrics.horizontalAdvance(QLatin1Char('M'));
    charsPerLine_ = charWidth > 0 ? std::max<qsizetype>(1, qsizetype(page_.width() / charWidth))
                                  : std::numeric_limits<qsizetype>::max();
    y_ = 0;
    return ok();
}

bool PrintStream::ok() const {
    return painter_.isActive() && printer_.printerState() != QPrinter::Error &&
           printer_.printerState() != QPrinter::Aborted;
}

bool PrintStream::writeLine(const QString& line) {
    qsizetype from = 0;
    do {
        if (y_ > 0 && y_ + lineHeight_ > page_.height()) {
            if (!printer_.newPage()) return false;
            y_ = 0;
        }
        const QString piece = line.mid(from, charsPerLine_);
        if (!piece.isEmpty()) painter_.drawText(QPointF(0, y_ + ascent_), piece);
        y_ += lineHeight_;
        from += charsPerLine_;
    } while (from < line.size());
    return ok();
}

bool PrintStream::end() {
    if (!painter_.isActive()) return false;
    const bool fine = ok();
    return painter_.end() && fine;
}

QString gridReportLine(const ResultGrid& grid, int row) {
    QString line;
    for (int c = 0; c < grid.columnCount(); ++c) {
        line += grid.cell(c, row).leftJustified(std::max(grid.columnWidth(c), 0) / 6);
        line += QLatin1Char(' ');
    }
    return line;
}

bool printGridReport(QPrinter& printer, const ResultGrid& grid, const QString& title) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    PrintStream out(printer, font);
    const QDateTime now = QDateTime::currentDateTime();
    const QString printed =
        QStringLiteral("Printed : ") + textLocale().toString(now.date(), shortDateFormat()) +
        QStringLiteral("  ") + textLocale().toString(now.time(), longTimeFormat());
    if (!out.begin() || !out.writeLine(title) || !out.writeLine(printed)) {
        out.end();
        ShowMessage(MessageKind::Error, printFailure);
        return false;
    }
    WaitCursor wait;
    bool fine = out.writeLine({}) && out.writeLine({});
    for (int r = 0; fine && r < grid.rowCount(); ++r)
        fine = out.writeLine(gridReportLine(grid, r));
    // What was printed so far still makes a job.
    fine = out.end() && fine;
    wait.restore();
    if (!fine) ShowMessage(MessageKind::Error, printFailure);
    return fine;
}

bool PrintGridReport(const ResultGrid& grid, const QString& title) {
    QPrinter printer(QPrinter::HighResolution);
    if (!dialogs().choosePrinter(printer)) return false;
    return printGridReport(printer, grid, title);
}

void CopyListToClipboard(const QStringList& lines) {
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 1;
    QString text;
    text.reserve(size);
    for (const QString& line : lines) {
        text += line;
        text += QLatin1Char('\n');
    }
    QGuiApplication::clipboard()->setText(text);
}

}  // namespace rk
