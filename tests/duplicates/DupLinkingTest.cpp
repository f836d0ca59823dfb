#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <map>

#include "InstalledPlatform.h"
#include "LoopImage.h"
#include "ScopedMount.h"
#include "TempTree.h"
#include "common/SearchPath.h"
#include "duplicates/ContentScan.h"
#include "duplicates/DupLinking.h"
#include "platform/FileContents.h"
#include "platform/FileLinks.h"

namespace rk {
namespace {

// Bytes no file system shares or compresses by itself.
QByteArray noise(int size, quint32 seed) {
    QByteArray b(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    random.fillRange(reinterpret_cast<quint32*>(b.data()), size / 4);
    return b;
}

QByteArray plant(const QByteArray& root, const QByteArray& relative, const QByteArray& bytes,
                 std::int64_t second = 1'000'000'000) {
    return test::plantFile(root + '/' + relative, bytes, second);
}

// What a user can see of a file: its bytes, permissions, owner, last write and which file it is.
struct Seen {
    QByteArray bytes;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    std::int64_t writtenNs = 0;
    ino_t inode = 0;
    friend bool operator==(const Seen&, const Seen&) = default;
};
Seen seen(const QByteArray& path) {
    QFile f(QString::fromLocal8Bit(path));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.constData();
    struct stat st {};
    EXPECT_EQ(::stat(path.constData(), &st), 0);
    return {f.readAll(),
            st.st_mode,
            st.st_uid,
            st.st_gid,
            std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
            st.st_ino};
}

// Copies planted on a file system that can share data, searched and linked through the core.
class LinkingOn : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!fs.ok()) GTEST_SKIP() << fs.reason();
        setSearchPathList({});
        installed.reset({fs.root()});
    }
    QByteArray plant(const QByteArray& relative, const QByteArray& bytes, std::int64_t second) {
        return rk::plant(fs.root(), relative, bytes, second);
    }
    std::vector<CopyPair> search(KeepRule rule, std::vector<QByteArray> originals = {}) {
        ContentScan::Query q;
        q.sizeLimitKb = 0;
        q.drives = installed.table().drives();
        q.originals = std::move(originals);
        scan = std::make_unique<ContentScan>(installed.platform());
        scan->run(q);
        return allButOne(*scan, rule);
    }
    LinkResult link(const std::vector<CopyPair>& pairs, LinkWay way, bool agreed = false) {
        return LinkCopies(installed.platform(), FileContents(), FileLinks(), pairs,
                          LinkRun{.way = way, .ownerAgreed = agreed});
    }
    static void expectFreed(const LinkResult& r) {
        ASSERT_EQ(r.space.size(), 1U);
        EXPECT_GT(r.predicted, 0);
        EXPECT_GE(r.measured() * 100, r.predicted * 95)
            << "predicted " << r.predicted << ", measured " << r.measured();
    }

    test::LoopImage fs{GetParam()};
    test::InstalledPlatform installed{{}};
    std::unique_ptr<ContentScan> scan;
};

