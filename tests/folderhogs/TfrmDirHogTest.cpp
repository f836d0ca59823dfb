#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <functional>

#include "CloseWays.h"
#include "Controls.h"
#include "Jobs.h"
#include "Modals.h"
#include "ScriptedDialogs.h"
#include "SlowPlatform.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "TestServices.h"
#include "common/Drives.h"
#include "common/Services.h"
#include "folderhogs/TfrmDirHog.h"
#include "ui/DriveCheckPanel.h"
#include "ui/ResultGridView.h"
#include "ui/SortMenu.h"
#include "ui/TfrmDelDirectory.h"

namespace rk {
namespace {

using test::scriptedDialogs;
using test::SlowPlatform;
using test::TempTree;
using test::TestPlatform;

// A folder-hog window over a drive made of a temporary tree:
// a: 10 files of 100 bytes and a/deep with 4,096 bytes; b: 9 files of 2 K; e: empty.
class TfrmDirHogTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 10; ++i)
            tree.file("a/f" + QByteArray::number(i), std::int64_t(100));
        tree.file("a/deep/big", std::int64_t(4096));
        for (int i = 0; i < 9; ++i)
            tree.file("b/f" + QByteArray::number(i), std::int64_t(2048));
        tree.dir("e");
        // Sparse files, taken to fill their length: the sizes and savings below are lengths.
        installed.platform().setRoomFollowsLength(true);
        installed.platform().setCurrentFolder(tree.root());
        installed.reloadDrives();
    }
    void TearDown() override { window.reset(); }
    TfrmDirHog& open() {
        window = std::make_unique<TfrmDirHog>(installed.services());
        window->show();
        return *window;
    }
    QStringList column(int c) const {
        QStringList out;
        const ResultGrid& g = window->grid->results();
        for (int r = 0; r < g.rowCount(); ++r)
            out.append(g.cell(c, r));
        return out;
    }
    int rowOf(const QByteArray& path) const {
        const ResultGrid& g = window->grid->results();
        for (int r = 0; r < g.rowCount(); ++r)
            if (g.pathOf(r) == path) return r;
        return -1;
    }
    // A real double click: the press and release of the first click come first.
    static void doubleClick(QWidget* target, QPoint at) {
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        QTest::mouseDClick(target, Qt::LeftButton, {}, at);
    }
    QString name(const QByteArray& relative) const {
        return QString::fromLocal8Bit(tree.path(relative));
    }
    // Runs Delete on the row; the folder confirmation, when it opens, is answered by
    // `answer`. Returns whether it opened.
    bool deleteRow(int row, const std::function<void(TfrmDelDirectory&)>& answer = {},
                   bool byDoubleClick = false) {
        const QByteArray path = window->grid->results().pathOf(row);
        window->grid->setCurrentRow(row);
        return test::asksToDeleteFolder(
            [&] {
                if (!byDoubleClick) return window->btDeleteClick();
                const QRect cell = window->grid->visualRect(window->grid->model()->index(row, 0));
                doubleClick(window->grid->viewport(), cell.center());
            },
            path, answer);
    }

    TempTree tree;
    test::TestServices installed{{tree.root()}};
    std::unique_ptr<TfrmDirHog> window;
};

TEST_F(TfrmDirHogTest, MainFoldersRankedWithTheResultButtons) {
    TfrmDirHog& w = open();
    EXPECT_EQ(column(5), QStringList({""}));
    EXPECT_EQ(w.grid->results().title(3), "# Sub-folders");
    for (QPushButton* b :
         {test::control<QPushButton>(w, "btAbort"), test::control<QPushButton>(w, "btDelete"),
          test::control<QPushButton>(w, "btPrint"), test::control<QPushButton>(w, "btClip"),
          test::control<QPushButton>(w, "btBrowse"), test::control<QPushButton>(w, "btSort")})
        EXPECT_FALSE(b->isVisible()) << b->objectName().toStdString();
    EXPECT_TRUE(test::control<QPushButton>(w, "btTop")->isEnabled());
    EXPECT_TRUE(test::control<QPushButton>(w, "btAll")->isEnabled());

    test::control<QPushButton>(w, "btTop")->click();
    test::finishScans();
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());
    EXPECT_EQ(column(0), QStringList({"     18 K", "      4 K", "      0 K"}));
    EXPECT_EQ(column(2), QStringList({"9", "11", "0"}));
    EXPECT_EQ(column(3), QStringList({"0", "1", "0"}));
    EXPECT_EQ(column(5), QStringList({name("b"), name("a"), name("e")}));
    // The count is the rows listed.
    EXPECT_EQ(test::control<QLabel>(w, "pnlScan")->text(), "Folders : 3");
    for (QPushButton* b :
         {test::control<QPushButton>(w, "btDelete"), test::control<QPushButton>(w, "btPrint"),
          test::control<QPushButton>(w, "btClip"), test::control<QPushButton>(w, "btBrowse"),
          test::control<QPushButton>(w, "btSort")})
        EXPECT_TRUE(b->isVisible()) << b->objectName().toStdString();
    EXPECT_FALSE(test::control<QPushButton>(w, "btAbort")->isVisible());
    EXPECT_TRUE(test::control<QPushButton>(w, "btClose")->isEnabled());
    EXPECT_EQ(w.printTitle(),
              "Folder hogs on drive(s) " + QString::fromLocal8Bit(tree.root()) + " ");

    // "# Files" sorts as numbers: 11 above 9.
    w.SortbySize1Click(test::control<QAction>(w, "Sortbyfiles1"));
    EXPECT_EQ(column(2), QStringList({"11", "9", "0"}));
    EXPECT_TRUE(test::control<QAction>(w, "Sortbyfiles1")->isChecked());
    EXPECT_FALSE(test::control<QAction>(w, "SortbySize1")->isChecked());
    // The clipboard keeps the ranking, not the grid's order.
    w.btClipClick();
    const QStringList clip = QGuiApplication::clipboard()->text().split('\n');
    ASSERT_EQ(clip.size(), 4);
    EXPECT_EQ(clip[0].section('\t', 0, 0), "     18 K");
    EXPECT_EQ(clip[0].section('\t', 2, 3), "9\t0");
    EXPECT_EQ(clip[0].section('\t', 5), name("b"));
    EXPECT_EQ(clip[3], "");

    // A new scan starts with the size order checked.
    test::control<QPushButton>(w, "btAll")->click();
    test::finishScans();
    EXPECT_TRUE(test::control<QAction>(w, "SortbySize1")->isChecked());
    EXPECT_FALSE(test::control<QAction>(w, "Sortbyfiles1")->isChecked());
    EXPECT_EQ(test::control<QLabel>(w, "pnlScan")->text(),
              "Folders : 5");  // the root has a row of its own
}

