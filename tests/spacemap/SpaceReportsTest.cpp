#include <gtest/gtest.h>

#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "RoomTree.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "app/CommandLine.h"
#include "app/Reports.h"

namespace rk {
namespace {

using test::TempTree;

struct ReportRun {
    int status = -1;
    QList<QByteArray> lines;
};

class SpaceReportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeWhole(tree, "big/a.bin", 400 * 1024);
        test::writeWhole(tree, "big/inner/b.bin", 100 * 1024);
        test::writeWhole(tree, "small/c.txt", 8 * 1024);
        test::writeWhole(tree, "gone/d.txt", 12 * 1024);
    }
    ReportRun report(std::vector<QByteArray> args) {
        args.insert(args.begin(), "roomkin");
        const CommandLine cl = parseCommandLine(args);
        EXPECT_TRUE(cl.ok()) << cl.error.toStdString();
        test::TestPlatform p({tree.root()});
        char* buffer = nullptr;
        std::size_t size = 0;
        std::FILE* out = ::open_memstream(&buffer, &size);
        ReportRun r;
        r.status = runReport(cl, p, test::scriptedDialogs(), out);
        std::fclose(out);
        for (const QByteArray& line : QByteArray(buffer, qsizetype(size)).split('\n'))
            if (!line.isEmpty()) r.lines.append(line);
        std::free(buffer);
        return r;
    }
    QByteArray file(const char* name) const {
        return QFile::encodeName(files.filePath(QLatin1String(name)));
    }
    // A folder's line of the tree report, from its path below the root.
    QByteArray line(std::int64_t room, int files, int folders, const QByteArray& relative) const {
        return QByteArray::number(room) + '\t' + QByteArray::number(files) + '\t' +
               QByteArray::number(folders) + '\t' + tree.path(relative);
    }
    std::int64_t du(const char* relative) const { return test::duBytes({tree.path(relative)}); }

    TempTree tree;
    QTemporaryDir files;
};

TEST_F(SpaceReportsTest, TheTreeGoesDownToTheDepthAskedLargestFirst) {
    const ReportRun all = report({"--report", "tree", "--drive", tree.root()});
    ASSERT_EQ(all.status, 0);
    ASSERT_EQ(all.lines.size(), 5);
    EXPECT_EQ(all.lines[0].split('\t').last(), tree.root());
    EXPECT_EQ(all.lines[0].split('\t').first().toLongLong(), du(""));
    EXPECT_EQ(all.lines[1], line(du("big"), 2, 1, "big"));
    EXPECT_EQ(all.lines[2], line(du("big/inner"), 1, 0, "big/inner"));  // under its folder
    EXPECT_EQ(all.lines[3], line(du("gone"), 1, 0, "gone"));
    EXPECT_EQ(all.lines[4], line(du("small"), 1, 0, "small"));

    const ReportRun one = report({"--report", "tree", "--drive", tree.root(), "--depth", "1"});
    EXPECT_EQ(one.lines,
              (QList<QByteArray>{all.lines[0], all.lines[1], all.lines[3], all.lines[4]}));
    const ReportRun top = report({"--report", "tree", "--drive", tree.root(), "--depth", "0"});
    EXPECT_EQ(top.lines, QList<QByteArray>{all.lines[0]});
}

TEST_F(SpaceReportsTest, AnExportedScanPrintsAsTheScanDid) {
    ASSERT_EQ(report({"--export", file("scan.json"), "--drive", tree.root()}).status, 0);
    const ReportRun scanned = report({"--report", "tree", "--drive", tree.root()});
    const ReportRun imported = report({"--report", "tree", "--import", file("scan.json")});
    EXPECT_EQ(imported.status, 0);
    EXPECT_EQ(imported.lines, scanned.lines);

    EXPECT_EQ(report({"--report", "tree", "--import", file("missing.json")}).status, 3);
    EXPECT_EQ(report({"--export", file("no/such/folder/x.json"), "--drive", tree.root()}).status,
              3);
}

