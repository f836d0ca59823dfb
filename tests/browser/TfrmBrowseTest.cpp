#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTest>
#include <functional>

#include "Controls.h"
#include "FileChecks.h"
#include "Jobs.h"
#include "LayoutChecks.h"
#include "Modals.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestServices.h"
#include "browser/BrowseColumns.h"
#include "browser/TfrmBrowse.h"
#include "common/ProtectedFolders.h"
#include "common/Services.h"
#include "duplicates/TfrmDup.h"
#include "ui/SortMenu.h"
#include "ui/TfrmDelDirectory.h"
#include "ui/TfrmReallyDelete.h"
#include "ui/TfrmWildCard.h"

namespace rk {
namespace {

using test::exists;
using test::opensModal;
using test::scriptedDialogs;
using test::TempTree;

// A browser over a drive made of a temporary tree, opened in its root:
// b.txt 1,000 bytes (1999), a.log 10 (2001), c.txt 5 (1998), sub/ with one file.
class TfrmBrowseTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.file("b.txt", std::int64_t(1000));
        tree.file("a.log", std::int64_t(10));
        tree.file("c.txt", std::int64_t(5));
        tree.setTimes("b.txt", 1999, 12, 31);
        tree.setTimes("a.log", 2001, 1, 1);
        tree.setTimes("c.txt", 1998, 6, 1);
        tree.file("sub/inner.dat", std::int64_t(7));
        tree.file("sub/huge.dat", std::int64_t(70));
        // Sparse files, taken to fill their length: hogs and marked bytes below are lengths.
        installed.platform().setRoomFollowsLength(true);
        installed.platform().setCurrentFolder(tree.root());
        installed.reloadDrives();
    }
    void TearDown() override { window.reset(); }
    TfrmBrowse& open() {
        window = std::make_unique<TfrmBrowse>(installed.services());
        window->show();
        return *window;
    }
    // The names in the grid, in its order; only the marked ones when asked.
    [[nodiscard]] QStringList names(bool onlyMarked = false) const {
        QStringList out;
        const ResultGrid& g = window->grid->results();
        for (int r = 0; r < g.rowCount(); ++r)
            if (!onlyMarked || g.isMarked(r)) out.append(g.cell(BrowseColumns::Filename, r));
        return out;
    }
    [[nodiscard]] QStringList marked() const { return names(true); }
    [[nodiscard]] QStringList folderList() const {
        QStringList out;
        for (int i = 0; i < test::control<QListWidget>(*window, "DirectoryListBox1")->count(); ++i)
            out.append(test::control<QListWidget>(*window, "DirectoryListBox1")
                           ->item(i)
                           ->data(Qt::UserRole)
                           .toByteArray());
        return out;
    }
    void enter(const QByteArray& path) {
        for (int i = 0; i < test::control<QListWidget>(*window, "DirectoryListBox1")->count();
             ++i) {
            QListWidgetItem* item =
                test::control<QListWidget>(*window, "DirectoryListBox1")->item(i);
            if (item->data(Qt::UserRole).toByteArray() == path)
                return window->DirectoryListBox1DblClick(item);
        }
        ADD_FAILURE() << "no line for " << path.constData();
    }
    void markRow(int row) {
        window->grid->setCurrentRow(row);
        window->marking().toggleCurrentAndMoveDown();
    }

    TempTree tree;
    test::TestServices installed{{tree.root()}};
    std::unique_ptr<TfrmBrowse> window;
};

