#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "CloseWays.h"
#include "Controls.h"
#include "FileChecks.h"
#include "Jobs.h"
#include "LayoutChecks.h"
#include "RoomTree.h"
#include "ScriptedDialogs.h"
#include "SlowPlatform.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "TestServices.h"
#include "common/Drives.h"
#include "common/Errors.h"
#include "common/SearchPath.h"
#include "common/Services.h"
#include "duplicates/DupColumns.h"
#include "duplicates/TfrmDup.h"
#include "ui/DriveCheckPanel.h"
#include "ui/ResultGridView.h"
#include "ui/SortMenu.h"
#include "ui/TfrmReallyDelete.h"

namespace rk {
namespace {

using test::scriptedDialogs;
using test::SlowPlatform;
using test::TempTree;
using test::TestPlatform;

// A duplicate window over a drive made of a temporary tree.
class TfrmDupTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Ordinary files, whose room on disk is their length.
        test::writeWhole(tree, "a/readme.txt", 300 * 1024);
        test::writeWhole(tree, "b/README.TXT", 300 * 1024);
        test::writeWhole(tree, "b/big.iso", 900 * 1024);
        test::writeWhole(tree, "c/readme.txt", 400 * 1024);
        installed.platform().setCurrentFolder(tree.root());
        installed.reloadDrives();
        setSearchPathList({});
    }
    void TearDown() override { window.reset(); }
    // Delete, and in the confirmation Delete all, as the user does.
    static void deleteAllMarked(TfrmDup& w) {
        QTimer::singleShot(0, [] {
            auto* confirm = qobject_cast<TfrmReallyDelete*>(QApplication::activeModalWidget());
            ASSERT_TRUE(confirm);
            confirm->btDeleteAllClick();
        });
        w.btDeleteClick();
    }
    TfrmDup& open(bool duplicates) {
        window = std::make_unique<TfrmDup>(installed.services(), duplicates);
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

    std::vector<QByteArray> markedPaths() const {
        std::vector<QByteArray> out;
        for (const MarkedFile& f : window->marks().files())
            out.push_back(f.path);
        return out;
    }

    TempTree tree;
    test::TestServices installed{{tree.root()}};
    std::unique_ptr<TfrmDup> window;
};

TEST_F(TfrmDupTest, TextsFollowTheMode) {
    TfrmDup& dup = open(true);
    EXPECT_TRUE(test::control<QPushButton>(dup, "btExact")->isVisible());
    EXPECT_EQ(dup.grid->results().columnCount(), 7);
    EXPECT_EQ(test::control<QLabel>(dup, "lblKB")->text(), "KB (256000 bytes)");
    EXPECT_EQ(test::control<QComboBox>(dup, "cbWildCard")->currentText(), "*.*");
    EXPECT_EQ(test::control<QLabel>(dup, "lblWild")->text(), "All files");
    ASSERT_GT(test::control<QComboBox>(dup, "cbWildCard")->count(), 1);
    EXPECT_EQ(test::control<QComboBox>(dup, "cbWildCard")->itemText(0), "*.*");
    test::control<QComboBox>(dup, "cbWildCard")->setEditText("*.txt");
    EXPECT_EQ(test::control<QLabel>(dup, "lblWild")->text(), "");
    EXPECT_EQ(test::control<QLabel>(dup, "lblType")->text(), "plain text document");

    const QString dupTitle = dup.windowTitle();
    TfrmDup& hogs = open(false);
    EXPECT_NE(hogs.windowTitle(), dupTitle);
    EXPECT_FALSE(test::control<QPushButton>(hogs, "btExact")->isVisible());
    EXPECT_EQ(hogs.grid->results().columnCount(), 6);
    EXPECT_EQ(hogs.grid->results().title(4), "FileName");
}

TEST_F(TfrmDupTest, TheQueryTakesATypedSizeAndTheWindowFitsWhatItShows) {
    TfrmDup& w = open(true);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const auto typed = [&w](const QString& text) {
        test::control<QSpinBox>(w, "SpinEdit1")->setFocus();
        test::control<QSpinBox>(w, "SpinEdit1")->selectAll();
        QTest::keyClick(test::control<QSpinBox>(w, "SpinEdit1"), Qt::Key_Backspace);
        QTest::keyClicks(test::control<QSpinBox>(w, "SpinEdit1"), text);
        test::control<QComboBox>(w, "cbWildCard")->setFocus();
        return test::control<QSpinBox>(w, "SpinEdit1")->value();
    };
    EXPECT_EQ(typed("1200"), 1200);
    EXPECT_EQ(test::control<QLabel>(w, "lblKB")->text(), KiloToMega(1200));
    EXPECT_EQ(typed("75000"), 50000);
    EXPECT_EQ(typed(""), 50000);  // emptied: the size stays
    QTest::keyClick(test::control<QSpinBox>(w, "SpinEdit1"), Qt::Key_Down);
    EXPECT_EQ(test::control<QSpinBox>(w, "SpinEdit1")->value(), 49950);

    // The type name stands beside the pattern; the result's buttons fit at the smallest size.
    test::control<QComboBox>(w, "cbWildCard")->setEditText(QStringLiteral("*.txt"));
    QCoreApplication::processEvents();
    EXPECT_NEAR(test::control<QLabel>(w, "lblType")->geometry().center().y(),
                test::control<QComboBox>(w, "cbWildCard")->geometry().center().y(), 2);
    test::control<QSpinBox>(w, "SpinEdit1")->setValue(0);
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    ASSERT_TRUE(test::control<QPushButton>(w, "btClip")->isVisible());
    EXPECT_EQ(
        test::cutAtSmallest(
            w,
            {test::control<QPushButton>(w, "btScan"), test::control<QPushButton>(w, "btExact"),
             test::control<QPushButton>(w, "btContent"), test::control<QPushButton>(w, "btClose"),
             test::control<QPushButton>(w, "btMark"), test::control<QPushButton>(w, "btDelete"),
             test::control<QPushButton>(w, "btPrint"), test::control<QPushButton>(w, "btClip"),
             test::control<QPushButton>(w, "btBrowse")}),
        QStringList());
}

TEST_F(TfrmDupTest, ButtonRowBeforeAndAfterAScan) {
    TfrmDup& w = open(true);
    for (QPushButton* b :
         {test::control<QPushButton>(w, "btAbort"), test::control<QPushButton>(w, "btMark"),
          test::control<QPushButton>(w, "btDelete"), test::control<QPushButton>(w, "btPrint"),
          test::control<QPushButton>(w, "btClip"), test::control<QPushButton>(w, "btBrowse"),
          test::control<QPushButton>(w, "btSort")})
        EXPECT_FALSE(b->isVisible()) << b->objectName().toStdString();
    EXPECT_TRUE(test::control<QPushButton>(w, "btScan")->isEnabled());
    EXPECT_TRUE(w.pnlDrives->box(1)->isChecked());  // the current drive
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    // Sorted by the whole record without regard to case: folder a before folder b.
    EXPECT_EQ(column(0), QStringList({"readme.txt    ", "README.TXT    ", "readme.txt    "}));
    for (QPushButton* b :
         {test::control<QPushButton>(w, "btMark"), test::control<QPushButton>(w, "btDelete"),
          test::control<QPushButton>(w, "btPrint"), test::control<QPushButton>(w, "btClip"),
          test::control<QPushButton>(w, "btBrowse")})
        EXPECT_TRUE(b->isVisible()) << b->objectName().toStdString();
    EXPECT_FALSE(test::control<QPushButton>(w, "btDelete")->isEnabled());
    EXPECT_FALSE(
        test::control<QPushButton>(w, "btSort")->isVisible());  // no sorting of duplicate groups
    EXPECT_FALSE(test::control<QPushButton>(w, "btAbort")->isVisible());
    EXPECT_TRUE(test::control<QPushButton>(w, "btClose")->isEnabled());
    EXPECT_EQ(test::control<QLabel>(w, "pnlSel")->text(), "3 duplicates found");
    // Unchecking the only drive disables both scan buttons.
    QTest::mouseClick(w.pnlDrives->box(1), Qt::LeftButton, {},
                      QPoint(4, w.pnlDrives->box(1)->height() / 2));
    EXPECT_FALSE(test::control<QPushButton>(w, "btScan")->isEnabled());
    EXPECT_FALSE(test::control<QPushButton>(w, "btExact")->isEnabled());
}

TEST_F(TfrmDupTest, NothingFoundSaysSo) {
    TfrmDup& w = open(true);
    test::control<QSpinBox>(w, "SpinEdit1")->setValue(50000);
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    EXPECT_EQ(scriptedDialogs().texts(), QStringList({"No files found."}));
    EXPECT_FALSE(test::control<QPushButton>(w, "btPrint")->isVisible());
    EXPECT_FALSE(test::control<QPushButton>(w, "btMark")->isVisible());
}

TEST_F(TfrmDupTest, GroupsAreShadedInTurnAndTheFolderColumnTakesAWiderWindow) {
    tree.file("d/photo.jpg", std::int64_t(500 * 1024));
    tree.file("e/PHOTO.JPG", std::int64_t(500 * 1024));
    TfrmDup& w = open(true);
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    ASSERT_EQ(column(0).size(), 5);  // two photos, then three readmes
    const ResultGrid& g = w.grid->results();
    EXPECT_EQ(g.isShaded(0), g.isShaded(1));
    EXPECT_NE(g.isShaded(1), g.isShaded(2));
    EXPECT_EQ(g.isShaded(2), g.isShaded(4));
    // Maximised, the paths get the room; the type keeps its width.
    const int folder = w.grid->columnWidth(DupColumns::Folder);
    const int type = w.grid->columnWidth(DupColumns::Type);
    w.resize(w.width() + 400, w.height());
    EXPECT_GE(w.grid->columnWidth(DupColumns::Folder), folder + 380);
    EXPECT_EQ(w.grid->columnWidth(DupColumns::Type), type);
    EXPECT_EQ(w.grid->horizontalHeader()->length(), w.grid->viewport()->width());
}

TEST_F(TfrmDupTest, AMarkedLongNameStillFitsItsColumn) {
    tree.file("d/photos-of-the-lake.jpg", std::int64_t(500 * 1024));
    tree.file("e/photos-of-the-lake.jpg", std::int64_t(500 * 1024));
    TfrmDup& w = open(true);
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    const ResultGrid& g = w.grid->results();
    const int c = g.schema().markColumn;
    for (int row = 0; row < g.rowCount(); ++row)
        if (g.cell(c, row).startsWith(QLatin1String("photos"))) {
            w.grid->setCurrentRow(row);
            w.marking().toggleCurrent();
            break;
        }
    ASSERT_EQ(w.marks().count(), 1);
    EXPECT_GE(g.columnWidth(c), w.grid->contentWidth(c, 500));
}

TEST_F(TfrmDupTest, DeleteKeyWalksDownAndStaysOnTheLastRow) {
    TfrmDup& w = open(true);
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    w.grid->setCurrentRow(0);
    w.grid->setFocus();
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(w.grid, Qt::Key_Delete);
    // Rows 1 and 2 marked on the way down; the last row toggled twice.
    EXPECT_TRUE(w.grid->results().isMarked(0));
    EXPECT_TRUE(w.grid->results().isMarked(1));
    EXPECT_FALSE(w.grid->results().isMarked(2));
    EXPECT_EQ(w.grid->currentRow(), 2);
    EXPECT_EQ(w.marks().count(), 2);
    // A new scan starts without marks.
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    EXPECT_EQ(w.marks().count(), 0);
    EXPECT_EQ(w.marks().bytes(), 0);
    EXPECT_FALSE(test::control<QPushButton>(w, "btDelete")->isEnabled());
    EXPECT_FALSE(w.grid->results().isMarked(0));
    EXPECT_TRUE(w.marks().files().empty());
}

TEST_F(TfrmDupTest, HogsSortBySizeAsNumbersAndMarkTheirFileNameColumn) {
    TfrmDup& w = open(false);
    test::control<QSpinBox>(w, "SpinEdit1")->setValue(0);
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    EXPECT_EQ(column(0), QStringList({"  900 K", "  400 K", "  300 K", "  300 K"}));
    EXPECT_TRUE(test::control<QPushButton>(w, "btSort")->isVisible());
    test::control<SortMenu>(w, "PopupMenu1")->choose(test::control<QAction>(w, "SortbyName1"));
    EXPECT_EQ(column(4).first(), QString::fromLocal8Bit(tree.path("a/readme.txt")));
    w.grid->setCurrentRow(0);
    w.marking().toggleCurrent();
    EXPECT_TRUE(w.grid->results().isMarked(4, 0));
    // A click on a column title sorts as its menu item does, and checks it.
    QHeaderView* titles = w.grid->horizontalHeader();
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                      QPoint(titles->sectionViewportPosition(0) + 5, titles->height() / 2));
    EXPECT_EQ(column(0).first(), "  900 K");
    EXPECT_TRUE(test::control<QAction>(w, "Sortbysize1")->isChecked());
    EXPECT_FALSE(test::control<QAction>(w, "SortbyName1")->isChecked());
    EXPECT_TRUE(titles->isSortIndicatorShown());
    EXPECT_EQ(titles->sortIndicatorSection(), HogColumns::Size);
    EXPECT_EQ(titles->sortIndicatorOrder(), Qt::DescendingOrder);
    // The marked row moved with its mark.
    int marked = 0;
    for (int r = 0; r < w.grid->results().rowCount(); ++r) {
        if (!w.grid->results().isMarked(r)) continue;
        EXPECT_EQ(w.grid->results().cell(4, r), QString::fromLocal8Bit(tree.path("a/readme.txt")));
        ++marked;
    }
    EXPECT_EQ(marked, 1);
}