TEST_F(TfrmDirHogTest, ADriveThatCannotBeOpenedIsToldByTheWindowOnceTheScanEnds) {
    TfrmDirHog& w = open();
    installed.platform().failToOpen(tree.root(), EACCES);
    test::control<QPushButton>(w, "btAll")->click();
    test::finishScans();
    ASSERT_FALSE(scriptedDialogs().asked.empty());
    EXPECT_EQ(scriptedDialogs().asked[0].text,
              "Can't open drive " + QString::fromLocal8Bit(tree.root()));
    EXPECT_EQ(scriptedDialogs().asked[0].kind, MessageKind::Error);
}

TEST_F(TfrmDirHogTest, DeletingFoldersMarksTheirRowsAndDropsTheirLines) {
    installed.platform().setOffersTrash(true);
    TfrmDirHog& w = open();
    test::control<QPushButton>(w, "btAll")->click();
    test::finishScans();
    ASSERT_EQ(w.clipboardLines().size(), 5);
    const ResultGrid& g = w.grid->results();

    // A double click on the row asks as the button does.
    EXPECT_TRUE(deleteRow(
        rowOf(tree.path("a")), [](TfrmDelDirectory& d) { d.btDeleteClick(); }, true));
    EXPECT_FALSE(QFileInfo::exists(name("a")));
    EXPECT_EQ(scriptedDialogs().texts(),
              QStringList({"Deleted 11 files for a savings of 5,096 bytes."}));
    // The folder inside went with it, and so did both their lines.
    EXPECT_EQ(g.cell(0, rowOf(tree.path("a"))), "DELETED");
    EXPECT_EQ(g.cell(0, rowOf(tree.path("a/deep"))), "DELETED");
    EXPECT_EQ(g.cell(2, rowOf(tree.path("a"))), "10");
    const QStringList lines = w.clipboardLines();
    EXPECT_EQ(lines.size(), 3);
    for (const QString& line : lines)
        EXPECT_FALSE(line.endsWith(name("a")) || line.endsWith(name("a/deep")))
            << line.toStdString();

    // A second delete on a removed row.
    scriptedDialogs().clear();
    EXPECT_FALSE(deleteRow(rowOf(tree.path("a"))));
    EXPECT_EQ(scriptedDialogs().texts(), QStringList({"Folder already deleted/recycled"}));

    // Sorting by size puts the removed rows above every size.
    scriptedDialogs().answer(ButtonYes);  // the recycle bin note
    EXPECT_TRUE(deleteRow(rowOf(tree.path("e")), [](TfrmDelDirectory& d) { d.btRecycleClick(); }));
    w.SortbySize1Click(test::control<QAction>(w, "SortbySize1"));
    EXPECT_EQ(column(0).mid(0, 4), QStringList({"DELETED", "DELETED", "DELETED", "     18 K"}));
}

TEST_F(TfrmDirHogTest, AClosingAskedForDuringADeletionWaitsForItsEnd) {
    tree.file("a/.hidden", std::int64_t(10));
    // The question about the hidden file comes while the deletion runs: close then.
    struct ClosingDialogs : test::ScriptedDialogs {
        Button message(const MessageRequest& request) override {
            if (window && window->isVisible()) {
                window->close();
                shownAfterClose = window->isVisible();
            }
            return test::ScriptedDialogs::message(request);
        }
        TfrmDirHog* window = nullptr;
        bool shownAfterClose = false;
    } dialogs;
    installed.useDialogs(dialogs);
    TfrmDirHog& w = open();
    test::control<QPushButton>(w, "btTop")->click();
    test::finishScans();
    dialogs.window = &w;
    EXPECT_TRUE(deleteRow(rowOf(tree.path("a")), [](TfrmDelDirectory& d) { d.btDeleteClick(); }));
    ASSERT_FALSE(dialogs.asked.empty());
    EXPECT_TRUE(dialogs.shownAfterClose);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Rejected);
}