TEST_F(SpaceReportsTest, GrowthSaysWhatChangedLargestFirst) {
    ASSERT_EQ(report({"--export", file("old.json"), "--drive", tree.root()}).status, 0);
    const std::int64_t root = du("");
    const std::int64_t big = du("big");
    const std::int64_t gone = du("gone");
    const std::int64_t inner = du("big/inner");
    QFile::remove(QFile::decodeName(tree.path("gone/d.txt")));  // the folder stays, emptier
    test::writeWhole(tree, "new/e.bin", 200 * 1024);
    test::writeWhole(tree, "big/more.bin", 64 * 1024);
    QFile::remove(QFile::decodeName(tree.path("big/inner/b.bin")));
    ::rmdir(tree.path("big/inner").constData());

    const ReportRun growth =
        report({"--report", "growth", "--import", file("old.json"), "--drive", tree.root()});
    ASSERT_EQ(growth.status, 0);
    const auto row = [&](std::int64_t room, int files, const char* mark, const QByteArray& rel) {
        return QByteArray::number(room) + '\t' + QByteArray::number(files) + '\t' + mark + '\t' +
               tree.path(rel);
    };
    EXPECT_EQ(growth.lines,
              (QList<QByteArray>{row(du("new"), 1, "new", "new"), row(du("") - root, 0, "", ""),
                                 row(du("gone") - gone, -1, "", "gone"),
                                 row(du("big") - big, 0, "", "big"),
                                 row(-inner, -1, "vanished", "big/inner")}));
}

// A scan of the same tree made elsewhere, under another path, compares folder by folder.
TEST_F(SpaceReportsTest, GrowthMatchesFoldersBelowTheRootWhereverTheScanWasMade) {
    TempTree elsewhere;
    test::writeWhole(elsewhere, "big/a.bin", 400 * 1024);
    test::writeWhole(elsewhere, "small/c.txt", 8 * 1024);
    const std::vector<QByteArray> drive{elsewhere.root()};
    {
        const CommandLine cl =
            parseCommandLine({"roomkin", "--export", file("there.json"), "--drive", drive[0]});
        test::TestPlatform p(drive);
        ASSERT_EQ(runReport(cl, p, test::scriptedDialogs(), stdout), 0);
    }
    const ReportRun growth =
        report({"--report", "growth", "--import", file("there.json"), "--drive", tree.root()});
    ASSERT_EQ(growth.status, 0);
    QList<QByteArray> paths;
    for (const QByteArray& line : growth.lines)
        paths.append(line.split('\t').last());
    // big gained big/inner, gone is new; small is the same and left out.
    EXPECT_TRUE(paths.contains(tree.path("gone")));
    EXPECT_TRUE(paths.contains(tree.path("big/inner")));
    EXPECT_FALSE(paths.contains(tree.path("small")));
    for (const QByteArray& line : growth.lines)
        EXPECT_FALSE(line.contains(elsewhere.root())) << line.toStdString();
}

TEST(SpaceCommandLine, SpaceOptionsGoTogetherOnly) {
    const auto error = [](std::vector<QByteArray> args) {
        args.insert(args.begin(), "roomkin");
        return parseCommandLine(args).error;
    };
    EXPECT_FALSE(error({"--report", "growth"}).isEmpty());  // nothing to compare with
    EXPECT_FALSE(error({"--report", "folders", "--all", "--depth", "1"}).isEmpty());
    EXPECT_FALSE(error({"--report", "tree", "--depth", "-1"}).isEmpty());
    EXPECT_FALSE(error({"--report", "hogs", "--import", "x.json"}).isEmpty());
    EXPECT_FALSE(error({"--report", "tree", "--export", "x.json"}).isEmpty());
    EXPECT_FALSE(error({"--report", "tree", "--import", "x.json", "--drive", "/"}).isEmpty());
    EXPECT_FALSE(error({"--export", "x.json", "--drive", "/", "--drive", "/tmp"}).isEmpty());
    EXPECT_TRUE(error({"--export", "x.json", "--drive", "/"}).isEmpty());
    EXPECT_TRUE(error({"--report", "tree", "--depth", "2"}).isEmpty());
}

}  // namespace
}  // namespace rk
