#include <gtest/gtest.h>
#include <QRandomGenerator>
#include <algorithm>
#include <limits>

#include "common/GridSort.h"
#include "common/ResultGrid.h"
#include "common/TextHelpers.h"

namespace rk {
namespace {

// A grid of one-column records, trimmed to them.
void fill(ResultGrid& grid, const QStringList& cells) {
    grid.setColumns({"Key", "Other"});
    for (const QString& c : cells)
        grid.addRecord(c + QStringLiteral("\t") + c);
    grid.trim(grid.rowsFilled());
}

QStringList column(const ResultGrid& grid, int c = 0) {
    QStringList texts;
    for (int r = 0; r < grid.rowCount(); ++r)
        texts.append(grid.cell(c, r));
    return texts;
}

void sortAll(ResultGrid& grid, SortKind kind, bool descending, int c = 0) {
    SortGrid(grid, kind, 0, grid.rowCount() - 1, descending, c);
}

TEST(SortGridByText, IgnoresCaseAndComparesBytes) {
    ResultGrid grid;
    fill(grid, {"cherry", "apple", "Banana"});
    sortAll(grid, SortKind::Text, false);
    EXPECT_EQ(column(grid), QStringList({"apple", "Banana", "cherry"}));
    sortAll(grid, SortKind::Text, true);
    EXPECT_EQ(column(grid), QStringList({"cherry", "Banana", "apple"}));

    // Upper-casing puts letters before "_"; a beginning before the longer text; letters
    // beyond ASCII after Z; blanks first, as the padded size texts need.
    ResultGrid more;
    fill(more, {"_x", "Éclair", "ab", "a", "zed", "  12 K", "    3 K", "longer than eight a",
                "longer than eight"});
    sortAll(more, SortKind::Text, false);
    EXPECT_EQ(column(more), QStringList({"    3 K", "  12 K", "a", "ab", "longer than eight",
                                         "longer than eight a", "zed", "_x", "Éclair"}));
}

TEST(SortGridByText, AgreesWithAPlainSortOnLongSharedBeginnings) {
    // Paths that share long beginnings, repeat, and end inside one another, as a file
    // list has them; compared with the plainest stable sort on the upper-cased bytes.
    QRandomGenerator random(7);
    QStringList cells;
    const QString base = QStringLiteral("/home/user/Projects/roomkin/");
    for (int i = 0; i < 6000; ++i) {
        QString cell = base;
        for (int n = random.bounded(0, 30); n > 0; --n)
            cell += QLatin1Char("aAbB/_ é"[random.bounded(8)]);
        cells.append(cell);
    }
    ResultGrid grid;
    fill(grid, cells);
    std::vector<std::pair<QByteArray, QString>> expected;
    for (const QString& c : cells)
        expected.emplace_back(asciiUpper(c).toUtf8(), c);
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    sortAll(grid, SortKind::Text, false);
    QStringList want;
    for (const auto& e : expected)
        want.append(e.second);
    EXPECT_EQ(column(grid), want);
}

TEST(SortGridByNumber, ReadsThousandsAndCountsTheUnreadableAsZero) {
    ResultGrid grid;
    fill(grid, {"999", "", "1,234"});
    sortAll(grid, SortKind::Number, true);
    EXPECT_EQ(column(grid), QStringList({"1,234", "999", ""}));

    EXPECT_EQ(numberKey(QStringLiteral("12 K")), 0);
    EXPECT_EQ(numberKey(QStringLiteral(" 4,398,046,511,104 ")), 4398046511104.0);
    EXPECT_EQ(numberKey(QStringLiteral("-7")), -7);
    EXPECT_EQ(numberKey(QStringLiteral("2.5")), 2.5);
    EXPECT_EQ(numberKey(QStringLiteral("1e3")), 1000);
    EXPECT_EQ(numberKey(QStringLiteral("nan")), 0);  // would break the order otherwise
    EXPECT_EQ(numberKey(QStringLiteral("1,2,3")), 123);

    ResultGrid mixed;
    fill(mixed, {"12 K", "-7", "nan", "2.5", "1e3"});
    sortAll(mixed, SortKind::Number, false);
    EXPECT_EQ(column(mixed), QStringList({"-7", "12 K", "nan", "2.5", "1e3"}));
}

TEST(SortGridBySize, ReadsTheLeadingNumberAndPutsWordsAboveSizes) {
    ResultGrid grid;
    fill(grid, {"  204800 K", "1048576 K", "    999 K", "DELETED", "   12345 K", "RECYCLED"});
    sortAll(grid, SortKind::Size, true);
    EXPECT_EQ(column(grid), QStringList({"DELETED", "RECYCLED", "1048576 K", "  204800 K",
                                         "   12345 K", "    999 K"}));
    EXPECT_EQ(sizeKey("1,048,576 K"), 1048576);
    EXPECT_EQ(sizeKey(""), std::numeric_limits<std::int64_t>::max());
}

TEST(SortGridByDate, PutsEmptyAndUnreadableFirstAndReadsTwoDigitYears) {
    ResultGrid grid;
    fill(grid, {"1/1/05", "12/31/98", "", "12/31/98 11:59:58 PM", "2/3/26"});
    sortAll(grid, SortKind::Date, false);
    EXPECT_EQ(column(grid),
              QStringList({"", "12/31/98 11:59:58 PM", "12/31/98", "1/1/05", "2/3/26"}));
    EXPECT_EQ(dateKey(QString()), QDate(1900, 1, 1));
    EXPECT_EQ(dateKey(QStringLiteral("13/45/99")), QDate(1900, 1, 1));
    EXPECT_EQ(dateKey(QStringLiteral("12/31/98")), QDate(1998, 12, 31));
    sortAll(grid, SortKind::Date, true);
    EXPECT_EQ(column(grid).first(), "2/3/26");
}

TEST(SortGrid, MovesWholeRowsAndNothingOutsideTheRange) {
    ResultGrid grid;
    grid.setColumns({"Name", "Size"});
    grid.addRecord(QStringLiteral("d\t4"), "/d");
    grid.addRecord(QStringLiteral("c\t3"), "/c");
    grid.addRecord(QStringLiteral("b\t2"), "/b");
    grid.addRecord(QStringLiteral("a\t1"), "/a");
    grid.trim(grid.rowsFilled());
    grid.setMark(1, 0, true);                   // c
    grid.setCell(1, 2, QStringLiteral("2.0"));  // b
    SortGridByText(grid, 1, 3, false, 0);
    EXPECT_EQ(column(grid), QStringList({"d", "a", "b", "c"}));
    EXPECT_TRUE(grid.isMarked(0, 3));
    EXPECT_FALSE(grid.isMarked(1));
    EXPECT_EQ(grid.cell(1, 2), "2.0");
    EXPECT_EQ(grid.pathOf(2), "/b");
    EXPECT_EQ(grid.pathOf(3), "/c");

    // Ranges are clipped to the rows.
    SortGridByNumber(grid, -1, 99, false, 1);
    EXPECT_EQ(column(grid), QStringList({"a", "b", "c", "d"}));
    SortGridByNumber(grid, 0, 3, false, 7);  // no such column: nothing happens
    EXPECT_EQ(column(grid), QStringList({"a", "b", "c", "d"}));
}

TEST(SortGrid, LeavesASingleRowAndKeepsTiesInOrder) {
    ResultGrid one;
    fill(one, {"only"});
    sortAll(one, SortKind::Text, true);
    EXPECT_EQ(column(one), QStringList{"only"});
    EXPECT_EQ(one.rowCount(), 1);

    ResultGrid ties;
    ties.setColumns({"Size", "Name"});
    for (const char* r : {"1\ta", "2\tb", "1\tc", "2\td", "1\te"})
        ties.addRecord(QString::fromLatin1(r));
    ties.trim(ties.rowsFilled());
    sortAll(ties, SortKind::Number, true);
    EXPECT_EQ(column(ties, 1), QStringList({"b", "d", "a", "c", "e"}));
}

TEST(SortGrid, SortsMoreRowsThanSixteenBitsCanNumber) {
    ResultGrid grid;
    grid.setColumns({"Size", "Name"});
    const int rows = 70000;
    for (int i = 0; i < rows; ++i) {
        const int n = (i * 7919) % rows;  // every number once, in scrambled order
        grid.addRecord(QStringLiteral("%1\tf%2").arg(n).arg(n));
    }
    grid.trim(grid.rowsFilled());
    grid.setMark(rows - 1, 1, true);
    const QString markedName = grid.cell(1, rows - 1);
    SortGridByNumber(grid, 0, grid.rowCount() - 1, true, 0);
    ASSERT_EQ(grid.rowCount(), rows);
    for (int r = 0; r < rows; ++r)
        ASSERT_EQ(grid.cell(0, r), QString::number(rows - 1 - r));
    const int markedRow = rows - 1 - markedName.mid(1).toInt();
    EXPECT_TRUE(grid.isMarked(1, markedRow));
    SortGridByText(grid, 0, grid.rowCount() - 1, false, 1);
    EXPECT_EQ(grid.cell(1, 0), "f0");
    EXPECT_EQ(grid.cell(1, 1), "f1");
    EXPECT_EQ(grid.cell(1, 2), "f10");
    EXPECT_EQ(grid.cell(1, rows - 1), "f9999");
}

}  // namespace
}  // namespace rk
