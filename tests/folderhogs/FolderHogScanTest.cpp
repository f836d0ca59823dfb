#include <gtest/gtest.h>

#include <unistd.h>

#include "InstalledPlatform.h"
#include "RoomTree.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "common/Drives.h"
#include "common/Services.h"
#include "common/TextHelpers.h"
#include "folderhogs/FolderHogScan.h"

namespace rk {
namespace {

using test::TempTree;
using test::TestPlatform;

class FolderHogScanTest : public ::testing::Test {
protected:
    void use(std::vector<QByteArray> drives) { installed.reset(std::move(drives)); }
    // The records as lists of fields, largest first.
    QList<QStringList> run(bool mainFolders) {
        scan_ = std::make_unique<FolderHogScan>(installed.platform());
        if (abortAt.size()) {
            scan_->showFolder = [this](const QString& f) {
                if (f == abortAt) scan_->abort = true;
            };
        }
        scan_->run(mainFolders, installed.table().drives());
        QList<QStringList> rows;
        for (const ScanRecord& r : scan_->lb())
            rows.append(QString::fromUtf8(r.text()).split('\t'));
        return rows;
    }
    static QStringList column(const QList<QStringList>& rows, int field) {
        QStringList out;
        for (const QStringList& r : rows)
            out.append(r.value(field - 1));
        return out;
    }
    QStringList row(const QList<QStringList>& rows, const QByteArray& path) {
        for (const QStringList& r : rows)
            if (r.value(5) == QString::fromLocal8Bit(path)) return r;
        return {};
    }

    TempTree tree;
    QString abortAt;
    test::InstalledPlatform installed{{tree.root()}};
    std::unique_ptr<FolderHogScan> scan_;
};

TEST_F(FolderHogScanTest, MainFolderWithOnlyEmptySubFolders) {
    tree.dir("main/a");
    tree.dir("main/b/c");
    tree.file("rootfile.txt", std::int64_t(5000));  // the root's own files are not listed
    installed.platform().setDriveSize(tree.root(), 1000000);
    const auto rows = run(true);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0], QStringList({"      0 K", "0.00", "0", "3", "", tree.path("main")}));
}

TEST_F(FolderHogScanTest, AllFoldersCountOnlyDirectFilesAndTheRootHasItsRow) {
    const QByteArray top = test::writeWhole(tree, "top.bin", 2048);
    test::writeWhole(tree, "A/exact.bin", 1023);
    const QByteArray one = test::writeWhole(tree, "B/one.bin", 1024);
    const QByteArray hidden = test::writeWhole(tree, "B/.hidden-file", 4096);
    const QString bK = rightAlign7(test::duBytes({one, hidden}));
    tree.symlink("B/link", "one.bin");  // a system entry counts as a file of 0 bytes
    tree.file("B/.secret/inside.bin", std::int64_t(9999));
    for (const char* f : {"B/one.bin", "B/.hidden-file", "B/link"})
        tree.setTimes(f, 2001, 2, 3);
    const auto rows = run(false);
    EXPECT_EQ(rows.size(), 3);  // no row for the hidden folder
    const QString aK = rightAlign7(test::duBytes({tree.path("A/exact.bin")}));
    EXPECT_EQ(row(rows, tree.path("A")).mid(0, 4),
              QStringList({aK, row(rows, tree.path("A"))[1], "1", "0"}));
    const QStringList b = row(rows, tree.path("B"));
    EXPECT_EQ(b[0], bK);
    EXPECT_EQ(b[2], "3");
    EXPECT_EQ(b[3], "1");  // the hidden folder is counted
    EXPECT_EQ(b[4], "2/3/01");
    const QStringList root = row(rows, tree.root());
    EXPECT_EQ(root[0], rightAlign7(test::duBytes({top})));
    EXPECT_EQ(root[2], "1");
    EXPECT_EQ(root[3], "2");
    // Main folders: hidden files count, hidden folders neither counted nor entered.
    const auto main = run(true);
    EXPECT_EQ(row(main, tree.path("B"))[0], bK);
    EXPECT_EQ(row(main, tree.path("B"))[3], "0");
    EXPECT_EQ(row(main, tree.path("B"))[2], "3");
}

TEST_F(FolderHogScanTest, OneKAndItsBoundary) {
    installed.platform().setRoom(tree.file("a/f"), 1023);
    installed.platform().setRoom(tree.file("b/f"), 1024);
    const auto rows = run(true);
    EXPECT_EQ(row(rows, tree.path("a"))[0], "      0 K");
    EXPECT_EQ(row(rows, tree.path("b"))[0], "      1 K");
}

TEST_F(FolderHogScanTest, EmptyDriveRootGivesNoRow) {
    tree.file(".only-hidden", std::int64_t(10));
    EXPECT_TRUE(run(false).empty());
    EXPECT_TRUE(run(true).empty());
}

