#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "common/GridSort.h"
#include "common/ResultGrid.h"
#include "common/ScanRecord.h"

namespace rk {
namespace {

QString rec(int n) {
    return QStringLiteral("%1\tname%1\t/data/file%1").arg(n);
}
QByteArray pathFor(int n) {
    return QByteArrayLiteral("/data/file") + QByteArray::number(n);
}

// Records 1, 2, ... written when asked, as a scan's compact list writes them; the number
// also alone, the other fields only within the record.
class NumberedRows : public RowSource {
public:
    explicit NumberedRows(std::size_t count) : count_(count) {}
    [[nodiscard]] std::size_t size() const override { return count_; }
    void writeRecord(std::size_t index, QByteArray& out) const override {
        out = rec(int(index) + 1).toUtf8();
    }
    bool writeField(std::size_t index, int column, QByteArray& out) const override {
        if (column != 0) return false;
        out = QByteArray::number(qulonglong(index) + 1);
        return true;
    }
    [[nodiscard]] QByteArray recordPath(std::size_t index) const override {
        return pathFor(int(index) + 1);
    }

private:
    std::size_t count_;
};

TEST(ResultGrid, KeepsTheModelContractThroughEveryChange) {
    ResultGrid grid;
    QAbstractItemModelTester tester(&grid, QAbstractItemModelTester::FailureReportingMode::Fatal);
    grid.setColumns({"Size", "Name", "Path"}, {60, 120});
    for (int i = 1; i <= 120; ++i)
        grid.addRecord(rec(i), pathFor(i));
    grid.addRecord(ScanRecord(rec(121).toUtf8()), pathFor(121));
    const auto source = std::make_shared<NumberedRows>(60);
    for (std::uint32_t i = 0; i < 60; ++i)
        grid.addSourceRow(source, i);
    grid.setCell(1, 2, QStringLiteral("rewritten"));
    grid.setMark(3, 2, true);
    grid.setShaded(4, true);
    SortGridByText(grid, 0, grid.rowCount() - 1, true, 1);
    grid.trim(grid.rowsFilled());
    grid.setRowCount(40);
    grid.setColumns({"One", "Two"});
    grid.clear();
    EXPECT_EQ(grid.rowCount(), 1);
}

TEST(ResultGrid, GrowsInStepsOfFiftyAndTrimsToWhatWasFilled) {
    ResultGrid grid;
    grid.setColumns({"A", "B"});
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.rowsFilled(), 0);
    EXPECT_EQ(grid.addRecord(QStringLiteral("a\tb")), 0);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.addRecord(QStringLiteral("c\td")), 1);
    EXPECT_EQ(grid.rowCount(), 51);
    for (int i = 3; i <= 52; ++i)
        grid.addRecord(rec(i));
    EXPECT_EQ(grid.rowCount(), 101);
    grid.trim(grid.rowsFilled());
    EXPECT_EQ(grid.rowCount(), 52);
    EXPECT_EQ(grid.cell(0, 51), "52");
    // Cutting below what was filled forgets those rows.
    grid.setRowCount(2);
    EXPECT_EQ(grid.rowsFilled(), 2);
    EXPECT_EQ(grid.addRecord(QStringLiteral("e\tf")), 2);
    EXPECT_EQ(grid.rowCount(), 52);
    grid.setRowCount(0);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.cell(0, 0), "a");
}