TEST_F(TfrmDupTest, DeletingMarkedFilesThroughTheConfirmation) {
    TfrmDup& w = open(true);
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    w.grid->setCurrentRow(0);
    w.marking().toggleCurrent();
    w.grid->setCurrentRow(2);
    w.marking().toggleCurrent();
    ASSERT_EQ(w.marks().count(), 2);
    // Cancelled: the window stays, its marks too.
    QTimer::singleShot(0, [] {
        auto* confirm = qobject_cast<TfrmReallyDelete*>(QApplication::activeModalWidget());
        ASSERT_TRUE(confirm);
        EXPECT_EQ(confirm->savings, 700 * 1024);
        confirm->reject();
    });
    w.btDeleteClick();
    EXPECT_EQ(w.result(), QDialog::Rejected);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.marks().count(), 2);
    // Confirmed: the marked files go, the other stays, and the window closes.
    scriptedDialogs().answer(ButtonYes);  // "Really delete?"
    deleteAllMarked(w);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(QFile::exists(QString::fromLocal8Bit(tree.path("a/readme.txt"))));
    EXPECT_FALSE(QFile::exists(QString::fromLocal8Bit(tree.path("c/readme.txt"))));
    EXPECT_TRUE(QFile::exists(QString::fromLocal8Bit(tree.path("b/README.TXT"))));
}

