#include "ui/ReportOutput.h"

#include <QClipboard>
#include <QDateTime>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QWidget>
#include <algorithm>
#include <limits>

#include "common/GridReport.h"
#include "common/ResultGrid.h"
#include "ui/Services.h"
#include "ui/WaitCursor.h"

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
    // The widest letter sets the column pitch, so no run overlaps the next column.
    charWidth_ = std::max(metrics.horizontalAdvance(QLatin1Char('M')),
                          metrics.horizontalAdvance(QLatin1Char('W')));
    charsPerLine_ = charWidth_ > 0 ? std::max<qsizetype>(1, qsizetype(page_.width() / charWidth_))
                                   : std::numeric_limits<qsizetype>::max();
    y_ = 0;
    return ok();
}

bool PrintStream::ok() const {
    return painter_.isActive() && printer_.printerState() != QPrinter::Error &&
           printer_.printerState() != QPrinter::Aborted;
}

void PrintStream::drawPiece(QStringView piece) {
    qsizetype from = 0;
    while (from < piece.size()) {
        while (from < piece.size() && piece[from] == QLatin1Char(' '))
            ++from;
        qsizetype to = from;
        while (to < piece.size() && piece[to] != QLatin1Char(' '))
            ++to;
        if (to > from)
            painter_.drawText(QPointF(double(from) * charWidth_, y_ + ascent_),
                              piece.mid(from, to - from).toString());
        from = to;
    }
}

bool PrintStream::writeLine(const QString& line) {
    qsizetype from = 0;
    do {
        if (y_ > 0 && y_ + lineHeight_ > page_.height()) {
            if (!printer_.newPage()) return false;
            y_ = 0;
        }
        drawPiece(QStringView(line).mid(from, charsPerLine_));
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

namespace {

// Paper is held at its edges and printers cannot reach them: never closer than 15 mm.
void keepOffTheEdges(QPrinter& printer) {
    const QMarginsF given = printer.pageLayout().margins(QPageLayout::Millimeter);
    printer.setPageMargins(QMarginsF(std::max(given.left(), 15.0), std::max(given.top(), 15.0),
                                     std::max(given.right(), 15.0), std::max(given.bottom(), 15.0)),
                           QPageLayout::Millimeter);
}

}  // namespace

bool printGridReport(const Services& services, QPrinter& printer, const ResultGrid& grid,
                     const QString& title) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    keepOffTheEdges(printer);
    PrintStream out(printer, font);
    const auto writeAll = [&out](const QStringList& lines) {
        return std::all_of(lines.begin(), lines.end(),
                           [&out](const QString& l) { return out.writeLine(l); });
    };
    if (!out.begin() || !writeAll(wrapReportText(title, out.charsPerLine(), reportIndent)) ||
        !writeAll(wrapReportText(reportPrintedLine(QDateTime::currentDateTime()),
                                 out.charsPerLine(), reportIndent))) {
        out.end();
        services.showMessage(MessageKind::Error, printFailure);
        return false;
    }
    WaitCursor wait;
    ReportFit fit;
    fit.measure(gridReportTitles(grid));
    for (int r = 0; r < grid.rowCount(); ++r)
        fit.measure(gridReportFields(grid, r));
    fit.fitTo(out.charsPerLine());
    bool fine = out.writeLine({}) && out.writeLine({}) &&
                writeAll(wrapReportFields(fit.apply(gridReportTitles(grid)), out.charsPerLine(),
                                          reportIndent));
    for (int r = 0; fine && r < grid.rowCount(); ++r)
        fine = writeAll(wrapReportFields(fit.apply(gridReportFields(grid, r)), out.charsPerLine(),
                                         reportIndent));
    // What was printed so far still makes a job.
    fine = out.end() && fine;
    wait.restore();
    if (!fine) services.showMessage(MessageKind::Error, printFailure);
    return fine;
}

bool PrintGridReport(const Services& services, const ResultGrid& grid, const QString& title) {
    QPrinter printer(QPrinter::HighResolution);
    if (!services.dialogs().choosePrinter(printer)) return false;
    return printGridReport(services, printer, grid, title);
}

bool printWindowImage(const Services& services, QPrinter& printer, QWidget& window) {
    // Drawn through an image, so the page is what the window shows, pixel for pixel.
    const qreal ratio = window.devicePixelRatioF();
    QImage image(window.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    window.render(&image);
    keepOffTheEdges(printer);
    QPainter painter;
    if (!painter.begin(&printer)) {
        services.showMessage(MessageKind::Error, printFailure);
        return false;
    }
    // As large as the window is on the screen, smaller where the page holds no more.
    QSizeF size(window.width() * printer.resolution() / double(window.logicalDpiX()),
                window.height() * printer.resolution() / double(window.logicalDpiY()));
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    if (size.width() > page.width() || size.height() > page.height())
        size.scale(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRectF(QPointF(), size), image);
    const bool fine = painter.end() && printer.printerState() != QPrinter::Error &&
                      printer.printerState() != QPrinter::Aborted;
    if (!fine) services.showMessage(MessageKind::Error, printFailure);
    return fine;
}

bool PrintWindowImage(const Services& services, QWidget& window) {
    QPrinter printer(QPrinter::HighResolution);
    if (!services.dialogs().choosePrinter(printer)) return false;
    return printWindowImage(services, printer, window);
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