TEST(ResultGrid, CutsCellsFromTheRecordAndShowsTitlesInTheHeader) {
    ResultGrid grid;
    grid.setColumns({"Size", "Name", "Type"}, {60});
    EXPECT_EQ(grid.columnWidth(0), 60);
    EXPECT_EQ(grid.columnWidth(2), ResultGrid::defaultColumnWidth);
    grid.addRecord(QStringLiteral("  12 K\tnaïve.txt"));
    EXPECT_EQ(grid.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Name");
    EXPECT_EQ(grid.cell(0, 0), "  12 K");
    EXPECT_EQ(grid.cell(1, 0), "naïve.txt");
    EXPECT_EQ(grid.cell(2, 0), "");   // a missing field
    EXPECT_EQ(grid.cell(3, 0), "");   // no such column
    EXPECT_EQ(grid.cell(0, 1), "");   // no such row
    EXPECT_EQ(grid.cell(0, -1), "");  // nor a title row
    EXPECT_EQ(grid.data(grid.index(0, 1), Qt::DisplayRole).toString(), "naïve.txt");
    EXPECT_EQ(grid.recordOf(0), "  12 K\tnaïve.txt");
}

TEST(ResultGrid, KeepsExactPathBytesAndRewrittenCells) {
    ResultGrid grid;
    grid.setColumns({"Name", "Folder"});
    const QByteArray odd("/data/caf\xe9.txt");  // not UTF-8: the record shows it replaced
    grid.addRecord(QStringLiteral("caf\uFFFD.txt\t/data"), odd);
    grid.addRecord(QStringLiteral("b.txt\t/data/b.txt"), "/data/b.txt");
    grid.addRecord(QStringLiteral("c.txt\t/x"));
    EXPECT_EQ(grid.pathOf(0), odd);
    EXPECT_EQ(grid.pathOf(1), "/data/b.txt");
    EXPECT_EQ(grid.pathOf(2), "");
    EXPECT_EQ(grid.pathOf(9), "");

    QSignalSpy changed(&grid, &ResultGrid::dataChanged);
    grid.setCell(0, 1, QStringLiteral("renamed"));
    EXPECT_EQ(grid.cell(0, 1), "renamed");
    EXPECT_EQ(grid.recordOf(1), "b.txt\t/data/b.txt");  // the record stays as listed
    grid.setCell(0, 1, QStringLiteral("b.txt"));        // written back unchanged
    EXPECT_EQ(grid.cell(0, 1), "b.txt");
    EXPECT_EQ(changed.count(), 2);
    QSignalSpy titled(&grid, &ResultGrid::headerDataChanged);
    grid.setTitle(1, QStringLiteral("Where"));
    EXPECT_EQ(grid.title(1), "Where");
    EXPECT_EQ(titled.count(), 1);
    // A new record replaces what the row had.
    grid.setCell(1, 0, QStringLiteral("gone"));
    grid.setMark(0, 0, true);
    grid.setShaded(0, true);
    grid.setRecord(0, QStringLiteral("d\te"), "/e/d");
    EXPECT_EQ(grid.cell(1, 0), "e");
    EXPECT_FALSE(grid.isMarked(0));
    EXPECT_FALSE(grid.isShaded(0));
    EXPECT_EQ(grid.pathOf(0), "/e/d");
}

TEST(ResultGrid, MarksOneCellPerRow) {
    ResultGrid grid;
    grid.setColumns({"A", "B"});
    grid.addRecord(QStringLiteral("a\tb"));
    grid.addRecord(QStringLiteral("c\td"));
    grid.setMark(1, 1, true);
    EXPECT_TRUE(grid.isMarked(1));
    EXPECT_TRUE(grid.isMarked(1, 1));
    EXPECT_FALSE(grid.isMarked(0, 1));
    EXPECT_FALSE(grid.isMarked(0));
    EXPECT_TRUE(grid.data(grid.index(1, 1), ResultGrid::MarkRole).toBool());
    grid.setMark(1, 0, false);  // another cell: the mark stays
    EXPECT_TRUE(grid.isMarked(1));
    grid.setMark(1, 1, false);
    EXPECT_FALSE(grid.isMarked(1));
    grid.setMark(99, 0, true);  // no such row
    EXPECT_FALSE(grid.isMarked(99));
    grid.setMark(0, 0, true);
    grid.clear();
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.rowsFilled(), 0);
    EXPECT_FALSE(grid.isMarked(0));
    EXPECT_EQ(grid.cell(0, 0), "");
    EXPECT_EQ(grid.title(1), "B");
}