// A window reads, asks and deletes through the services it was made with, never through what
// the rest of the program has installed: here an installed platform that can neither open the
// drive nor remove a file, and installed dialogs that fail the test when asked.
TEST_F(TfrmDupTest, AWindowScansMarksAndDeletesThroughItsOwnServicesOnly) {
    test::ScriptedDialogs own;
    installed.useDialogs(own);
    TfrmDup& w = open(true);
    test::TestPlatform elsewhere({tree.root()});
    elsewhere.failToOpen(tree.root(), EACCES);
    for (const char* name : {"a/readme.txt", "c/readme.txt"})
        elsewhere.failToRemove(tree.path(name), EACCES);
    const test::PlatformScope scope(elsewhere);
    test::ScriptedDialogs refusing;
    refusing.failWhenAsked = true;
    setDialogService(&refusing);
    const auto restore = qScopeGuard([] { setDialogService(&scriptedDialogs()); });

    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    ASSERT_EQ(w.grid->results().rowCount(), 3);
    w.grid->setCurrentRow(0);
    w.marking().toggleCurrent();
    w.grid->setCurrentRow(2);
    w.marking().toggleCurrent();
    ASSERT_EQ(w.marks().bytes(), 700 * 1024);
    own.answer(ButtonYes);  // "Really delete?"
    deleteAllMarked(w);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(test::exists(tree.path("a/readme.txt")));
    EXPECT_FALSE(test::exists(tree.path("c/readme.txt")));
    EXPECT_TRUE(own.texts().contains("Really delete?"));
    EXPECT_TRUE(refusing.asked.empty());
    EXPECT_EQ(elsewhere.beeps, 0);
}

