#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFocusEvent>
#include <QHeaderView>
#include <QTest>
#include <QTimer>
#include <set>

#include "CloseWays.h"
#include "Controls.h"
#include "Jobs.h"
#include "LayoutChecks.h"
#include "ScriptedDialogs.h"
#include "SlowPlatform.h"
#include "TempTree.h"
#include "TestServices.h"
#include "bydate/DateColumns.h"
#include "bydate/TfrmMods.h"
#include "bydate/TfrmPickDate.h"
#include "common/Services.h"
#include "common/TextHelpers.h"
#include "common/TimeHelpers.h"
#include "ui/ResultGridView.h"
#include "ui/SortMenu.h"
#include "ui/TfrmReallyDelete.h"

namespace rk {
namespace {

using test::scriptedDialogs;
using test::TempTree;

// A files-by-date window over a drive made of a temporary tree. Files made now have today's
// access date, which is what the window looks for when it opens; old/ holds files of 2001.
class TfrmModsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f : {"d1/one.txt", "d1/two.dat", "d2/three.txt", "d3/four.txt"})
            tree.file(f, std::int64_t(10));
        tree.file("old/gone.txt");
        tree.setTimes("old/gone.txt", 2001, 5, 5);
        tree.file(".hidden.txt");
        // Sparse files, taken to fill their length: the marked bytes below are lengths.
        installed.platform().setRoomFollowsLength(true);
        installed.platform().setCurrentFolder(tree.root());
        installed.reloadDrives();
        scriptedDialogs().clear();
    }
    void TearDown() override { window.reset(); }
    TfrmMods& open() {
        window = std::make_unique<TfrmMods>(installed.services());
        window->show();
        return *window;
    }
    int rowOf(const QByteArray& path) const {
        for (int r = 0; r < window->rowsFilled; ++r)
            if (window->pathOfRow(r) == path) return r;
        return -1;
    }
    // Paths in the order the grid shows them.
    std::vector<QByteArray> shownPaths() const {
        std::vector<QByteArray> out;
        for (int r = 0; r < window->rowsFilled; ++r)
            out.push_back(window->pathOfRow(r));
        return out;
    }

    TempTree tree;
    test::TestServices installed{{tree.root()}};
    std::unique_ptr<TfrmMods> window;
};

TEST_F(TfrmModsTest, BothDateBoxesAreCheckedOnceBeforeAnyScan) {
    TfrmMods& w = open();
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    ASSERT_EQ(w.rowsFilled, 4);
    test::control<QLineEdit>(w, "dtStart")->setText(QStringLiteral("13/45/26"));
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    EXPECT_EQ(scriptedDialogs().texts(), QStringList{"Invalid start date."});
    EXPECT_EQ(w.focusWidget(), test::control<QLineEdit>(w, "dtStart"));
    EXPECT_EQ(w.rowsFilled, 4);  // nothing cleared, nothing scanned
    // The hidden end box too: the relation may change to "In between" during the scan.
    scriptedDialogs().clear();
    test::control<QLineEdit>(w, "dtStart")->setText(shortDateText(QDate::currentDate()));
    test::control<QLineEdit>(w, "dtEnd")->clear();
    w.setWhen(int(DateRelation::OnOrAfter));
    EXPECT_FALSE(test::control<QLineEdit>(w, "dtEnd")->isVisibleTo(&w));
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    EXPECT_EQ(scriptedDialogs().texts(), QStringList{"Invalid ending date."});
    // Leaving a box with no date in it puts the focus back.
    scriptedDialogs().clear();
    w.setWhen(int(DateRelation::Between));
    test::control<QLineEdit>(w, "dtEnd")->setText(QStringLiteral("soon"));
    QFocusEvent leaving(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(test::control<QLineEdit>(w, "dtEnd"), &leaving);
    QCoreApplication::processEvents();
    EXPECT_EQ(scriptedDialogs().texts(), QStringList{"Invalid ending date."});
    EXPECT_EQ(w.focusWidget(), test::control<QLineEdit>(w, "dtEnd"));
}

TEST_F(TfrmModsTest, DateBoxesShowTheirFormatTakeYearMonthDayAndKeepTheirWidth) {
    TfrmMods& w = open();
    EXPECT_EQ(test::control<QLineEdit>(w, "dtStart")->placeholderText(), "M/D/YY");
    test::control<QLineEdit>(w, "dtStart")->setText(QStringLiteral("2001-12-31"));
    EXPECT_TRUE(w.dtStartExit());
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());
    // A type name beside the pattern takes no room from the date boxes, even at the smallest.
    const int width = test::control<QLineEdit>(w, "dtStart")->width();
    test::control<QComboBox>(w, "cbWildCard")->setEditText(QStringLiteral("*.txt"));
    EXPECT_EQ(test::cutAtSmallest(
                  w, {test::control<QLabel>(w, "Label1"), test::control<QPushButton>(w, "btOK"),
                      test::control<QPushButton>(w, "btClose")}),
              QStringList());
    EXPECT_EQ(test::control<QLineEdit>(w, "dtStart")->width(), width);
}