TEST(ResultGrid, ListsRecordsInScanOrderAfterSortingAndCutting) {
    ResultGrid grid;
    grid.setColumns({"N", "Name", "Path"});
    for (int i = 1; i <= 6; ++i)
        grid.addRecord(rec(i), pathFor(i));
    grid.setCell(1, 4, QStringLiteral("five"));
    grid.setShaded(4, true);
    SortGridByNumber(grid, 0, grid.rowCount() - 1, true, 0);
    EXPECT_EQ(grid.cell(0, 0), "6");
    EXPECT_EQ(grid.records(), QStringList({rec(1), rec(2), rec(3), rec(4), rec(5), rec(6)}));
    // Cut after the sort: the rows that stay keep everything they had, shade included.
    grid.setRowCount(3);
    EXPECT_EQ(grid.records(), QStringList({rec(6), rec(5), rec(4)}));
    EXPECT_EQ(grid.cell(1, 1), "five");
    EXPECT_TRUE(grid.data(grid.index(1, 2), ResultGrid::ShadeRole).toBool());
    EXPECT_FALSE(grid.isShaded(0));
    EXPECT_EQ(grid.pathOf(2), pathFor(4));
}

TEST(ResultGrid, SharesAScansRecordsAndKeepsThemAfterTheScanLetsGo) {
    ResultGrid grid;
    grid.setColumns({"N", "Name", "Path"});
    {
        std::vector<ScanRecord> scan;
        scan.emplace_back(rec(1).toUtf8());
        // A path the text cannot show rides after the record's NUL.
        scan.emplace_back(QByteArrayLiteral("2\tname?\t/data/file?"), QByteArray("/data/f\xff"));
        // A path the record does not hold as it is: the row keeps a copy of both.
        scan.emplace_back(QByteArrayLiteral("3\tname3  \t/data/"), QByteArray());
        grid.addRecord(scan[0], pathFor(1));
        grid.addRecord(scan[1], QByteArray("/data/f\xff"));
        grid.addRecord(scan[2], QByteArray("/data/name3"));
        QByteArray scratch;
        EXPECT_EQ(grid.cellUtf8(0, 0, scratch).data(), scan[0].bytes().constData())
            << "the row copied the record";
    }
    EXPECT_EQ(grid.recordOf(0), rec(1));
    EXPECT_EQ(grid.pathOf(0), pathFor(1));
    EXPECT_EQ(grid.cell(2, 1), "/data/file?");
    EXPECT_EQ(grid.pathOf(1), QByteArray("/data/f\xff"));
    EXPECT_EQ(grid.pathOf(2), QByteArray("/data/name3"));
    // Rows move, take new records and list in scan order like any other.
    SortGridByNumber(grid, 0, 2, true, 0);
    EXPECT_EQ(grid.pathOf(2), pathFor(1));
    grid.setRecord(1, QStringLiteral("9\tnine\t/nine"), "/nine");
    EXPECT_EQ(grid.pathOf(1), QByteArray("/nine"));
    QStringList listed;
    grid.visitRecords([&](QByteArrayView record, QByteArrayView path) {
        listed.append(QString::fromUtf8(record) + '|' + QString::fromUtf8(path));
    });
    EXPECT_EQ(listed, QStringList({rec(1) + "|/data/file1", "9\tnine\t/nine|/nine",
                                   "3\tname3  \t/data/|/data/name3"}));
}