TEST_F(TfrmDupTest, RowsOnTheSearchPathMarkTheFileItself) {
    setSearchPathList(SearchPathList(tree.path("b"), {}, {}));
    TfrmDup& w = open(false);
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    int row = -1;
    for (int r = 0; r < w.grid->results().rowCount(); ++r)
        if (w.grid->results().cell(4, r).endsWith("*(SEARCHPATH)*") &&
            w.grid->results().cell(4, r).contains("README"))
            row = r;
    ASSERT_GE(row, 0);
    w.grid->setCurrentRow(row);
    w.marking().toggleCurrent();
    EXPECT_EQ(markedPaths(), std::vector<QByteArray>({tree.path("b/README.TXT")}));
    EXPECT_EQ(w.marks().bytes(), 300 * 1024);
}

TEST_F(TfrmDupTest, AnErrorDuringTheScanLeavesTheWindowUsable) {
    TfrmDup& w = open(true);
    installed.platform().failToOpen(tree.path("b"), EIO);
    scriptedDialogs().clear();
    w.btScanClick();
    test::finishScans();
    // The error ends the job and goes to the general error box.
    EXPECT_EQ(scriptedDialogs().texts().size(), 1);
    EXPECT_FALSE(w.isScanning());
    EXPECT_TRUE(test::control<QPushButton>(w, "btClose")->isEnabled());
    EXPECT_TRUE(test::control<QPushButton>(w, "btScan")->isEnabled());
    EXPECT_FALSE(test::control<QPushButton>(w, "btAbort")->isVisible());
    // A folder that may not be read is only skipped, and the status says so.
    installed.platform().failToOpen(tree.path("b"), EACCES);
    w.btScanClick();
    test::finishScans();
    EXPECT_EQ(test::control<QLabel>(w, "pnlSel")->text(),
              "2 duplicates found (1 folder could not be read)");
}