TEST_F(TfrmModsTest, FoundFilesGoToTheGridAndTheClipboardAsTheScanMeetsThem) {
    TfrmMods& w = open();
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());
    ASSERT_EQ(w.rowsFilled, 4);
    EXPECT_EQ(w.grid->results().rowCount(), 4);
    EXPECT_TRUE(test::control<QLabel>(w, "pnlScan")->text().startsWith("Found : 4"))
        << test::control<QLabel>(w, "pnlScan")->text().toStdString();
    EXPECT_EQ(rowOf(tree.path("old/gone.txt")), -1);
    EXPECT_TRUE(test::control<QPushButton>(w, "btMark")->isVisibleTo(&w));
    const QStringList lines = w.lbFiles();
    ASSERT_EQ(lines.size(), 4);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(lines[r],
                  QString::fromUtf8(clipboardLine(w.grid->results().recordOf(r).toUtf8())));
    w.btClipClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), lines.join('\n') + '\n');

    // Of 2001 by last write, on or before a day of 2001 only.
    w.setWhat(int(DateField::Modified));
    w.setWhen(int(DateRelation::OnOrBefore));
    test::control<QLineEdit>(w, "dtStart")->setText(shortDateText(QDate(2001, 12, 31)));
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    EXPECT_EQ(shownPaths(), std::vector<QByteArray>{tree.path("old/gone.txt")});
    EXPECT_EQ(w.printTitle(), "Files Modified before " + shortDateText(QDate(2001, 12, 31)));
    // Nothing found: the message, no result buttons.
    w.setWhen(int(DateRelation::Between));
    test::control<QLineEdit>(w, "dtStart")->setText(shortDateText(QDate(1999, 1, 1)));
    test::control<QLineEdit>(w, "dtEnd")->setText(shortDateText(QDate(1999, 1, 1)));
    scriptedDialogs().clear();
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    EXPECT_EQ(scriptedDialogs().texts(), QStringList{"No files found."});
    EXPECT_FALSE(test::control<QPushButton>(w, "btMark")->isVisibleTo(&w));
}