TEST(ResultGrid, TakesTitlesWidthsAndAlignmentFromASchema) {
    ResultGrid grid;
    ColumnSchema schema;
    schema.columns = {{"Size", 54, true}, {"Name", 0}};
    grid.setSchema(schema);
    EXPECT_EQ(grid.title(1), "Name");
    EXPECT_EQ(grid.columnWidth(0), 54);
    EXPECT_EQ(grid.columnWidth(1), ResultGrid::defaultColumnWidth);
    grid.addRecord(QStringLiteral("1\ta"));
    EXPECT_EQ(grid.data(grid.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_FALSE(grid.data(grid.index(0, 1), Qt::TextAlignmentRole).isValid());
    // Another tool's schema drops the alignment of the last.
    schema.columns = {{"Name", 90}, {"Size", 54, true}};
    grid.setSchema(schema);
    EXPECT_FALSE(grid.data(grid.index(0, 0), Qt::TextAlignmentRole).isValid());
    EXPECT_TRUE(grid.data(grid.index(0, 1), Qt::TextAlignmentRole).isValid());
}

TEST(ResultGrid, RefusesAReorderThatIsNoPermutation) {
    ResultGrid grid;
    grid.setColumns({"N"});
    for (int i = 1; i <= 3; ++i)
        grid.addRecord(QString::number(i));
    grid.reorderRows(0, {0, 0, 1});
    grid.reorderRows(0, {1, 2, 3});
    grid.reorderRows(-1, {0, -1});
    grid.reorderRows(2, {2, 3});
    EXPECT_EQ(grid.cell(0, 0) + grid.cell(0, 1) + grid.cell(0, 2), "123");
    grid.reorderRows(1, {2, 1});
    EXPECT_EQ(grid.cell(0, 0) + grid.cell(0, 1) + grid.cell(0, 2), "132");
}

TEST(ResultGrid, RowsFromASourceReadSortMarkAndRewriteLikeAnyOther) {
    ResultGrid grid;
    grid.setColumns({"N", "Name", "Path"});
    auto source = std::make_shared<NumberedRows>(12);
    const std::weak_ptr<NumberedRows> alive = source;
    grid.addRecord(rec(0), pathFor(0));
    for (std::uint32_t i = 0; i < 12; ++i)
        EXPECT_EQ(grid.addSourceRow(source, i), int(i) + 1);
    EXPECT_EQ(grid.addSourceRow(source, 12), -1);
    EXPECT_EQ(grid.addSourceRow(nullptr, 0), -1);
    source.reset();  // the scan that made it is gone: the grid keeps it
    grid.trim(grid.rowsFilled());
    ASSERT_EQ(grid.rowCount(), 13);
    EXPECT_EQ(grid.cell(1, 3), "name3");
    EXPECT_EQ(grid.data(grid.index(12, 2), Qt::DisplayRole).toString(), "/data/file12");
    EXPECT_EQ(grid.recordOf(12), rec(12));
    EXPECT_EQ(grid.pathOf(12), pathFor(12));
    EXPECT_EQ(grid.cell(3, 4), "");
    // Two cells read at once each keep their text.
    QByteArray a, b;
    const QByteArrayView first = grid.cellUtf8(1, 1, a);
    const QByteArrayView second = grid.cellUtf8(1, 2, b);
    EXPECT_EQ(first, "name1");
    EXPECT_EQ(second, "name2");

    // A deletion marks a row and rewrites its cell; both move with the row.
    grid.setMark(5, 2, true);
    grid.setCell(1, 5, QStringLiteral("DELETED"));
    grid.setCell(1, 6, QStringLiteral("name6"));  // its own text: nothing to keep
    SortGridByNumber(grid, 0, 12, true, 0);
    EXPECT_EQ(grid.cell(0, 0), "12");
    EXPECT_EQ(grid.cell(0, 12), "0");
    EXPECT_EQ(grid.cell(1, 7), "DELETED");
    EXPECT_EQ(grid.recordOf(7), rec(5));
    EXPECT_TRUE(grid.isMarked(2, 7));
    EXPECT_EQ(grid.pathOf(7), pathFor(5));
    SortGridByText(grid, 0, 12, false, 1);
    QStringList order;
    for (int r = 0; r < 5; ++r)
        order.append(grid.cell(0, r));
    EXPECT_EQ(order, QStringList({"5", "0", "1", "10", "11"}));

    QStringList listed;
    grid.visitRecords([&](QByteArrayView record, QByteArrayView path) {
        listed.append(QString::fromUtf8(record) + '|' + QString::fromUtf8(path));
    });
    ASSERT_EQ(listed.size(), 13);
    EXPECT_EQ(listed[0], rec(0) + "|/data/file0");
    EXPECT_EQ(listed[12], rec(12) + "|/data/file12");
    // A new record makes a source row an ordinary one.
    grid.setRecord(0, QStringLiteral("9\tnine\t/nine"), "/nine");
    EXPECT_EQ(grid.cell(1, 0), "nine");
    EXPECT_EQ(grid.pathOf(0), "/nine");
    EXPECT_FALSE(alive.expired());
    grid.clear();
    EXPECT_TRUE(alive.expired());
}

}  // namespace
}  // namespace rk