TEST_F(TfrmDupTest, ClipboardAndPrintedTitle) {
    TfrmDup& w = open(true);
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    w.btClipClick();
    const QString clip = QGuiApplication::clipboard()->text();
    EXPECT_EQ(clip.count('\n'), 3);
    EXPECT_TRUE(clip.startsWith("readme.txt    \t  300 K\t"));
    EXPECT_TRUE(clip.contains(QString::fromLocal8Bit(tree.path("c")) + "/\tplain text document\n"));
    EXPECT_EQ(w.printTitle(), "Duplicates larger than 250KB matching *.* on drive(s) " +
                                  QString::fromLocal8Bit(tree.root()) + " ");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("report.pdf");
    scriptedDialogs().printTo(pdf);
    w.btPrintClick();
    QProcess p;
    p.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains("Duplicates larger than 250KB matching *.* on drive(s)"));
    EXPECT_TRUE(text.contains("README.TXT"));
}

TEST_F(TfrmDupTest, DuplicateGroupsIgnoreClicksOnColumnTitles) {
    TfrmDup& w = open(true);
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    const QStringList before = column(5);
    QHeaderView* titles = w.grid->horizontalHeader();
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                      QPoint(titles->sectionViewportPosition(5) + 5, titles->height() / 2));
    EXPECT_EQ(column(5), before);
}

