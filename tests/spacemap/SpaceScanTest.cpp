#include <gtest/gtest.h>

#include <QMap>

#include <cerrno>

#include "RoomTree.h"
#include "ScopedMount.h"
#include "SpaceMapTesting.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "common/DriveWalk.h"
#include "spacemap/SpaceTree.h"

namespace rk {
namespace {

using test::TempTree;

// Every folder du lists in one run over root (so a file of several links counts once, where
// du meets it first), by path; entries named in `excluded` are left out as if not there.
QMap<QByteArray, std::int64_t> duFolders(const QByteArray& root, const QStringList& excluded) {
    QStringList args{QStringLiteral("--block-size=1"), QStringLiteral("-x")};
    for (const QString& e : excluded)
        args << QStringLiteral("--exclude=") + e;
    args << QStringLiteral("--") << QFile::decodeName(root);
    const test::ToolRun du = test::runTool(QStringLiteral("du"), args);
    EXPECT_TRUE(du.ok) << du.err.toStdString();
    QMap<QByteArray, std::int64_t> out;
    for (const QByteArray& line : du.out.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0) out.insert(line.mid(tab + 1), line.left(tab).toLongLong());
    }
    return out;
}

// The tree report's rooms by path.
QMap<QByteArray, std::int64_t> reportedFolders(const SpaceTree& tree) {
    QMap<QByteArray, std::int64_t> out;
    for (const QByteArray& line : test::treeReport(tree).split('\n'))
        if (!line.isEmpty())
            out.insert(line.split('\t').last(), line.split('\t').first().toLongLong());
    return out;
}

class SpaceScanTest : public ::testing::Test {
protected:
    SpaceTree scan() {
        SpaceScan s(platform);
        EXPECT_TRUE(s.run(tree.root()));
        return s.takeTree();
    }
    TempTree tree;
    test::TestPlatform platform{{tree.root()}};
};

TEST_F(SpaceScanTest, EveryFolderTotalsAsDuCountsIt) {
    test::makeRoomTree(tree);  // sparse images, small files, hard links in one folder and across
    test::writeWhole(tree, ".cache/thumbs/t.png", 9000);  // hidden folders count too
    test::writeWhole(tree, QByteArray("names/caf\xe9/r\xff.txt"), 7000);
    test::writeWhole(tree, "locked/inner/x", 20000);
    platform.failToOpen(tree.path("locked"), EACCES);

    const SpaceTree t = scan();
    QMap<QByteArray, std::int64_t> expected = duFolders(tree.root(), {QStringLiteral("locked")});
    // The folder that could not be read is listed with nothing known of what it holds.
    expected.insert(tree.path("locked"), 0);
    EXPECT_EQ(reportedFolders(t), expected);

    const SpaceTree::Index locked = t.find(tree.path("locked"));
    ASSERT_NE(locked, SpaceTree::none);
    EXPECT_TRUE(t.has(locked, SpaceTree::unreadable));
    EXPECT_TRUE(t.has(t.root(), SpaceTree::errorBelow));
    EXPECT_FALSE(t.has(t.find(tree.path("media")), SpaceTree::errorBelow));
    EXPECT_EQ(t.folderOf(t.root())->unreadableBelow, 1U);
    // 11 files of the room tree (its two extra links once), 3 more; 10 folders below the root.
    EXPECT_EQ(t.files(t.root()), 13);
    EXPECT_EQ(t.folders(t.root()), 10);
    EXPECT_EQ(t.name(t.find(tree.path(QByteArray("names/caf\xe9")))), QByteArray("caf\xe9"));
}

TEST_F(SpaceScanTest, AMountInsideIsKeptByNameAndCountsNothing) {
    TempTree outside;
    test::writeWhole(outside, "big.bin", 300000);
    test::writeWhole(tree, "docs/a.txt", 5000);
    tree.dir("mnt");
    const test::ScopedMount bind = test::ScopedMount::bind(outside.root(), tree.path("mnt"));
    if (!bind.ok()) GTEST_SKIP() << bind.reason();

    const SpaceTree t = scan();
    EXPECT_EQ(reportedFolders(t), duFolders(tree.root(), {QStringLiteral("mnt")}));
    const SpaceTree::Index mnt = t.find(tree.path("mnt"));
    ASSERT_NE(mnt, SpaceTree::none);
    EXPECT_TRUE(t.has(mnt, SpaceTree::otherMount));
    EXPECT_EQ(t.files(t.root()), 1);
    EXPECT_EQ(t.folders(t.root()), 1);
}

TEST_F(SpaceScanTest, ARemovedFolderOrFileLeavesItsFoldersTotals) {
    test::makeRoomTree(tree);
    test::writeWhole(tree, "media/deep/more.bin", 40000);
    SpaceTree t = scan();
    const SpaceTree::Index root = t.root();
    const SpaceTree::Index media = t.find(tree.path("media"));
    const SpaceTree::Index note = t.find(tree.path("other/notes.txt"));
    const std::int64_t room = t.node(root).room;
    const std::int64_t files = t.files(root);
    const std::int64_t folders = t.folders(root);
    const std::int64_t mediaRoom = t.node(media).room;
    const std::int64_t noteRoom = t.node(note).room;
    const std::int64_t otherRoom = t.node(t.find(tree.path("other"))).room;

    t.remove(media);
    t.remove(note);
    t.remove(note);  // twice is once
    EXPECT_EQ(t.node(root).room, room - mediaRoom - noteRoom);
    EXPECT_EQ(t.files(root), files - 3);      // movie.bin (with its second name), more.bin, notes
    EXPECT_EQ(t.folders(root), folders - 2);  // media and media/deep
    EXPECT_EQ(t.node(t.find(tree.path("other"))).room, otherRoom - noteRoom);
    EXPECT_EQ(t.find(tree.path("media")), SpaceTree::none);
    for (const SpaceTree::Index c : t.children(root))
        EXPECT_NE(c, media);
}

// A folder scanned again stands in the tree as a whole new scan would show it: its totals and
// every total above, a file linked inside and outside counted once, a folder that can be read
// now counted with what it holds.
TEST_F(SpaceScanTest, AFolderScannedAgainIsGraftedAsAWholeScanWouldCountIt) {
    test::makeRoomTree(tree);  // clips/clip.bin is also other/clip-too.bin
    test::writeWhole(tree, "locked/inner/x", 20000);
    platform.failToOpen(tree.path("locked"), EACCES);
    SpaceTree t = scan();
    const auto rescanned = [&](const QByteArray& relative) {
        const QByteArray path = relative.isEmpty() ? tree.root() : tree.path(relative);
        const SpaceTree::Index at = t.find(path);
        EXPECT_NE(at, SpaceTree::none) << relative.constData();
        SpaceScan s(platform);
        EXPECT_TRUE(s.rescan(path, t.linksCountedOutside(at)));
        t.graft(at, s.takeTree());
    };

    // Unchanged on disk, each of the two links' folders scanned again changes nothing.
    const QByteArray before = test::treeReport(t);
    rescanned("other");
    rescanned("clips");
    EXPECT_EQ(test::treeReport(t), before);

    test::writeWhole(tree, "media/deep/new.bin", 40000);
    ASSERT_EQ(::unlink(tree.path("media/movie.bin").constData()), 0);  // same.bin keeps it
    ASSERT_EQ(::unlink(tree.path("media/same.bin").constData()), 0);
    platform.openAgain(tree.path("locked"));
    rescanned("media");
    rescanned("locked");
    const SpaceTree fresh = scan();
    EXPECT_EQ(test::treeReport(t), test::treeReport(fresh));
    EXPECT_FALSE(t.has(t.root(), SpaceTree::errorBelow));
    EXPECT_EQ(t.latest(t.root()), fresh.latest(fresh.root()));
    EXPECT_NE(t.find(tree.path("media/deep/new.bin")), SpaceTree::none);
    EXPECT_EQ(t.find(tree.path("media/movie.bin")), SpaceTree::none);

    rescanned("");  // the root: the fresh tree whole
    EXPECT_EQ(test::treeReport(t), test::treeReport(fresh));
}

TEST_F(SpaceScanTest, ChildrenComeLargestFirstAndTheRootCanBeEmpty) {
    test::writeWhole(tree, "b/x", 8192);
    test::writeWhole(tree, "a/x", 8192);
    test::writeWhole(tree, "c/x", 81920);
    const SpaceTree t = scan();
    std::vector<QByteArray> names;
    for (const SpaceTree::Index c : t.children(t.root()))
        names.push_back(t.name(c));
    EXPECT_EQ(names, (std::vector<QByteArray>{"c", "a", "b"}));  // equal rooms by name

    TempTree empty;
    SpaceScan s(platform);
    ASSERT_TRUE(s.run(empty.root()));
    EXPECT_EQ(s.tree().size(), 1U);
    EXPECT_EQ(s.tree().files(s.tree().root()), 0);
    EXPECT_FALSE(s.run(tree.path("nowhere")));
}

// A walk stopped part way keeps what it read: the folders it never reached are not taken for
// folders that could not be read, and every total above is the sum of what is known.
TEST_F(SpaceScanTest, AnAbortedScanMarksNoFolderUnreadable) {
    for (const char* folder : {"a", "b", "c", "d"})
        test::writeWhole(tree, QByteArray(folder) + "/sub/x.bin", 8192);
    struct StopAfterTwo : WalkSink {
        WalkSink& inner;
        bool& abort;
        int entered = 0;
        StopAfterTwo(WalkSink& i, bool& a) : inner(i), abort(a) {}
        void enterFolder(const FolderVisit& v) override {
            inner.enterFolder(v);
            if (++entered == 2) abort = true;
        }
        void folderStep(const FolderVisit& v) override { inner.folderStep(v); }
        void leaveFolder(const FolderVisit& v, bool stepped) override {
            inner.leaveFolder(v, stepped);
        }
    };
    SpaceScan s(platform);
    ASSERT_TRUE(s.begin(tree.root()));
    StopAfterTwo sink(s.sink(), s.abort);
    WalkSettings settings;
    settings.entersHidden = true;
    const WalkResult r = walkFolders(platform, tree.root(), true, settings, sink, s.abort, nullptr);
    s.end();
    EXPECT_TRUE(r.aborted);
    const SpaceTree& t = s.tree();
    EXPECT_FALSE(t.has(t.root(), SpaceTree::errorBelow));
    std::int64_t sum = t.folderOf(t.root())->ownRoom;
    for (const SpaceTree::Index c : t.children(t.root())) {
        EXPECT_FALSE(t.has(c, SpaceTree::unreadable)) << t.name(c).toStdString();
        sum += t.node(c).room;
    }
    EXPECT_EQ(t.node(t.root()).room, sum);
    EXPECT_EQ(t.folders(t.root()), 5);  // four listed, one of them entered
}

}  // namespace
}  // namespace rk