TEST_F(TfrmBrowseTest, ATotalOfGigabytesItsTipAndTheButtonsShowWholeAtTheSmallestSize) {
    tree.file("disk.img", std::int64_t(5'683'281'920));
    installed.platform().setRoomFollowsLength(false);  // the image is sparse
    TfrmBrowse& w = open();
    EXPECT_EQ(test::control<QLabel>(w, "pnlSize")->text(), "Total size : 5,683,282,935");
    // Its tip tells its room on disk apart from its length.
    const ResultGrid& g = w.grid->results();
    const int row = int(names().indexOf("disk.img"));
    EXPECT_TRUE(
        g.data(g.index(row, 0), Qt::ToolTipRole).toString().startsWith("Length 5,683,281,920"));
    EXPECT_EQ(
        test::cutAtSmallest(
            w, {test::control<QLabel>(w, "pnlSize"), test::control<QLabel>(w, "pnlWild"),
                test::control<QPushButton>(w, "btDeleteDirectory"),
                test::control<QPushButton>(w, "btLaunch"), test::control<QPushButton>(w, "btView"),
                test::control<QPushButton>(w, "btSort"), test::control<QPushButton>(w, "btMark"),
                test::control<QPushButton>(w, "btDeleteFiles"),
                test::control<QPushButton>(w, "btClose")}),
        QStringList());
}

TEST_F(TfrmBrowseTest, ShowsTheCurrentFolderAndWalksItsAncestors) {
    tree.dir(".hidden");
    tree.symlink("linked", tree.path("sub"));
    tree.file("sub/deeper/x.txt");
    TfrmBrowse& w = open();
    EXPECT_EQ(names(), QStringList({"a.log", "b.txt", "c.txt"}));
    EXPECT_EQ(test::control<QLabel>(w, "pnlScan")->text(), "Number of files : 3");
    EXPECT_EQ(test::control<QLabel>(w, "pnlSize")->text(), "Total size : 1,015");
    EXPECT_EQ(test::control<QLabel>(w, "pnlWild")->text(), "Wildcard : *.*");
    EXPECT_EQ(folderList(), QStringList({tree.root(), tree.path("sub")}));

    enter(tree.path("sub"));
    EXPECT_EQ(w.folder(), tree.path("sub"));
    EXPECT_EQ(test::control<QLabel>(w, "Label1")->text(), QString::fromUtf8(tree.path("sub")));
    // A path far wider than the window is shortened, and the window stays as narrow as it was.
    const int narrowest = w.minimumSizeHint().width();
    const QByteArray deep = tree.dir(QByteArray(200, 'x') + "/" + QByteArray(200, 'y'));
    w.changeFolder(deep);
    EXPECT_EQ(test::control<QLabel>(w, "Label1")->toolTip(), QString::fromUtf8(deep));
    EXPECT_TRUE(test::control<QLabel>(w, "Label1")->text().contains(QChar(0x2026)));
    EXPECT_EQ(w.minimumSizeHint().width(), narrowest);
    w.changeFolder(tree.path("sub"));
    EXPECT_EQ(folderList(), QStringList({tree.root(), tree.path("sub"), tree.path("sub/deeper")}));
    enter(tree.path("sub/deeper"));
    // An ancestor, by a real double click: the list it is in is rebuilt under the click.
    QListWidget* list = test::control<QListWidget>(w, "DirectoryListBox1");
    const QPoint at = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(w.folder(), tree.path("sub"));
    EXPECT_EQ(names(), QStringList({"huge.dat", "inner.dat"}));

    // An unreadable folder is not entered: the window stays where it was, marks and all.
    markRow(0);
    installed.platform().failToOpen(tree.path("sub/deeper"), EACCES);
    enter(tree.path("sub/deeper"));
    EXPECT_EQ(scriptedDialogs().texts(), QStringList({"I/O error 13."}));
    EXPECT_EQ(w.folder(), tree.path("sub"));
    EXPECT_EQ(marked(), QStringList({"huge.dat"}));
    EXPECT_EQ(folderList().size(), 3);

    // An empty folder, or a pattern that matches nothing: one empty row and zeros.
    enter(tree.root());
    EXPECT_EQ(w.marks().count(), 0);
    tree.dir("empty");
    w.changeFolder(tree.path("empty"));
    EXPECT_EQ(names(), QStringList({""}));
    EXPECT_EQ(test::control<QLabel>(w, "pnlScan")->text(), "Number of files : 0");
    EXPECT_EQ(test::control<QLabel>(w, "pnlSize")->text(), "Total size : 0");
}

TEST_F(TfrmBrowseTest, AFolderThatCannotBeReadIsNotEnteredByADoubleClickOrEnter) {
    tree.file("sub/locked/x.txt");
    tree.file("sub/deeper/y.txt");
    TfrmBrowse& w = open();
    enter(tree.path("sub"));
    // Made unreadable as an ordinary user's folder of mode 000 would be; tests run as root.
    if (::geteuid() == 0) {
        installed.platform().failToOpen(tree.path("sub/locked"), EACCES);
        installed.platform().failToRead(tree.path("sub/deeper"), EACCES);
    } else {
        ::chmod(tree.path("sub/locked").constData(), 0);
        ::chmod(tree.path("sub/deeper").constData(), 0);
    }
    QListWidget* list = test::control<QListWidget>(w, "DirectoryListBox1");
    for (const QByteArray& name : {QByteArray("sub/deeper"), QByteArray("sub/locked")}) {
        scriptedDialogs().clear();
        const int line = int(folderList().indexOf(tree.path(name)));
        ASSERT_GE(line, 0);
        const QPoint at = list->visualItemRect(list->item(line)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_EQ(scriptedDialogs().texts(), QStringList({"I/O error 13.", "I/O error 13."}));
        EXPECT_EQ(w.folder(), tree.path("sub"));
        EXPECT_EQ(names(), QStringList({"huge.dat", "inner.dat"}));
    }
    ::chmod(tree.path("sub/locked").constData(), 0755);
    ::chmod(tree.path("sub/deeper").constData(), 0755);
}

TEST_F(TfrmBrowseTest, ADriveThatCannotBeReadMovesNothing) {
    const QByteArray one = tree.dir("one");
    const QByteArray two = tree.dir("two");
    tree.file("one/deep/f.txt");
    installed.reset({one, two});
    installed.platform().setCurrentFolder(one);
    installed.reloadDrives();
    TfrmBrowse& w = open();
    enter(tree.path("one/deep"));
    installed.platform().setDriveSize(two, -1);
    w.DriveComboBox1Change(1);
    EXPECT_EQ(w.folder(), tree.path("one/deep"));
    EXPECT_EQ(test::control<QComboBox>(w, "DriveComboBox1")->currentIndex(), 0);
    EXPECT_EQ(names(), QStringList({"f.txt"}));

    installed.platform().setDriveSize(two, 1 << 20);
    w.DriveComboBox1Change(1);
    EXPECT_EQ(w.folder(), two);
    EXPECT_EQ(test::control<QComboBox>(w, "DriveComboBox1")->currentIndex(), 1);
    // Back on the first drive, at the folder last shown there, or its top once that is gone.
    w.DriveComboBox1Change(0);
    EXPECT_EQ(w.folder(), tree.path("one/deep"));
    w.DriveComboBox1Change(1);
    ::unlink(tree.path("one/deep/f.txt").constData());
    ::rmdir(tree.path("one/deep").constData());
    w.DriveComboBox1Change(0);
    EXPECT_EQ(w.folder(), one);
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());
}

TEST_F(TfrmBrowseTest, OpenedFromTheFileHogWindowWithItsFileCurrent) {
    installed.openBrowser = [this](QWidget* owner, const QByteArray& folder, const QByteArray& file,
                                   const QString& mask) {
        openBrowserOn(installed.services(), owner, folder, file, mask);
    };
    TfrmDup dup(installed.services(), false);
    dup.show();
    test::control<QSpinBox>(dup, "SpinEdit1")->setValue(0);
    test::control<QPushButton>(dup, "btScan")->click();
    test::finishScans();
    const ResultGrid& hogs = dup.grid->results();
    int row = -1;
    for (int r = 0; r < hogs.rowCount(); ++r)
        if (hogs.pathOf(r) == tree.path("sub/inner.dat")) row = r;
    ASSERT_GE(row, 0);
    dup.grid->setCurrentRow(row);
    bool shown = false;
    EXPECT_TRUE(opensModal([&] { test::control<QPushButton>(dup, "btBrowse")->click(); },
                           [&](QDialog& modal) {
                               auto* b = qobject_cast<TfrmBrowse*>(&modal);
                               ASSERT_TRUE(b);
                               shown = true;
                               EXPECT_EQ(b->folder(), tree.path("sub"));
                               EXPECT_EQ(b->grid->results().pathOf(b->grid->currentRow()),
                                         tree.path("sub/inner.dat"));
                               modal.reject();
                           }));
    EXPECT_TRUE(shown);

    // A file gone since the scan: the general error, and no browser.
    ::unlink(tree.path("sub/inner.dat").constData());
    scriptedDialogs().clear();
    EXPECT_FALSE(opensModal([&] { test::control<QPushButton>(dup, "btBrowse")->click(); }));
    EXPECT_EQ(scriptedDialogs().texts(),
              QStringList(
                  {"Invalid file name - " + QString::fromUtf8(tree.path("sub/inner.dat")) + "."}));
}

TEST_F(TfrmBrowseTest, EverySortMovesMarksWithTheirRowsAndOutlivesAFolderChange) {
    TfrmBrowse& w = open();
    markRow(1);  // b.txt
    const std::vector<std::pair<QAction*, QStringList>> sorts = {
        {test::control<QAction>(w, "SortbyDate1"), {"a.log", "b.txt", "c.txt"}},
        {test::control<QAction>(w, "SortbyAccessDate"), {"a.log", "b.txt", "c.txt"}},
        {test::control<QAction>(w, "SortbySize1"), {"b.txt", "a.log", "c.txt"}},
        {test::control<QAction>(w, "SortbyType1"), {"a.log", "b.txt", "c.txt"}},
        {test::control<QAction>(w, "Sortbyname1"), {"a.log", "b.txt", "c.txt"}}};
    for (const auto& [item, order] : sorts) {
        w.Sortbyname1Click(item);
        EXPECT_EQ(names(), order) << item->text().toStdString();
        EXPECT_EQ(marked(), QStringList({"b.txt"})) << item->text().toStdString();
        EXPECT_TRUE(item->isChecked());
    }
    w.Sortbyname1Click(test::control<QAction>(w, "SortbySize1"));
    EXPECT_EQ(names(), QStringList({"b.txt", "a.log", "c.txt"}));
    EXPECT_EQ(w.grid->results().pathOf(0), tree.path("b.txt"));
    enter(tree.path("sub"));
    EXPECT_EQ(names(), QStringList({"huge.dat", "inner.dat"}));
    EXPECT_TRUE(test::control<QAction>(w, "SortbySize1")->isChecked());

    // A new pattern from the chooser rebuilds the grid without marks; Cancel keeps it.
    enter(tree.root());
    markRow(0);
    const auto choose = [&](const QString& pattern, bool ok) {
        return opensModal(
            [&] { w.pnlScanClick(); },
            [&](QDialog& modal) {
                auto* chooser = qobject_cast<TfrmWildCard*>(&modal);
                ASSERT_TRUE(chooser);
                EXPECT_EQ(test::control<QComboBox>(*chooser, "cbWildCard")->currentText(),
                          w.pattern());
                test::control<QComboBox>(*chooser, "cbWildCard")->setEditText(pattern);
                ok ? test::control<QPushButton>(*chooser, "BitBtn1")->click() : modal.reject();
            });
    };
    EXPECT_TRUE(choose("*.log;c.*", true));
    EXPECT_EQ(names(), QStringList({"a.log", "c.txt"}));  // still largest first
    EXPECT_TRUE(marked().isEmpty());
    EXPECT_EQ(test::control<QLabel>(w, "pnlWild")->text(), "Wildcard : *.log;c.*");
    EXPECT_TRUE(choose("*.*", false));
    EXPECT_EQ(test::control<QLabel>(w, "pnlWild")->text(), "Wildcard : *.log;c.*");
    EXPECT_EQ(names().size(), 2);
    // A longer pattern is shown whole: the panel grows with it.
    EXPECT_TRUE(choose("*.jpg;*.jpeg;*.png;*.gif;*.log", true));
    QCoreApplication::processEvents();
    const QLabel* panel = test::control<QLabel>(w, "pnlWild");
    EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(panel->text()));
}

TEST_F(TfrmBrowseTest, MarksFollowExactNamesDownToTheLastRow) {
    tree.file("A.TXT", std::int64_t(20));
    tree.file("a.txt", std::int64_t(30));
    TfrmBrowse& w = open();
    w.changeFolder(tree.root());
    ASSERT_EQ(names(), QStringList({"a.log", "A.TXT", "a.txt", "b.txt", "c.txt"}));
    markRow(1);
    EXPECT_EQ(w.grid->currentRow(), 2);
    markRow(2);
    EXPECT_EQ(test::control<QLabel>(w, "pnlScan")->text(), "Marked for deletion: 2 files 50 bytes");
    markRow(1);  // unmarks A.TXT, not a.txt
    ASSERT_EQ(w.marks().files().size(), 1u);
    EXPECT_EQ(w.marks().files()[0].path, tree.path("a.txt"));
    EXPECT_TRUE(test::control<QPushButton>(w, "btDeleteFiles")->isEnabled());
    // The last row: marked, unmarked, and the selection stays there.
    markRow(4);
    EXPECT_EQ(w.grid->currentRow(), 4);
    markRow(4);
    EXPECT_EQ(marked(), QStringList({"a.txt"}));
    EXPECT_EQ(test::control<QLabel>(w, "pnlScan")->text(), "Marked for deletion: 1 file 30 bytes");

    // Cancelled: nothing goes, but the grid is read again without marks.
    tree.file("new.txt");
    EXPECT_TRUE(opensModal([&] { test::control<QPushButton>(w, "btDeleteFiles")->click(); }));
    EXPECT_TRUE(exists(tree.path("a.txt")));
    EXPECT_TRUE(marked().isEmpty());
    EXPECT_TRUE(names().contains("new.txt"));
    EXPECT_FALSE(test::control<QPushButton>(w, "btDeleteFiles")->isEnabled());
    EXPECT_EQ(w.grid->currentRow(), 4);  // the user's place is kept

    // Confirmed: exactly the marked file goes.
    markRow(2);
    scriptedDialogs().answer(ButtonYes);
    EXPECT_TRUE(opensModal([&] { test::control<QPushButton>(w, "btDeleteFiles")->click(); },
                           [&](QDialog& modal) {
                               auto* confirm = qobject_cast<TfrmReallyDelete*>(&modal);
                               ASSERT_TRUE(confirm);
                               EXPECT_EQ(confirm->pathAt(0), tree.path("a.txt"));
                               confirm->btDeleteAllClick();
                           }));
    EXPECT_FALSE(exists(tree.path("a.txt")));
    EXPECT_TRUE(exists(tree.path("A.TXT")));
    EXPECT_FALSE(names().contains("a.txt"));
    EXPECT_EQ(w.marks().count(), 0);
}

TEST_F(TfrmBrowseTest, ColumnsFitEachFoldersTextsUpToACap) {
    const QByteArray name = "quarterly-report-2026-final.txt";
    tree.file(name);
    tree.file("deep/" + QByteArray(200, 'x') + ".txt");
    tree.dir("empty");
    TfrmBrowse& w = open();
    w.changeFolder(tree.root());
    const ResultGrid& g = w.grid->results();
    // The longest name, marked, shows whole with its mark, and so does every time.
    markRow(int(names().indexOf(QString::fromUtf8(name))) + 1);
    EXPECT_GE(g.columnWidth(BrowseColumns::Filename),
              w.grid->contentWidth(BrowseColumns::Filename));
    EXPECT_GE(g.columnWidth(BrowseColumns::Time), w.grid->contentWidth(BrowseColumns::Time));
    // A name too long for any window widens its column only so far.
    enter(tree.path("deep"));
    EXPECT_EQ(g.columnWidth(BrowseColumns::Filename), 240);
    // No files: the designed widths, not the titles' own.
    enter(tree.root());
    enter(tree.path("empty"));
    EXPECT_EQ(g.columnWidth(BrowseColumns::Filename),
              BrowseColumns::schema().columns[BrowseColumns::Filename].width);
}

TEST_F(TfrmBrowseTest, DeletingTheShownFolderShowsItsParent) {
    TfrmBrowse& w = open();
    const auto deleteShown = [&] {
        return test::asksToDeleteFolder([&] { w.btDeleteDirectoryClick(); }, w.folder(),
                                        [](TfrmDelDirectory& d) { d.btDeleteClick(); });
    };
    // The drive's top is refused with the browser's own words.
    EXPECT_FALSE(deleteShown());
    EXPECT_EQ(scriptedDialogs().texts(), QStringList({browserRootFolderText}));

    scriptedDialogs().clear();
    enter(tree.path("sub"));
    EXPECT_TRUE(deleteShown());
    EXPECT_EQ(scriptedDialogs().texts(),
              QStringList({"Deleted 2 files for a savings of 77 bytes."}));
    EXPECT_FALSE(exists(tree.path("sub")));
    EXPECT_EQ(w.folder(), tree.root());
    EXPECT_FALSE(folderList().contains(tree.path("sub")));

    // Cancelled: the folder stays shown.
    ASSERT_TRUE(w.changeFolder(tree.dir("empty")));
    EXPECT_TRUE(opensModal([&] { w.btDeleteDirectoryClick(); }));
    EXPECT_EQ(w.folder(), tree.path("empty"));
}

TEST_F(TfrmBrowseTest, RunAndViewHandOnTheExactPath) {
    const QByteArray latin1("caf\xe9.txt");
    for (const QByteArray& name : {QByteArray("-rf"), QByteArray("a;$(x)"), latin1})
        tree.file("odd/" + name);
    tree.dir("odd/none");
    std::vector<QByteArray> viewed;
    installed.openViewer = [&](QWidget*, const QByteArray& path) { viewed.push_back(path); };
    TfrmBrowse& w = open();
    enter(tree.path("odd"));
    ASSERT_EQ(w.grid->results().rowCount(), 3);
    auto& opened = installed.platform().programsOpened;
    for (int row = 0; row < 3; ++row) {
        w.grid->setCurrentRow(row);
        w.btLaunchClick();
        w.btViewClick();
    }
    ASSERT_EQ(opened.size(), 3u);
    const std::vector<QByteArray> expected = {tree.path("odd/-rf"), tree.path("odd/a;$(x)"),
                                              tree.path("odd/" + latin1)};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(opened[i].path, expected[i]);
        EXPECT_EQ(opened[i].folder, tree.path("odd"));
    }
    EXPECT_EQ(viewed, expected);
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());

    // Not started, or started and failed: either way the user is told.
    installed.platform().startError = ENOENT;
    w.grid->setCurrentRow(0);
    w.btLaunchClick();
    installed.platform().startError = 0;
    installed.platform().openSucceeds = false;
    w.btLaunchClick();
    EXPECT_EQ(scriptedDialogs().texts(), QStringList({"Couldn't run -rf", "Couldn't run -rf"}));

    // The one empty row of an empty folder runs and views nothing.
    enter(tree.path("odd/none"));
    w.grid->setCurrentRow(0);
    w.btLaunchClick();
    w.btViewClick();
    EXPECT_EQ(opened.size(), 5u);
    EXPECT_EQ(viewed.size(), 3u);
}

