#include <gtest/gtest.h>

#include "common/GridReport.h"
#include "common/ResultGrid.h"

namespace rk {
namespace {

TEST(GridReportText, FieldsKeepTheirColumnsAndABlankBetweenThem) {
    ResultGrid grid;
    grid.setColumns({"Latest File Access", "Name", "N"}, {90, 60, 5});
    grid.addRecord(QStringLiteral("\tx\ty"));
    // A title longer than its column is written whole and still followed by a blank.
    EXPECT_EQ(gridReportTitles(grid).join(QString()), "Latest File Access Name       N ");
    // An empty first cell keeps the columns after it in place.
    EXPECT_EQ(wrapReportFields(gridReportFields(grid, 0), 80, 4),
              QStringList{"                x          y"});
    EXPECT_EQ(wrapReportFields({"   ", "  "}, 80, 4), QStringList{""});
}

TEST(GridReportText, WrapsOnlyBetweenFieldsAndIndentsTheRest) {
    const QStringList fields = {"Size  ", "raw CD image ", "12/31/99 ", "/home/user/b "};
    // "raw CD image" would end at column 18: it moves whole to the next line, the padding
    // of "Size" is not carried over.
    EXPECT_EQ(wrapReportFields(fields, 16, 4),
              (QStringList{"Size", "    raw CD image", "    12/31/99", "    /home/user/b"}));
    EXPECT_EQ(wrapReportFields(fields, 24, 4),
              (QStringList{"Size  raw CD image", "    12/31/99", "    /home/user/b"}));
    EXPECT_EQ(wrapReportFields(fields, 40, 4),
              (QStringList{"Size  raw CD image 12/31/99 /home/user/b"}));
}

TEST(GridReportText, AFieldWiderThanALineBreaksAtABlankElseIsCut) {
    EXPECT_EQ(wrapReportFields({"a ", "one two three four "}, 12, 2),
              (QStringList{"a", "  one two", "  three four"}));
    EXPECT_EQ(wrapReportFields({"abcdefghijklmnop "}, 6, 2),
              (QStringList{"abcdef", "  ghij", "  klmn", "  op"}));
    // The indent never takes more than half a line, so a narrow page still makes progress.
    EXPECT_EQ(wrapReportFields({"abcd ", "efgh "}, 4, 10), (QStringList{"abcd", "  ef", "  gh"}));
    EXPECT_EQ(wrapReportText(QStringLiteral("File Hogs larger than 250KB"), 14, 4),
              (QStringList{"File Hogs", "    larger", "    than 250KB"}));
}

}  // namespace
}  // namespace rk
