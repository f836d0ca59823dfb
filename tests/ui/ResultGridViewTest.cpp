#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "RoomTree.h"
#include "TestPlatform.h"
#include "common/RoomTip.h"
#include "common/TextHelpers.h"
#include "ui/ResultGridView.h"
#include "ui/SortMenu.h"

namespace rk {
namespace {

TEST(ResultGridView, ShowsTitlesAsHeaderAndDesignedSizes) {
    ResultGridView view;
    QAbstractItemModelTester tester(view.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    ResultGrid& grid = view.results();
    grid.setColumns({"Size", "Name", "Type"}, {60, 200});
    grid.addRecord(QStringLiteral("1\ta"));
    EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(view.showGrid());
    EXPECT_EQ(view.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_EQ(view.model()->headerData(1, Qt::Horizontal).toString(), "Name");
    EXPECT_EQ(view.columnWidth(0), view.scaled(60));
    EXPECT_EQ(view.columnWidth(2), view.scaled(90));
    EXPECT_EQ(view.rowHeight(0), view.scaled(18) + 1);
    grid.clear();
    grid.setColumns({"One", "Two"});
    EXPECT_EQ(view.columnWidth(1), view.scaled(90));
}

TEST(ResultGridView, ARowWhoseRoomAndLengthPartSaysBothInItsTip) {
    test::TempTree tree;
    const QByteArray image = test::writeSparse(tree, "image.img", 64 << 20, {{0, 65536}});
    test::TestPlatform platform;
    ResultGridView view;
    view.showRoomTips(platform);
    ResultGrid& grid = view.results();
    grid.setColumns({"Size", "Name"});
    for (const QByteArray& p : {image, test::writeWhole(tree, "notes.txt", 5000), tree.dir("d")})
        grid.addRecord(QStringLiteral("x\ty"), p);
    const auto tip = [&](int row, int column) {
        return grid.data(grid.index(row, column), Qt::ToolTipRole).toString();
    };
    EXPECT_TRUE(tip(0, 1).contains("67,108,864"));
    EXPECT_TRUE(tip(0, 1).contains(formatThousands(test::duBytes({image}))));
    EXPECT_EQ(tip(0, 0), tip(0, 1));  // the whole row
    EXPECT_TRUE(tip(1, 0).isEmpty());
    EXPECT_TRUE(tip(2, 0).isEmpty());  // a folder
    // More than 1 MB apart, not 1 MB.
    EXPECT_FALSE(roomToolTip(1048577, 0).isEmpty());
    EXPECT_TRUE(roomToolTip(1048576, 0).isEmpty());
}

TEST(ResultGridView, TabLeavesTheGridAndTheArrowsMoveWithinIt) {
    QWidget window;
    auto* view = new ResultGridView(&window);
    auto* after = new QPushButton(QStringLiteral("Next"), &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(view);
    layout->addWidget(after);
    view->results().setColumns({"Size", "Name"});
    for (int i = 0; i < 6; ++i)
        view->results().addRecord(QStringLiteral("%1\tfile%1").arg(i));
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    view->setFocus();
    view->setCurrentIndex(view->model()->index(0, 0));
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(view->currentIndex().row(), 1);
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
}

TEST(ResultGridView, RemembersTheWidthTheUserGaveAColumn) {
    ResultGridView view;
    view.results().setColumns({"A", "B"}, {60, 60});
    view.horizontalHeader()->resizeSection(1, view.scaled(120));
    EXPECT_EQ(view.results().columnWidth(1), 120);
    view.results().setColumnWidth(0, 30);
    EXPECT_EQ(view.columnWidth(0), view.scaled(30));
}

TEST(ResultGridView, DrawsTheMarkBeforeTheText) {
    ResultGridView view;
    view.resize(400, 200);
    ResultGrid& grid = view.results();
    grid.setColumns({"Name", "Size"}, {150, 60});
    grid.addRecord(QStringLiteral("marked.txt\t1"));
    grid.addRecord(QStringLiteral("plain.txt\t2"));
    grid.setMark(0, 0, true);
    grid.trim(grid.rowsFilled());
    view.selectRow(0);
    view.show();
    QImage image = view.viewport()->grab().toImage();
    const QRect marked = view.visualRect(grid.index(0, 0));
    const QRect plain = view.visualRect(grid.index(1, 0));
    auto reddish = [&image](const QRect& r) {
        int count = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x < r.left() + 18 && x <= r.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 90 && c.blue() < 90) ++count;
            }
        return count;
    };
    EXPECT_GT(reddish(marked), 10);
    EXPECT_EQ(reddish(plain), 0);
    // A mark moved to another row is drawn there, and only there.
    grid.setMark(0, 0, false);
    grid.setMark(1, 0, true);
    image = view.viewport()->grab().toImage();
    EXPECT_EQ(reddish(marked), 0);
    EXPECT_GT(reddish(plain), 10);
}

TEST(SortMenu, SortsChecksAndLeavesTooSmallGridsAlone) {
    ResultGridView view;
    ResultGrid& grid = view.results();
    grid.setColumns({"Size", "Name"});
    SortMenu menu(&view);
    QAction* bySize = menu.addSort(QStringLiteral("Sort by &Size"), SortKind::Number, 0, true);
    QAction* byName = menu.addSort(QStringLiteral("Sort by &Name"), SortKind::Text, 1, false);
    menu.check(bySize);
    EXPECT_TRUE(bySize->isChecked());

    grid.addRecord(QStringLiteral("5\tb"));
    grid.addRecord(QStringLiteral("7\ta"));
    grid.addRecord(QStringLiteral("1,000\tc"));
    grid.trim(grid.rowsFilled());
    byName->trigger();
    EXPECT_EQ(grid.cell(1, 0) + grid.cell(1, 1) + grid.cell(1, 2), "abc");
    EXPECT_TRUE(byName->isChecked());
    EXPECT_FALSE(bySize->isChecked());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    bySize->trigger();
    EXPECT_EQ(grid.cell(0, 0) + grid.cell(0, 1) + grid.cell(0, 2), "1,00075");
    EXPECT_TRUE(bySize->isChecked());

    // A menu that wants more rows than the grid has: the check stays where it was.
    menu.setMinimumRows(4);
    byName->trigger();
    EXPECT_EQ(grid.cell(1, 0), "c");
    EXPECT_TRUE(bySize->isChecked());
    EXPECT_FALSE(byName->isChecked());
}

TEST(SortMenu, SortsAsTheSchemaSaysAndByTitleClicksOnlyWhileAttached) {
    ResultGridView view;
    ResultGrid& grid = view.results();
    ColumnSchema schema;
    schema.columns = {{"Files", 60, true, true, true, SortKind::Number, true}, {"Name", 0}};
    grid.setSchema(schema);
    for (const char* r : {"9\tb", "10\ta", "2\tc"})
        grid.addRecord(QString::fromLatin1(r));
    grid.trim(grid.rowsFilled());
    SortMenu menu(&view);
    QAction* byFiles = menu.addSort(QStringLiteral("Sort by # &Files"), 0);
    view.show();
    QHeaderView* titles = view.horizontalHeader();
    const QPoint files(titles->sectionViewportPosition(0) + 5, titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, files);
    EXPECT_EQ(grid.cell(0, 0), "9");  // not attached: nothing sorts
    menu.attachToGrid(true);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, files);
    // As numbers, largest first: 10 above 9.
    EXPECT_EQ(grid.cell(0, 0) + grid.cell(0, 1) + grid.cell(0, 2), "1092");
    EXPECT_TRUE(byFiles->isChecked());
    EXPECT_TRUE(titles->isSortIndicatorShown());
    EXPECT_EQ(titles->sortIndicatorSection(), 0);
    EXPECT_EQ(titles->sortIndicatorOrder(), Qt::DescendingOrder);
    // A title without a sort leaves the rows, the check and the arrow as they were.
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                      QPoint(titles->sectionViewportPosition(1) + 5, titles->height() / 2));
    EXPECT_EQ(grid.cell(0, 0), "10");
    EXPECT_EQ(titles->sortIndicatorSection(), 0);
    EXPECT_TRUE(byFiles->isChecked());
    menu.attachToGrid(false);
    EXPECT_FALSE(titles->isSortIndicatorShown());
    grid.reorderRows(0, {2, 1, 0});
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, files);
    EXPECT_EQ(grid.cell(0, 0), "2");
}

}  // namespace
}  // namespace rk