TEST_F(TfrmDirHogTest, DoubleClickOnTheTitleRowOrAnEmptyRowDoesNothing) {
    TfrmDirHog& w = open();
    // Before any scan the grid holds one empty row.
    const QModelIndex empty = w.grid->model()->index(0, 0);
    ASSERT_TRUE(w.grid->visualRect(empty).isValid());
    EXPECT_FALSE(test::opensModal(
        [&] { doubleClick(w.grid->viewport(), w.grid->visualRect(empty).center()); }));
    EXPECT_EQ(w.grid->currentRow(), 0);

    test::control<QPushButton>(w, "btTop")->click();
    test::finishScans();
    w.grid->setCurrentRow(-1);
    EXPECT_FALSE(test::opensModal([&] {
        doubleClick(w.grid->horizontalHeader()->viewport(),
                    QPoint(10, w.grid->horizontalHeader()->height() / 2));
    }));
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());
    EXPECT_FALSE(deleteRow(-1));
    EXPECT_TRUE(QFileInfo::exists(name("e")));
}

using TfrmDirHogScanTest = test::WithSlowPlatform<TfrmDirHogTest>;

TEST_F(TfrmDirHogScanTest, AbortedScanPutsTheAbortLineFirst) {
    TfrmDirHog& w = open();
    bool abortedDuringScan = false;
    QTimer::singleShot(0, [&] {
        abortedDuringScan = w.isScanning();
        w.btAbortClick();
    });
    test::control<QPushButton>(w, "btTop")->click();
    test::finishScans();
    ASSERT_TRUE(abortedDuringScan);
    EXPECT_EQ(scriptedDialogs().texts().first(), "LIST INCOMPLETE ... ABORTED BY USER");
    const int rows = w.rowsFilled;
    EXPECT_LT(rows, 3);
    EXPECT_EQ(test::control<QLabel>(w, "pnlScan")->text(),
              "Folders : " + QString::number(rows) + " - LIST INCOMPLETE ... ABORTED BY USER");
    const QStringList lines = w.clipboardLines();
    ASSERT_EQ(lines.size(), rows + 1);
    EXPECT_EQ(lines.first(), "LIST INCOMPLETE ... ABORTED BY USER");
    EXPECT_FALSE(w.isScanning());
    EXPECT_TRUE(test::control<QPushButton>(w, "btTop")->isEnabled());
    EXPECT_FALSE(test::control<QPushButton>(w, "btAbort")->isVisible());
}

TEST_F(TfrmDirHogScanTest, CloseAndTheCloseBoxStopTheScanAndCloseTheWindow) {
    test::expectEachCloseStopsTheWalk(
        slow, [&]() -> ResultWindow& { return open(); },
        [](ResultWindow& w) { test::control<QPushButton>(w, "btAll")->click(); });
}

TEST_F(TfrmDirHogScanTest, AWindowGoneDuringItsScanTakesItsJobAlong) {
    TfrmDirHog& w = open();
    slow.reads = 0;
    test::control<QPushButton>(w, "btAll")->click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(w.isScanning());
    const int readsThen = slow.reads;
    // What the walk held is freed with it (the leak checker of the sanitized build sees it).
    window.reset();
    EXPECT_EQ(ScanJob::runningCount(), 0);
    test::finishScans();
    EXPECT_EQ(slow.reads, readsThen);
}

TEST_F(TfrmDirHogScanTest, EscapeDuringTheWalkIsAbortAndKeepsTheWindow) {
    test::expectEscapeIsAbortDuringTheWalk(
        slow, [&]() -> ResultWindow& { return open(); },
        [](ResultWindow& w) { test::control<QPushButton>(w, "btAll")->click(); }, 4);
}

TEST_F(TfrmDirHogTest, ClickingAColumnTitleSortsAsItsMenuItem) {
    TfrmDirHog& w = open();
    test::control<QPushButton>(w, "btTop")->click();
    test::finishScans();
    QHeaderView* titles = w.grid->horizontalHeader();
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                      QPoint(titles->sectionViewportPosition(2) + 5, titles->height() / 2));
    EXPECT_EQ(column(2), QStringList({"11", "9", "0"}));
    EXPECT_TRUE(test::control<QAction>(w, "Sortbyfiles1")->isChecked());
    EXPECT_FALSE(test::control<QAction>(w, "SortbySize1")->isChecked());
    // A column without a menu item sorts nothing and keeps the check.
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                      QPoint(titles->sectionViewportPosition(1) + 5, titles->height() / 2));
    EXPECT_EQ(column(2), QStringList({"11", "9", "0"}));
    EXPECT_TRUE(test::control<QAction>(w, "Sortbyfiles1")->isChecked());
}

}  // namespace
}  // namespace rk
