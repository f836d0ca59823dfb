#include <gtest/gtest.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPalette>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>

#include "common/ResultGrid.h"
#include "support/ScriptedDialogs.h"
#include "support/TestServices.h"
#include "ui/ReportOutput.h"

namespace rk {
namespace {

using test::scriptedDialogs;

struct Printed {
    int pages = 0;
    QStringList lines;  // of every page in turn, blanks where the printer left them
};

// Reads a printed report back from the PDF: pdftotext gives each word's box, and as the font
// is fixed-pitch the boxes give each word's line and column exactly.
Printed readBack(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression token(
        QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    struct Word {
        int page;
        double x, y, width, height;
        QString text;
    };
    std::vector<Word> words;
    int pages = 0;
    for (const QRegularExpressionMatch& m : token.globalMatch(html)) {
        if (m.captured(0) == QLatin1String("<page ")) {
            ++pages;
            continue;
        }
        QString text = m.captured(5);
        text.replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        const double x = m.captured(1).toDouble(), y = m.captured(2).toDouble();
        words.push_back(
            {pages, x, y, m.captured(3).toDouble() - x, m.captured(4).toDouble() - y, text});
    }
    Printed out;
    out.pages = pages;
    if (words.empty()) return out;
    double left = words[0].x, charWidth = 0;
    std::size_t longest = 0;
    for (const Word& w : words) {
        left = std::min(left, w.x);
        if (std::size_t(w.text.size()) > longest) {
            longest = std::size_t(w.text.size());
            charWidth = w.width / double(w.text.size());
        }
    }
    int page = 0;
    double top = 0;
    qsizetype first = 0;
    for (const Word& w : words) {
        if (w.page != page) {
            page = w.page;
            top = w.y;
            first = out.lines.size();
        }
        const qsizetype line = first + qRound((w.y - top) / w.height);
        while (out.lines.size() <= line)
            out.lines.append(QString());
        QString& l = out.lines[line];
        const qsizetype column = qRound((w.x - left) / charWidth);
        if (l.size() < column) l = l.leftJustified(column);
        l = l.left(column) + w.text + l.mid(column + w.text.size());
    }
    return out;
}

class GridReport : public ::testing::Test {
protected:
    QString pdf() const { return dir.filePath(QStringLiteral("report.pdf")); }
    QTemporaryDir dir;
    test::TestServices installed;
};

TEST_F(GridReport, PrintsTitleDateAndEveryRowPadded) {
    ResultGrid grid;
    // 60 pixels pad to 10 characters and a blank; under 6 pixels only the blank is added.
    grid.setColumns({"Size", "N", "Name"}, {60, 5, 90});
    grid.addRecord(QStringLiteral("  12 K\tx\tfirst.txt"));
    grid.addRecord(QStringLiteral("a longer text than ten\ty\tsecond.txt"));
    scriptedDialogs().printTo(pdf());
    ASSERT_TRUE(
        PrintGridReport(installed.services(), grid, QStringLiteral("File Hogs larger than 250KB")));
    EXPECT_TRUE(scriptedDialogs().asked.empty());

    const QStringList lines = readBack(pdf()).lines;
    ASSERT_GE(lines.size(), 7);
    EXPECT_EQ(lines[0], "File Hogs larger than 250KB");
    static const QRegularExpression printed(
        QStringLiteral("^Printed : \\d{1,2}/\\d{1,2}/\\d\\d  \\d{1,2}:\\d\\d:\\d\\d [AP]M$"));
    EXPECT_TRUE(printed.match(lines[1]).hasMatch()) << lines[1].toStdString();
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "Size       N Name");
    EXPECT_EQ(lines[5], "  12 K     x first.txt");
    EXPECT_EQ(lines[6], "a longer text than ten y second.txt");
}

TEST_F(GridReport, BreaksPagesAndWrapsLongLines) {
    ResultGrid grid;
    grid.setColumns({"Line", "Text"}, {60, 6});
    const QString wide = QString(300, QLatin1Char('w')) + QStringLiteral("END");
    for (int i = 1; i <= 150; ++i)
        grid.addRecord(
            QStringLiteral("row%1\t%2").arg(i).arg(i == 75 ? wide : QStringLiteral("t")));
    grid.trim(grid.rowsFilled());
    scriptedDialogs().printTo(pdf());
    ASSERT_TRUE(PrintGridReport(installed.services(), grid, QStringLiteral("Long")));

    const Printed printed = readBack(pdf());
    EXPECT_GE(printed.pages, 2);
    const QStringList& lines = printed.lines;
    // Every row arrives once and in order, whatever the number of lines on a page.
    int next = 1;
    for (const QString& l : lines)
        if ((l + QLatin1Char(' ')).startsWith(QStringLiteral("row%1 ").arg(next))) ++next;
    EXPECT_EQ(next, 151);
    // The wide field is cut in its middle to fit its line, its end kept.
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^row75 +w+\u2026w+END$"))).size(), 1);
}

TEST_F(GridReport, ColumnsFitInsideMarginsWithTheLongestTextCut) {
    ResultGrid grid;
    grid.setColumns({"Filename", "Size in K", "Folder", "Type"}, {93, 54, 500, 0});
    const QString deep = QStringLiteral("/home/user/projects") +
                         QStringLiteral("/a-rather-long-folder-name").repeated(6) +
                         QStringLiteral("/last");
    grid.addRecord(QStringLiteral("readme.txt\t300 K\t/home/user\tplain text document"));
    grid.addRecord(QStringLiteral("notes.txt\t12 K\t") + deep +
                   QStringLiteral("\tplain text document"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(pdf());
    printer.setPageMargins(QMarginsF(), QPageLayout::Millimeter);
    ASSERT_TRUE(printGridReport(installed.services(), printer, grid, QStringLiteral("Files")));
    const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Millimeter);
    EXPECT_GE(std::min({margins.left(), margins.top(), margins.right(), margins.bottom()}), 14.99);
    // Titles and rows each on one line, the type in one column; the long path cut between
    // its first and last names.
    const QStringList lines = readBack(pdf()).lines;
    ASSERT_EQ(lines.size(), 7);
    for (int i : {5, 6})
        EXPECT_EQ(lines[i].indexOf("plain text document"), lines[4].indexOf("Type")) << i;
    static const QRegularExpression cut(
        QStringLiteral(" /home/user/proj[^ ]*\u2026[^ ]*name/last "));
    EXPECT_TRUE(cut.match(lines[6]).hasMatch()) << lines[6].toStdString();
}

TEST_F(GridReport, ARowWiderThanThePageBreaksBetweenFields) {
    ResultGrid grid;
    grid.setColumns({"Size", "Latest File Access", "Name", "A", "B", "C", "D", "E", "F", "G"},
                    {60, 90, 60, 90, 90, 90, 90, 90, 90, 90});
    QStringList record = {"  12 K", "12/31/99", "first"};
    for (int i = 1; i <= 7; ++i)
        record.append(QStringLiteral("raw CD image %1").arg(i));
    grid.addRecord(record.join(QLatin1Char('\t')));
    scriptedDialogs().printTo(pdf());
    ASSERT_TRUE(PrintGridReport(installed.services(), grid, QStringLiteral("Folder Hogs")));

    const QStringList lines = readBack(pdf()).lines;
    ASSERT_GE(lines.size(), 7);
    EXPECT_TRUE(lines[4].startsWith("Size       Latest File Access Name       A"))
        << lines[4].toStdString();
    // The data row: whole fields on each line, the continuations indented.
    qsizetype at = 5;
    while (at < lines.size() && !lines[at].startsWith(QStringLiteral("  12 K")))
        ++at;
    const QStringList row = lines.mid(at);
    ASSERT_GE(row.size(), 2);
    EXPECT_TRUE(row[0].startsWith("  12 K     12/31/99        first      raw CD image 1"));
    for (qsizetype i = 1; i < row.size(); ++i)
        EXPECT_TRUE(row[i].startsWith(QStringLiteral("    raw CD image "))) << row[i].toStdString();
    for (qsizetype i = 3; i < record.size(); ++i)
        EXPECT_EQ(row.filter(record[i]).size(), 1) << record[i].toStdString();
}

TEST_F(GridReport, SaysSoWhenThePrinterFailsAndNothingWhenCancelled) {
    const test::TestPlatform& quiet = installed.platform();
    ResultGrid grid;
    grid.setColumns({"A"});
    scriptedDialogs().printTo(QStringLiteral("/no such folder/report.pdf"));
    EXPECT_FALSE(PrintGridReport(installed.services(), grid, QStringLiteral("T")));
    ASSERT_EQ(scriptedDialogs().asked.size(), 1u);
    EXPECT_EQ(scriptedDialogs().asked[0].text, "Error printing report ... quitting");
    EXPECT_EQ(scriptedDialogs().asked[0].kind, MessageKind::Error);
    EXPECT_EQ(quiet.beeps, 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    scriptedDialogs().clear();
    scriptedDialogs().printTo(QString());
    EXPECT_FALSE(PrintGridReport(installed.services(), grid, QStringLiteral("T")));
    EXPECT_TRUE(scriptedDialogs().asked.empty());
}

// A window wider than the page is printed whole, shrunk, and off the paper's edges.
TEST_F(GridReport, AWindowPictureFitsInsideTheMargins) {
    QWidget window;
    window.resize(3000, 400);
    window.setAutoFillBackground(true);
    QPalette red = window.palette();
    red.setColor(QPalette::Window, Qt::red);
    window.setPalette(red);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(pdf());
    printer.setPageMargins(QMarginsF(), QPageLayout::Millimeter);
    ASSERT_TRUE(printWindowImage(installed.services(), printer, window));
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                  QStringLiteral("-singlefile"), pdf(), dir.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(render.waitForFinished(30000));
    const QImage page(dir.filePath(QStringLiteral("page.png")));
    ASSERT_FALSE(page.isNull());
    const int edge = qRound(14.0 / 25.4 * 50);  // just inside 15 mm
    int redLeft = page.width(), redRight = -1, redTop = page.height();
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (QColor(page.pixel(x, y)).red() > 200 && QColor(page.pixel(x, y)).green() < 60) {
                redLeft = std::min(redLeft, x);
                redRight = std::max(redRight, x);
                redTop = std::min(redTop, y);
            }
    ASSERT_GE(redRight, 0) << "the window was not printed";
    EXPECT_GE(redLeft, edge);
    EXPECT_GE(redTop, edge);
    EXPECT_LE(redRight, page.width() - edge);
    EXPECT_GT(redRight - redLeft, page.width() / 2);  // shrunk to the page, not cut
}

TEST(CopyListToClipboard, EndsEveryLineWithANewline) {
    CopyListToClipboard({QStringLiteral("a\tb"), QStringLiteral("c\td")});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "a\tb\nc\td\n");
    CopyListToClipboard({});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "");
}

}  // namespace
}  // namespace rk