TEST_P(LinkingOn, SharingKeepsEveryFileAsItWasAndFreesTheRoom) {
    const QByteArray x = noise(1 << 20, 1), y = noise(512 << 10, 2), z = noise(256 << 10, 3);
    plant("a/one.bin", x, 1'000'000'300);
    const QByteArray oldest = plant("b/one.bin", x, 1'000'000'100);
    plant("c/deep/one.copy", x, 1'000'000'200);
    const QByteArray original = plant("orig/two.bin", y, 1'000'000'500);
    plant("a/two.bin", y, 1'000'000'000);
    plant("orig/three", z, 1'000'000'000);
    plant("orig/sub/three", z, 1'000'000'000);
    ASSERT_EQ(::chmod((fs.root() + "/a/one.bin").constData(), 0600), 0);
    ASSERT_EQ(::chown((fs.root() + "/c/deep/one.copy").constData(), 1234, 4321), 0);
    std::map<QByteArray, Seen> before;
    for (const char* f : {"a/one.bin", "b/one.bin", "c/deep/one.copy", "orig/two.bin", "a/two.bin",
                          "orig/three", "orig/sub/three"})
        before[f] = seen(fs.root() + '/' + f);
    ::sync();
    const std::vector<CopyPair> pairs = search(KeepRule::Oldest, {fs.root() + "/orig"});
    // The originals alone are no group; an original stays, whatever the rule.
    for (std::size_t i = 0; i < scan->listedCount(); ++i)
        EXPECT_FALSE(scan->hashedFile(i).path.endsWith("three"));
    ASSERT_EQ(pairs.size(), 3U);
    for (const CopyPair& p : pairs) {
        EXPECT_FALSE(p.going.path.contains("/orig/"));
        EXPECT_EQ(p.kept.path, p.going.size == x.size() ? oldest : original);
    }
    const LinkResult r = link(pairs, LinkWay::Share);
    EXPECT_TRUE(r.left.empty()) << leftReasonText(r.left[0].reason, r.left[0].error).toStdString();
    EXPECT_EQ(r.shared, 2 * x.size() + y.size());
    for (const auto& [f, was] : before)
        EXPECT_TRUE(seen(fs.root() + '/' + f) == was) << f.constData();
    expectFreed(r);
    // Each stays a file of its own: writing one leaves its copy as it was.
    plant("a/one.bin", y, 1);
    EXPECT_EQ(seen(oldest).bytes, x);
}

TEST_P(LinkingOn, HardLinksMakeOneFileAndTakeOwnersOnlyWhereAgreed) {
    const QByteArray x = noise(1 << 20, 4);
    const QByteArray kept = plant("k/x.bin", x, 1'000'000'900);
    plant("a/x.bin", x, 1'000'000'100);
    plant("b/x.bin", x, 1'000'000'200);
    const QByteArray other = plant("c/x.bin", x, 1'000'000'300);
    ASSERT_EQ(::chown(other.constData(), 1234, 4321), 0);
    ::sync();
    const LinkResult r = link(search(KeepRule::Newest), LinkWay::HardLink);
    ASSERT_EQ(r.left.size(), 1U);
    EXPECT_EQ(r.left[0].reason, LeftReason::OwnerDiffers);
    EXPECT_EQ(r.linked.size(), 2U);
    EXPECT_EQ(seen(other).owner, 1234U);
    expectFreed(r);
    const LinkResult agreed = link(search(KeepRule::Newest), LinkWay::HardLink, true);
    EXPECT_TRUE(agreed.left.empty());
    const ino_t inode = seen(kept).inode;
    for (const char* f : {"a/x.bin", "b/x.bin", "c/x.bin"})
        EXPECT_TRUE(seen(fs.root() + '/' + f).inode == inode) << f;
    EXPECT_EQ(seen(other).owner, 0U);
    // Nothing is left beside the copies under a temporary name.
    EXPECT_EQ(QDir(QString::fromLocal8Bit(fs.root() + "/c")).count(), 3U);  // ".", "..", x.bin
}

TEST_P(LinkingOn, ACopyOrKeptCopyChangedAfterTheSearchIsLeftAlone) {
    for (const LinkWay way : {LinkWay::Share, LinkWay::HardLink}) {
        const QByteArray at = way == LinkWay::Share ? "share/" : "link/";
        const QByteArray x = noise(256 << 10, 5), y = noise(128 << 10, 6);
        plant(at + "x1", x, 1'000'000'000);
        plant(at + "x2", x, 1'000'000'100);
        const QByteArray y1 = plant(at + "y1", y, 1'000'000'000);
        const QByteArray y2 = plant(at + "y2", y, 1'000'000'100);
        std::vector<CopyPair> pairs = search(KeepRule::Oldest);
        std::erase_if(pairs, [&](const CopyPair& p) { return !p.going.path.contains(at); });
        ASSERT_EQ(pairs.size(), 2U);
        // The copy x2 rewritten with one byte changed, as the same size; the kept y1 likewise.
        const auto flipped = [](QByteArray b, int i) {
            return b.replace(i, 1, QByteArray(1, char(~b[i])));
        };
        const QByteArray changed = flipped(x, 1000);
        const QByteArray x2 = plant(at + "x2", changed, 1'000'000'100);
        plant(at + "y1", flipped(y, 7), 1'000'000'000);
        const LinkResult r = link(pairs, way);
        EXPECT_TRUE(r.linked.empty());
        ASSERT_EQ(r.left.size(), 2U);
        for (const LeftCopy& l : r.left)
            EXPECT_EQ(l.reason, pairs[l.pair].going.path == x2 ? LeftReason::Changed
                                                               : LeftReason::KeptChanged);
        EXPECT_EQ(seen(x2).bytes, changed);
        EXPECT_EQ(seen(y2).bytes, y);
        EXPECT_NE(seen(y2).inode, seen(y1).inode);
    }
}

INSTANTIATE_TEST_SUITE_P(FileSystems, LinkingOn, ::testing::Values("btrfs", "xfs"));

// A pair made of two files as they are now.
CopyPair pairOf(const Platform& platform, const QByteArray& kept, const QByteArray& going) {
    return {*markFile(platform, kept), *markFile(platform, going)};
}

// Links that give the kept copy its new name but cannot rename it over the copy.
class StuckRename : public FileLinks {
public:
    int renameOver(const FolderHandle&, const QByteArray&, const QByteArray&) const override {
        return EBUSY;
    }
};

TEST(Linking, ALinkThatCannotTakeTheCopysPlaceLeavesNothingBehind) {
    test::TempTree tree;
    test::InstalledPlatform installed{{tree.root()}};
    const QByteArray x = noise(64 << 10, 7);
    const QByteArray kept = plant(tree.root(), "kept", x);
    const QByteArray copy = plant(tree.root(), "in/copy", x);
    const ino_t inode = seen(copy).inode;
    const LinkResult r =
        LinkCopies(installed.platform(), FileContents(), StuckRename(),
                   {pairOf(installed.platform(), kept, copy)}, LinkRun{.way = LinkWay::HardLink});
    ASSERT_EQ(r.left.size(), 1U);
    EXPECT_EQ(r.left[0].reason, LeftReason::Failed);
    EXPECT_EQ(r.left[0].error, EBUSY);
    EXPECT_EQ(seen(copy).inode, inode);
    EXPECT_EQ(QDir(QString::fromLocal8Bit(tree.path("in"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("copy")});
    struct stat st {};
    EXPECT_TRUE(::stat(kept.constData(), &st) == 0 && st.st_nlink == 1);
}

TEST(Linking, NoWayReachesAcrossFileSystemsAndTheSameFileIsNoCopy) {
    test::TempTree tree;
    tree.dir("other");
    const test::ScopedMount mount = test::ScopedMount::tmpfs(tree.path("other"));
    if (!mount.ok()) GTEST_SKIP() << mount.reason();
    test::InstalledPlatform installed{{tree.root()}};
    const QByteArray x = noise(64 << 10, 8);
    const QByteArray kept = plant(tree.root(), "kept", x);
    const QByteArray copy = plant(tree.root(), "other/copy", x);
    const QByteArray same = tree.path("same");
    ASSERT_EQ(::link(kept.constData(), same.constData()), 0);
    const ino_t inode = seen(copy).inode;
    for (const LinkWay way : {LinkWay::Share, LinkWay::HardLink}) {
        const LinkRun run{.way = way};
        const LinkResult r = LinkCopies(
            installed.platform(), FileContents(), FileLinks(),
            {pairOf(installed.platform(), kept, copy), pairOf(installed.platform(), kept, same)},
            run);
        ASSERT_EQ(r.left.size(), 2U);
        if (way == LinkWay::HardLink) {
            EXPECT_EQ(r.left[0].reason, LeftReason::OtherFileSystem);
        }
        EXPECT_EQ(r.left[1].reason, LeftReason::SameFile);
        EXPECT_EQ(seen(copy).inode, inode);
        EXPECT_EQ(seen(copy).bytes, x);
    }
}

TEST(Linking, TheCopyKeptFollowsTheRuleButAnOriginalAlwaysStays) {
    const std::vector<KeepCandidate> copies{{"/a/long/path/x", 300, false},
                                            {"/b/x", 100, false},
                                            {"/c/x", 500, false},
                                            {"/d/x", 100, false}};
    EXPECT_EQ(chooseKept(copies, KeepRule::Oldest), 1U);  // the first of the oldest
    EXPECT_EQ(chooseKept(copies, KeepRule::Newest), 2U);
    EXPECT_EQ(chooseKept(copies, KeepRule::Shortest), 1U);
    EXPECT_EQ(chooseKept(copies, KeepRule::Original), 1U);  // none: the oldest
    std::vector<KeepCandidate> withOriginals = copies;
    withOriginals[0].original = withOriginals[2].original = true;
    EXPECT_EQ(chooseKept(withOriginals, KeepRule::Oldest), 0U);
    EXPECT_EQ(chooseKept(withOriginals, KeepRule::Newest), 2U);
    EXPECT_EQ(chooseKept(withOriginals, KeepRule::Shortest), 2U);
}

}  // namespace
}  // namespace rk
