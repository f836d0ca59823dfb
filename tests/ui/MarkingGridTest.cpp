#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "TempTree.h"
#include "TestServices.h"
#include "ui/MarkingGrid.h"
#include "ui/ResultGridView.h"

namespace rk {
namespace {

// What every marking window does with its grid: the duplicate, date and browser windows all
// mark through this one component.
TEST(MarkingGrid, MarksExactPathsTakesBackWhatItAddedAndTotalsPastFourGigabytes) {
    test::TempTree tree;
    test::TestServices installed;
    test::TestPlatform& files = installed.platform();
    // Names that differ only in case are two files; each takes 3 GiB on disk.
    const QByteArray upper = tree.file("A.iso", std::int64_t(100));
    const QByteArray lower = tree.file("a.iso", std::int64_t(200));
    constexpr std::int64_t room = std::int64_t(3) << 30;
    files.setRoom(upper, room);
    files.setRoom(lower, room);

    ResultGridView view;
    ColumnSchema schema;
    schema.columns = {{"Size", 60}, {"Name", 90}};
    schema.markColumn = 1;
    view.results().setSchema(schema);
    view.results().addRecord(QStringLiteral("100\tA.iso"), upper);
    view.results().addRecord(QStringLiteral("200\ta.iso"), lower);
    view.results().addRecord(QStringLiteral("0\tno path"));
    view.results().trim(view.results().rowsFilled());
    QLabel status;
    QPushButton deleteButton;
    MarkingGrid marking(installed.services(), &view, &status, QStringLiteral("Marked: "));
    marking.setDeleteButton(&deleteButton);
    EXPECT_FALSE(deleteButton.isEnabled());

    marking.toggle(0);
    marking.toggle(1);
    EXPECT_EQ(marking.marks().bytes(), 2 * room);
    EXPECT_EQ(status.text(), "Marked: 2 files 6,442,450,944 bytes");
    EXPECT_TRUE(view.results().isMarked(1, 0));  // the glyph sits in the schema's column
    EXPECT_TRUE(deleteButton.isEnabled());
    // Changed since it was marked: unmarking takes back what the mark added, not what the
    // file holds now, and only the file of exactly that name.
    files.setRoom(lower, 1);
    marking.toggle(1);
    ASSERT_EQ(marking.marks().files().size(), 1u);
    EXPECT_EQ(marking.marks().files()[0].path, upper);
    EXPECT_EQ(marking.marks().bytes(), room);
    EXPECT_FALSE(marking.toggle(2));  // a row that stands for no file

    // Delete marks and walks down, and stays on the last row.
    view.show();
    view.setCurrentRow(1);
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_TRUE(view.results().isMarked(1));
    EXPECT_EQ(view.currentRow(), 2);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(view.currentRow(), 2);
    // A window may keep some rows from the double click.
    marking.doubleClickMarks = [](int row) { return row != 0; };
    view.setCurrentRow(0);
    marking.toggleCurrent();
    EXPECT_TRUE(view.results().isMarked(0));
    marking.clear();
    EXPECT_EQ(marking.marks().count(), 0);
    EXPECT_FALSE(deleteButton.isEnabled());
}

}  // namespace
}  // namespace rk