TEST_F(TfrmModsTest, AGoneFileMarksForNothingAndALongPathMarksWhole) {
    const QByteArray upper = tree.file("case/A.txt", std::int64_t(100));
    const QByteArray lower = tree.file("case/a.txt", std::int64_t(1000));
    TfrmMods& w = open();
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    // A file gone since the scan is marked, but counts nothing.
    ASSERT_EQ(::unlink(lower.constData()), 0);
    w.grid->setCurrentRow(rowOf(lower));
    w.marking().toggleCurrent();
    EXPECT_EQ(w.marks().files().size(), 1u);
    EXPECT_EQ(w.marks().count(), 0);
    EXPECT_FALSE(test::control<QPushButton>(w, "btDelete")->isEnabled());
    EXPECT_EQ(test::control<QLabel>(w, "pnlScan")->text(), "0 files 0 bytes");
    // Browse on that row: the browser is not opened on a file that is gone.
    int opened = 0;
    installed.openBrowser = [&](QWidget*, const QByteArray& folder, const QByteArray& name,
                                const QString&) {
        ++opened;
        EXPECT_EQ(folder, tree.path("case"));
        EXPECT_EQ(name, "A.txt");
    };
    w.btBrowseClick();
    EXPECT_EQ(scriptedDialogs().texts().last(),
              "Invalid file name - " + QString::fromLocal8Bit(lower) + ".");
    w.grid->setCurrentRow(rowOf(upper));
    w.btBrowseClick();
    installed.openBrowser = nullptr;
    EXPECT_EQ(opened, 1);
    // A path longer than 255 characters is marked whole.
    QByteArray deep = "case";
    for (int i = 0; i < 10; ++i)
        deep += "/a-folder-name-of-some-thirty-chars";
    const QByteArray longPath = tree.file(deep + "/end.txt", std::int64_t(7));
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    ASSERT_GT(longPath.size(), 300);
    w.marking().toggle(rowOf(longPath));
    ASSERT_EQ(w.marks().files().size(), 1u);
    EXPECT_EQ(w.marks().files()[0].path, longPath);
    EXPECT_EQ(w.marks().bytes(), 7);
}

TEST_F(TfrmModsTest, RowsStandForTheirFilesExactBytesWhateverTheirNamesHold) {
    const QByteArray odd = tree.file("odd/not\xff utf-8.txt", std::int64_t(11));
    const QByteArray tab = tree.file("odd/tab\there.txt", std::int64_t(12));
    TfrmMods& w = open();
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    for (const QByteArray& path : {odd, tab}) {
        const int row = rowOf(path);
        ASSERT_GE(row, 0) << path.toStdString();
        w.marking().toggle(row);
        EXPECT_EQ(w.marks().files().back().path, path);
        int opened = 0;
        installed.openBrowser = [&](QWidget*, const QByteArray& folder, const QByteArray& name,
                                    const QString&) {
            ++opened;
            EXPECT_EQ(JoinPath(folder, name), path);
        };
        w.grid->setCurrentRow(row);
        w.btBrowseClick();
        installed.openBrowser = nullptr;
        EXPECT_EQ(opened, 1);
    }
    EXPECT_EQ(w.marks().bytes(), 23);
}

TEST_F(TfrmModsTest, OnlyTheFileLeftMarkedIsDeletedAndTheWindowClosesAfterwards) {
    const QByteArray upper = tree.file("case/A.txt", std::int64_t(100));
    const QByteArray lower = tree.file("case/a.txt", std::int64_t(1000));
    TfrmMods& w = open();
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    for (const QByteArray& p : {upper, lower, upper})
        w.marking().toggle(rowOf(p));
    ASSERT_EQ(w.marks().count(), 1);
    // Cancelled: the window stays with its marks.
    QTimer::singleShot(0, [] {
        auto* confirm = qobject_cast<TfrmReallyDelete*>(QApplication::activeModalWidget());
        ASSERT_TRUE(confirm);
        EXPECT_EQ(confirm->savings, 1000);
        confirm->reject();
    });
    w.btDeleteClick();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.grid->results().isMarked(rowOf(lower)));
    scriptedDialogs().answer(ButtonYes);  // "Really delete?"
    QTimer::singleShot(0, [] {
        auto* confirm = qobject_cast<TfrmReallyDelete*>(QApplication::activeModalWidget());
        ASSERT_TRUE(confirm);
        confirm->btDeleteAllClick();
    });
    w.btDeleteClick();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(QFile::exists(QString::fromLocal8Bit(lower)));
    EXPECT_TRUE(QFile::exists(QString::fromLocal8Bit(upper)));
}