TEST_F(TfrmDupTest, AFileChangedAfterMarkingIsPassedAsItWasMarked) {
    TfrmDup& w = open(true);
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    w.grid->setCurrentRow(0);
    w.marking().toggleCurrent();
    tree.file("a/readme.txt", std::int64_t(10));  // rewritten since
    ASSERT_EQ(w.marks().files().size(), 1u);
    EXPECT_EQ(w.marks().files()[0].size, 300 * 1024);
    EXPECT_GT(w.marks().files()[0].inode, 0u);
    std::int64_t savings = -1;
    QTimer::singleShot(0, [&] {
        auto* confirm = qobject_cast<TfrmReallyDelete*>(QApplication::activeModalWidget());
        ASSERT_TRUE(confirm);
        savings = confirm->savings;
        confirm->reject();
    });
    w.btDeleteClick();
    EXPECT_EQ(savings, 300 * 1024);
    // Unmarking takes back what the mark added, not the file's size now.
    w.marking().toggleCurrent();
    EXPECT_EQ(w.marks().count(), 0);
    EXPECT_EQ(w.marks().bytes(), 0);
    // A file gone before it was marked adds nothing, and taking its mark back takes nothing.
    w.grid->setCurrentRow(1);
    w.marking().toggleCurrent();
    QFile::remove(QString::fromLocal8Bit(tree.path("c/readme.txt")));
    w.grid->setCurrentRow(2);
    w.marking().toggleCurrent();
    w.marking().toggleCurrent();
    EXPECT_EQ(w.marks().count(), 1);
    EXPECT_EQ(w.marks().bytes(), 300 * 1024);
    EXPECT_EQ(markedPaths(), std::vector<QByteArray>({tree.path("b/README.TXT")}));
}

using TfrmDupScanTest = test::WithSlowPlatform<TfrmDupTest>;

TEST_F(TfrmDupScanTest, CloseAndTheCloseBoxStopTheScanAndCloseTheWindow) {
    for (const bool duplicates : {true, false})
        test::expectEachCloseStopsTheWalk(
            slow, [&]() -> ResultWindow& { return open(duplicates); },
            [](ResultWindow& w) { test::control<QPushButton>(w, "btScan")->click(); });
}

TEST_F(TfrmDupScanTest, EscapeDuringTheWalkIsAbortAndKeepsTheWindow) {
    for (const bool duplicates : {true, false})
        test::expectEscapeIsAbortDuringTheWalk(
            slow, [&]() -> ResultWindow& { return open(duplicates); },
            [](ResultWindow& w) { test::control<QPushButton>(w, "btScan")->click(); }, 3);
}

TEST_F(TfrmDupScanTest, AnAbortedListSaysSoInItsStatus) {
    TfrmDup& w = open(false);
    test::control<QSpinBox>(w, "SpinEdit1")->setValue(0);
    QTimer::singleShot(0, [&] { w.btAbortClick(); });
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    ASSERT_FALSE(scriptedDialogs().texts().isEmpty());
    EXPECT_EQ(scriptedDialogs().texts().first(), "LIST INCOMPLETE ... ABORTED BY USER");
    EXPECT_TRUE(w.listIncomplete());
    EXPECT_TRUE(test::control<QLabel>(w, "pnlSel")
                    ->text()
                    .endsWith(" - LIST INCOMPLETE ... ABORTED BY USER"))
        << test::control<QLabel>(w, "pnlSel")->text().toStdString();
    // The next scan that runs to its end is complete again.
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    EXPECT_FALSE(w.listIncomplete());
    EXPECT_EQ(test::control<QLabel>(w, "pnlSel")->text(), "4 file hogs found");
}