TEST_F(FolderHogScanTest, PercentOfTheDrive) {
    EXPECT_EQ(percentOfDrive(0, 1000), "0.00");
    EXPECT_EQ(percentOfDrive(125, 1000), "12.50");
    EXPECT_EQ(percentOfDrive(999, 1000), "99.90");
    EXPECT_EQ(percentOfDrive(1000, 1000), "???");
    EXPECT_EQ(percentOfDrive(1, -1), "???");
    const std::int64_t fourTB = std::int64_t(4) << 40;
    EXPECT_EQ(percentOfDrive(std::int64_t(1) << 40, fourTB), "25.00");
    EXPECT_EQ(percentOfDrive(std::int64_t(3) << 30, fourTB), "0.07");
    // 3 GB on a "4 TB" drive, as the platform reports them.
    installed.platform().setRoom(tree.file("m/f"), std::int64_t(3) << 30);
    installed.platform().setDriveSize(tree.root(), fourTB);
    const auto rows = run(true);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].mid(0, 2), QStringList({"3145728 K", "0.07"}));
    installed.platform().setDriveSize(tree.root(), std::int64_t(2)
                                                       << 30);  // smaller than the folder
    EXPECT_EQ(run(true).value(0).value(1), "???");
}

TEST_F(FolderHogScanTest, RankedByNumberAboveTenMillionK) {
    installed.platform().setRoomFollowsLength(true);
    tree.file("huge/f", std::int64_t(10240000) * 1024);  // 10,240,000 K: eight digits
    tree.file("big/f", std::int64_t(9999999) * 1024);
    tree.file("small/f", std::int64_t(2) * 1024);
    EXPECT_EQ(column(run(true), 6),
              QStringList({tree.path("huge"), tree.path("big"), tree.path("small")}));
}

TEST_F(FolderHogScanTest, HardLinksCountOnce) {
    const QByteArray first = test::writeWhole(tree, "a/data.bin", 8192);
    tree.dir("b");
    ASSERT_EQ(::link(first.constData(), tree.path("b/again.bin").constData()), 0);
    ASSERT_EQ(::link(first.constData(), tree.path("a/twice.bin").constData()), 0);
    const auto all = run(false);
    std::int64_t files = 0;
    std::int64_t kb = 0;
    for (const QStringList& r : all) {
        files += r[2].toLongLong();
        kb += r[0].trimmed().chopped(2).toLongLong();
    }
    EXPECT_EQ(files, 1);
    EXPECT_EQ(kb, test::duBytes({first}) / 1024);
    const auto main = run(true);
    EXPECT_EQ(main.size(), 2);
    EXPECT_EQ(main[0][0], rightAlign7(test::duBytes({first})));
    EXPECT_EQ(main[1][0], "      0 K");
}

TEST_F(FolderHogScanTest, FoldersTotalTheRoomDuGives) {
    const QList<QByteArray> files = test::makeRoomTree(tree);
    const auto inFolder = [&](const QByteArray& folder) {
        QList<QByteArray> here;
        for (const QByteArray& f : files)
            if (f.startsWith(tree.path(folder) + '/')) here << f;
        return here;
    };
    const auto kb = [](const QStringList& r) {
        return r.value(0).trimmed().chopped(2).toLongLong();
    };
    const auto all = run(false);
    // The 80 MB of disk images take 320 K, six files of 100 bytes a block each; the movie's
    // two names count once. Every folder holds its files' room as du counts it.
    for (const QByteArray folder : {"disk", "small", "media"})
        EXPECT_EQ(kb(row(all, tree.path(folder))), test::duBytes(inFolder(folder)) / 1024)
            << folder.constData();
    // The clip's second name is in another folder: counted once in the whole list, in
    // whichever folder the walk meets first.
    std::int64_t total = 0;
    for (const QStringList& r : all)
        total += kb(r);
    EXPECT_EQ(total * 1024, test::duBytes(files));
    // Main folders: the disk images' folder is no hog.
    const auto main = run(true);
    EXPECT_EQ(kb(row(main, tree.path("disk"))), test::duBytes(inFolder("disk")) / 1024);
    EXPECT_LT(kb(row(main, tree.path("disk"))), 1024);
    EXPECT_EQ(column(main, 6).first(), QString::fromLocal8Bit(tree.path("media")));
}

TEST_F(FolderHogScanTest, AbortedMainScanListsTheFoldersDoneAndTheOneInProgress) {
    tree.file("a/x/1", std::int64_t(1024));
    tree.file("a/2", std::int64_t(1024));
    tree.file("b/y/3", std::int64_t(2048));
    tree.file("b/z/4", std::int64_t(2048));
    tree.file("c/5", std::int64_t(1024));
    // Folders are walked in listing order, which the system chooses: abort in whichever main
    // folder holds "z", after its sibling "y" has been counted.
    abortAt = QString::fromLocal8Bit(tree.path("b/z"));
    const auto rows = run(true);
    EXPECT_TRUE(scan_->abort);
    const QStringList names = column(rows, 6);
    EXPECT_TRUE(names.contains(QString::fromLocal8Bit(tree.path("b"))));
    EXPECT_LE(rows.size(), 3);
    EXPECT_GE(rows.size(), 1);
}

TEST_F(FolderHogScanTest, SecondDriveGetsItsOwnPercentages) {
    TempTree other;
    use({tree.root(), other.root()});
    installed.platform().setRoom(other.file("m/f"), 500);
    installed.platform().setRoom(tree.file("m/f"), 500);
    installed.platform().setDriveSize(tree.root(), 1000);
    installed.platform().setDriveSize(other.root(), 10000);
    const auto rows = run(true);
    EXPECT_EQ(row(rows, tree.path("m"))[1], "50.00");
    EXPECT_EQ(row(rows, other.path("m"))[1], "5.00");
}

}  // namespace
}  // namespace rk