TEST_F(TfrmModsTest, NoSortWhileRowsArriveAndAfterwardsMarksMoveWithTheirRows) {
    TfrmMods& w = open();
    // Each row written during the scan asks for a sort, as a user's right click might.
    int asked = 0;
    auto hook = QObject::connect(&w.grid->results(), &QAbstractItemModel::dataChanged, &w, [&] {
        if (!w.isScanning()) return;
        ++asked;
        test::control<QAction>(w, "SortbyType1")->trigger();
        QHeaderView* titles = w.grid->horizontalHeader();
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                          QPoint(titles->sectionViewportPosition(DateColumns::Filename) + 5, 5));
    });
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    QObject::disconnect(hook);
    EXPECT_GT(asked, 0);
    ASSERT_EQ(w.rowsFilled, 4);
    std::vector<QByteArray> inWalkOrder;
    for (int r = 0; r < 4; ++r)
        inWalkOrder.push_back(w.pathOfRow(r));
    std::set<QByteArray> distinct(inWalkOrder.begin(), inWalkOrder.end());
    EXPECT_EQ(distinct.size(), 4u);
    EXPECT_EQ(w.lbFiles().size(), 4);
    EXPECT_EQ(w.lbFiles()[0],
              QString::fromUtf8(clipboardLine(w.grid->results().recordOf(0).toUtf8())));

    const QByteArray two = tree.path("d1/two.dat");
    w.marking().toggle(rowOf(two));
    test::control<SortMenu>(w, "PopupMenu1")->choose(test::control<QAction>(w, "SortbyType1"));
    EXPECT_TRUE(test::control<QAction>(w, "SortbyType1")->isChecked());
    EXPECT_TRUE(w.grid->results().isMarked(rowOf(two)));
    EXPECT_EQ(w.grid->results().cell(DateColumns::Filename, rowOf(two)), "two.dat");
}

TEST_F(TfrmModsTest, ATimeChosenDuringTheScanIsTestedFromTheNextFileOn) {
    // Read in 2001, written now; the drive's own files are tested after all its folders'.
    const QByteArray late = tree.file("late.txt");
    struct timespec times[2] = {{988000000, 0}, {0, UTIME_NOW}};
    ASSERT_EQ(::utimensat(AT_FDCWD, late.constData(), times, 0), 0);
    TfrmMods& w = open();
    auto hook = QObject::connect(&w.grid->results(), &QAbstractItemModel::dataChanged, &w, [&] {
        if (w.isScanning() && w.what() == int(DateField::Accessed))
            w.setWhat(int(DateField::Modified));
    });
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    QObject::disconnect(hook);
    EXPECT_EQ(w.rowsFilled, 5);
    EXPECT_GE(rowOf(late), 0);
    w.setWhat(int(DateField::Accessed));
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    EXPECT_EQ(rowOf(late), -1);
}