TEST_F(TfrmDupTest, OnceTheRowsGoInAbortIsNotOfferedButACloseStopsThem) {
    TfrmDup& w = open(false);
    test::control<QSpinBox>(w, "SpinEdit1")->setValue(0);
    bool abortShown = true;
    auto hook = QObject::connect(&w.grid->results(), &QAbstractItemModel::dataChanged, &w, [&] {
        if (!w.isScanning()) return;
        abortShown = test::control<QPushButton>(w, "btAbort")->isVisible();
        w.btAbortClick();
    });
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    QObject::disconnect(hook);
    EXPECT_FALSE(abortShown);
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());
    EXPECT_FALSE(w.listIncomplete());
    EXPECT_EQ(test::control<QLabel>(w, "pnlSel")->text(), "4 file hogs found");

    hook = QObject::connect(&w.grid->results(), &QAbstractItemModel::dataChanged, &w, [&] {
        if (w.isScanning()) w.close();
    });
    test::control<QPushButton>(w, "btScan")->click();
    test::finishScans();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.isScanning());
    EXPECT_EQ(w.rowsFilled, 1);
}

}  // namespace
}  // namespace rk

namespace rk {
namespace {

// Deletes the marked files of the window through its confirmation, giving the questions
// asked on the way these answers.
void deleteMarked(TfrmDup& w, std::initializer_list<Button> answers) {
    for (const Button b : answers)
        scriptedDialogs().answer(b);
    QTimer::singleShot(0, [] {
        auto* confirm = qobject_cast<TfrmReallyDelete*>(QApplication::activeModalWidget());
        ASSERT_TRUE(confirm);
        confirm->btDeleteAllClick();
        confirm->reject();
    });
    w.btDeleteClick();
}

TEST_F(TfrmDupTest, ContentGroupsKeepOneCopyUnmarkedAndStillThereWhenDeleting) {
    // The same zeros as both readme.txt, but sparse: keeping it would free the most room.
    tree.file("d/other.bin", std::int64_t(300 * 1024));
    TfrmDup& w = open(true);
    ASSERT_TRUE(test::control<QPushButton>(w, "btContent")->isVisible());
    test::control<QPushButton>(w, "btContent")->click();
    test::finishScans();
    EXPECT_EQ(column(0), QStringList({"readme.txt    ", "README.TXT    ", "other.bin     "}));
    EXPECT_EQ(test::control<QLabel>(w, "pnlSel")->text(),
              "3 duplicates found in 1 groups, 614,400 bytes could be freed");
    test::scriptedDialogs().clear();
    for (int row : {0, 1, 2}) {
        w.grid->setCurrentRow(row);
        w.marking().toggleCurrent();
    }
    EXPECT_EQ(test::scriptedDialogs().texts(),
              QStringList({"Every copy of this file would be marked. One copy must stay."}));
    EXPECT_FALSE(w.grid->results().isMarked(2));
    EXPECT_EQ(w.marks().count(), 2);
    // The copy left unmarked goes before the deletion: the marked ones are then the last.
    QFile::remove(QString::fromLocal8Bit(tree.path("d/other.bin")));
    deleteMarked(w, {ButtonYes});  // "Really delete?"
    EXPECT_TRUE(QFile::exists(QString::fromLocal8Bit(tree.path("a/readme.txt"))));
    EXPECT_TRUE(QFile::exists(QString::fromLocal8Bit(tree.path("b/README.TXT"))));
    EXPECT_TRUE(scriptedDialogs().texts().last().endsWith("One copy must stay."));
    // A new scan by name has no groups to keep.
    w.btScanClick();
    test::finishScans();
    w.grid->setCurrentRow(0);
    w.marking().toggleCurrent();
    w.grid->setCurrentRow(1);
    w.marking().toggleCurrent();
    EXPECT_EQ(w.marks().count(), 2);
}

TEST_F(TfrmDupTest, AContentCopyRewrittenSinceItWasReadIsAskedAboutBeforeItGoes) {
    TfrmDup& w = open(true);
    test::control<QPushButton>(w, "btContent")->click();
    test::finishScans();
    ASSERT_EQ(w.rowsFilled, 2);
    // Rewritten after it was read, before it is marked: no longer known to be a copy.
    const QByteArray path = tree.file("a/readme.txt", QByteArray("other contents"));
    w.grid->setCurrentRow(0);
    w.marking().toggleCurrent();
    ASSERT_EQ(markedPaths(), std::vector<QByteArray>({path}));
    EXPECT_EQ(w.marks().files()[0].size, 300 * 1024);  // as it was read
    scriptedDialogs().clear();
    scriptedDialogs().answer(ButtonYes);  // "Really delete?"
    scriptedDialogs().answer(ButtonNo);   // "... has changed since it was listed."
    deleteAllMarked(w);
    EXPECT_TRUE(QFile::exists(QString::fromLocal8Bit(path)));
    EXPECT_TRUE(scriptedDialogs().texts().join('|').contains("has changed since it was listed"))
        << scriptedDialogs().texts().join('|').toStdString();
}

TEST_F(TfrmDupTest, AKeptCopyRewrittenInPlaceWithItsTimesKeptStopsTheDeletion) {
    TfrmDup& w = open(true);
    test::control<QPushButton>(w, "btContent")->click();
    test::finishScans();
    ASSERT_EQ(w.rowsFilled, 2);
    w.grid->setCurrentRow(0);
    w.marking().toggleCurrent();
    const QByteArray marked = tree.path("a/readme.txt");
    // The one unmarked copy gets other bytes, its size and times as they were.
    test::rewriteInPlace(tree.path("b/README.TXT"), "other contents");
    scriptedDialogs().clear();
    deleteMarked(w, {ButtonYes});  // "Really delete?"
    EXPECT_TRUE(test::exists(marked));
    EXPECT_EQ(scriptedDialogs().texts().last(),
              "No unmarked copy of " + QFile::decodeName(marked) +
                  " is left as it was when read. One copy must stay.");
}

TEST_F(TfrmDupTest, AGroupWhoseCopiesNoLongerMatchKeepsItsMarkedFilesAndTheSummarySaysSo) {
    tree.file("d/big copy.iso", std::int64_t(900 * 1024));
    TfrmDup& w = open(true);
    test::control<QPushButton>(w, "btContent")->click();
    test::finishScans();
    ASSERT_EQ(column(0), QStringList({"big.iso       ", "big copy.iso  ", "readme.txt    ",
                                      "README.TXT    "}));
    for (int row : {1, 2}) {
        w.grid->setCurrentRow(row);
        w.marking().toggleCurrent();
    }
    // A marked copy rewritten in place is no longer a copy of the one kept: deleting it,
    // even anyway, would lose its new contents.
    const QByteArray rewritten = tree.path("a/readme.txt");
    test::rewriteInPlace(rewritten, "new contents");
    scriptedDialogs().clear();
    deleteMarked(w, {ButtonYes, ButtonYes});  // "Really delete?", "... Delete it anyway?"
    EXPECT_TRUE(test::exists(rewritten));
    EXPECT_FALSE(test::exists(tree.path("d/big copy.iso")));  // the other group went
    const QStringList texts = scriptedDialogs().texts();
    EXPECT_TRUE(texts.contains(QFile::decodeName(rewritten) +
                               " has changed since it was listed. Delete it anyway?"));
    EXPECT_EQ(texts.last(),
              "1 marked file was not deleted: no unmarked copy of it still holds the same "
              "contents.\n\n" +
                  QFile::decodeName(rewritten));
    EXPECT_EQ(scriptedDialogs().asked.back().kind, MessageKind::Warning);
}

}  // namespace
}  // namespace rk