TEST_F(TfrmBrowseTest, ClosingWithMarksAsksFirst) {
    const std::vector<std::pair<const char*, std::function<void(TfrmBrowse&)>>> ways = {
        {"Escape", [](TfrmBrowse& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        {"Close", [](TfrmBrowse& w) { test::control<QPushButton>(w, "btClose")->click(); }},
        {"close box", [](TfrmBrowse& w) { w.close(); }}};
    for (const auto& [way, closeIt] : ways) {
        TfrmBrowse& w = open();
        markRow(0);
        scriptedDialogs().clear();
        scriptedDialogs().answer(ButtonNo);
        closeIt(w);
        EXPECT_TRUE(w.isVisible()) << way;
        EXPECT_EQ(scriptedDialogs().texts(),
                  QStringList({"You have 1 file marked for deletion. Do you really wish to exit "
                               "without deleting?"}))
            << way;
        EXPECT_EQ(marked(), QStringList({"a.log"})) << way;
        scriptedDialogs().answer(ButtonYes);
        closeIt(w);
        EXPECT_FALSE(w.isVisible()) << way;
        EXPECT_TRUE(exists(tree.path("a.log"))) << way;
    }
    // Marks cleared by a folder change ask nothing.
    TfrmBrowse& w = open();
    markRow(0);
    enter(tree.path("sub"));
    scriptedDialogs().clear();
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());
}

}  // namespace
}  // namespace rk