TEST_F(TfrmModsTest, ThePickerKeepsTheRangeInOrderWhetherOrNotADayIsPicked) {
    TfrmMods& w = open();
    const QDate today = QDate::currentDate();
    // OK on a start day after the end day moves the end day to it.
    w.showPicker = [&](TfrmPickDate& p) {
        p.show();
        EXPECT_EQ(test::control<MonthCalendar>(p, "Calendar")->date(), today);
        test::control<MonthCalendar>(p, "Calendar")->setDate(today.addDays(3));
        return int(QDialog::Accepted);
    };
    w.popStartDateClick();
    EXPECT_EQ(test::control<QLineEdit>(w, "dtStart")->text(), shortDateText(today.addDays(3)));
    EXPECT_EQ(test::control<QLineEdit>(w, "dtEnd")->text(),
              test::control<QLineEdit>(w, "dtStart")->text());
    // An end day before the start day moves the start day.
    w.showPicker = [&](TfrmPickDate& p) {
        p.show();
        test::control<MonthCalendar>(p, "Calendar")->setDate(today.addDays(-2));
        return int(QDialog::Accepted);
    };
    w.popEndDateClick();
    EXPECT_EQ(test::control<QLineEdit>(w, "dtStart")->text(), shortDateText(today.addDays(-2)));
    // Cancel still puts typed days in order, and an empty box opens on today.
    test::control<QLineEdit>(w, "dtStart")->clear();
    test::control<QLineEdit>(w, "dtEnd")->setText(shortDateText(today.addDays(-9)));
    int shown = 0;
    w.showPicker = [&](TfrmPickDate& p) {
        ++shown;
        p.show();
        EXPECT_EQ(test::control<MonthCalendar>(p, "Calendar")->date(), today);
        return int(QDialog::Rejected);
    };
    w.popStartDateClick();
    EXPECT_EQ(test::control<QLineEdit>(w, "dtStart")->text(), shortDateText(today));
    EXPECT_EQ(test::control<QLineEdit>(w, "dtEnd")->text(), shortDateText(today));
    // A box without a date: the message, no picker.
    test::control<QLineEdit>(w, "dtStart")->setText(QStringLiteral("someday"));
    w.popStartDateClick();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(scriptedDialogs().texts().last(), "'someday' is not a valid date.");
}

TEST_F(TfrmModsTest, APatternWithAWildcardInItsExtensionHasNoTypeName) {
    TfrmMods& w = open();
    test::control<QComboBox>(w, "cbWildCard")->setEditText(QStringLiteral("*.txt"));
    EXPECT_FALSE(test::control<QLabel>(w, "lblWild")->text().isEmpty());
    test::control<QComboBox>(w, "cbWildCard")->setEditText(QStringLiteral("*.tx?"));
    EXPECT_EQ(test::control<QLabel>(w, "lblWild")->text(), "");
    test::control<QComboBox>(w, "cbWildCard")->setEditText(QStringLiteral("*.*"));
    EXPECT_EQ(test::control<QLabel>(w, "lblWild")->text(), "All files");
}

using TfrmModsScanTest = test::WithSlowPlatform<TfrmModsTest>;

TEST_F(TfrmModsScanTest, CloseAndTheCloseBoxStopTheScanAndCloseTheWindow) {
    test::expectEachCloseStopsTheWalk(
        slow, [&]() -> ResultWindow& { return open(); },
        [](ResultWindow& w) { test::control<QPushButton>(w, "btOK")->click(); });
}

TEST_F(TfrmModsScanTest, EscapeDuringTheWalkIsAbortAndKeepsTheWindow) {
    test::expectEscapeIsAbortDuringTheWalk(
        slow, [&]() -> ResultWindow& { return open(); },
        [](ResultWindow& w) { test::control<QPushButton>(w, "btOK")->click(); }, 4);
}

TEST_F(TfrmModsScanTest, AnAbortBeforeAnythingWasFoundListsOnlyTheAbortLine) {
    TfrmMods& w = open();
    QTimer::singleShot(0, [&] { emit test::control<QPushButton>(w, "btAbort")->clicked(); });
    test::control<QPushButton>(w, "btOK")->click();
    test::finishScans();
    EXPECT_EQ(scriptedDialogs().texts(), QStringList{"LIST INCOMPLETE ... ABORTED BY USER"});
    EXPECT_EQ(w.lbFiles(), QStringList{" LIST INCOMPLETE ... ABORTED BY USER"});
    EXPECT_TRUE(test::control<QLabel>(w, "pnlScan")->text().startsWith("Found : 0"))
        << test::control<QLabel>(w, "pnlScan")->text().toStdString();
    EXPECT_TRUE(test::control<QPushButton>(w, "btClip")->isVisibleTo(&w));
}

}  // namespace
}  // namespace rk
