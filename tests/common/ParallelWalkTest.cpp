#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <mutex>

#include "MountHelper.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "common/Errors.h"
#include "common/FolderWalk.h"
#include "common/ParallelWalk.h"

namespace rk {
namespace {

using test::TempTree;
using test::TestPlatform;

// The test platform, safe to share between the reader's workers, with a hook that runs after a
// folder has been read (to change the tree under the walk at a chosen moment).
class SharedPlatform : public TestPlatform {
public:
    using TestPlatform::TestPlatform;
    OpenedFolder openFolder(const QByteArray& path) const override {
        std::lock_guard lock(mutex_);
        return TestPlatform::openFolder(QByteArray(path.constData(), path.size()));
    }
    OpenedFolder openSubFolder(const FolderHandle& parent, const QByteArray& name,
                               const QByteArray& path) const override {
        std::lock_guard lock(mutex_);
        // The platform keeps the path: a copy, so that the walk's text is never shared with it.
        return TestPlatform::openSubFolder(parent, name, QByteArray(path.constData(), path.size()));
    }
    int readFolder(const FolderHandle& folder, bool isDriveRoot,
                   std::vector<SearchRecord>& entries) const override {
        std::lock_guard lock(mutex_);
        const int err = TestPlatform::readFolder(folder, isDriveRoot, entries);
        if (afterRead) afterRead(lastReadPath);
        return err;
    }
    std::function<void(const QByteArray& path)> afterRead;

private:
    mutable std::mutex mutex_;
};

// Every sink call as a line: what, the path relative to the root, the depth, and for an entered
// folder its listing (names, sizes and whether each is a mount point).
class CallLog : public WalkSink {
public:
    explicit CallLog(QByteArray root) : root_(std::move(root)) {}
    void enterFolder(const FolderVisit& v) override {
        QByteArray listing;
        for (const SearchRecord& e : v.entries)
            listing += e.name + ':' + QByteArray::number(e.size) + (e.isMountPoint ? "m," : ",");
        add("enter", v, listing);
    }
    void folderStep(const FolderVisit& v) override { add("step", v); }
    void leaveFolder(const FolderVisit& v, bool stepped) override {
        add(stepped ? "leave" : "quit", v);
    }
    QList<QByteArray> calls;
    qsizetype stopAfter = -1;
    std::function<void()> stop;

private:
    void add(const char* what, const FolderVisit& v, const QByteArray& more = {}) {
        const QByteArray rel = v.path == root_ ? QByteArray("/") : v.path.mid(root_.size() + 1);
        calls.append(what + (' ' + rel) + ' ' + QByteArray::number(v.depth) + ' ' + more);
        if (calls.size() == stopAfter) stop();
    }
    QByteArray root_;
};

struct Walked {
    QList<QByteArray> calls;
    WalkResult result;
    bool threw = false;
};

Walked oneThread(const Platform& p, const QByteArray& root, std::vector<FolderKey> others = {},
                 qsizetype stopAfter = -1, WalkSettings settings = {}) {
    Walked w;
    CallLog log(root);
    bool abort = false;
    log.stopAfter = stopAfter;
    log.stop = [&] { abort = true; };
    FolderWalk walk(p, abort);
    walk.otherRoots = std::move(others);
    try {
        w.result = walk.walk(root, true, settings, log);
    } catch (const IoError&) {
        w.threw = true;
    }
    w.calls = log.calls;
    return w;
}

// budgetMs 0: every pump() returns after one step of the walk, so waiting is resumed often.
Walked parallel(const Platform& p, const QByteArray& root, ReaderSettings reader,
                std::vector<FolderKey> others = {}, qsizetype stopAfter = -1,
                WalkSettings settings = {}, int budgetMs = 50) {
    Walked w;
    CallLog log(root);
    ParallelWalk walk(p, log, reader);
    log.stopAfter = stopAfter;
    log.stop = [&] { walk.stop(); };
    walk.otherRoots = std::move(others);
    walk.start(root, true, settings);
    try {
        while (!walk.pump(std::chrono::milliseconds(budgetMs))) {
        }
        w.result = walk.result();
        EXPECT_TRUE(walk.pump());  // over for good
    } catch (const IoError&) {
        w.threw = true;
        EXPECT_TRUE(walk.pump());
    }
    w.calls = log.calls;
    return w;
}

void expectSame(const Walked& a, const Walked& b) {
    EXPECT_EQ(a.calls, b.calls);
    EXPECT_EQ(a.threw, b.threw);
    EXPECT_EQ(a.result.rootOpened, b.result.rootOpened);
    EXPECT_EQ(a.result.rootError, b.result.rootError);
    EXPECT_EQ(a.result.aborted, b.result.aborted);
    EXPECT_EQ(a.result.folders, b.result.folders);
    EXPECT_EQ(a.result.skippedFolders, b.result.skippedFolders);
}

// Look-aheads from roomy to so tight that the walk reads folders itself, with no descriptor
// kept, so every folder's parent is opened again.
std::vector<ReaderSettings> readers() {
    return {ReaderSettings{}, ReaderSettings{1, 1024, 1 << 20, 64},
            ReaderSettings{2, 2, 1 << 20, 0}, ReaderSettings{8, 3, 200, 1}};
}

void makeAwkwardTree(const TempTree& t) {
    t.file("A/B/C/deep.txt", std::int64_t(3));
    t.file("A/a.txt", std::int64_t(1));
    t.dir("A/empty");
    t.file(".hidden/inside/x", std::int64_t(1));
    t.symlink("A/loop", "..");
    t.symlink("outside", "/usr");
    t.file(QByteArray("odd\xfe/caf\xe9.txt"), std::int64_t(7));
    for (int i = 0; i < 60; ++i)
        t.file("wide/w" + QByteArray::number(i) + "/f", std::int64_t(i));
    t.file("wide/w7/x/y/z", std::int64_t(2));
}

TEST(ParallelWalk, AwkwardTreeGivesTheOneThreadWalksCallsInItsOrder) {
    TempTree t;
    makeAwkwardTree(t);
    SharedPlatform p;
    const Walked expected = oneThread(p, t.root());
    ASSERT_GT(expected.calls.size(), 200);
    for (const ReaderSettings& r : readers()) {
        SCOPED_TRACE(r.threads);
        expectSame(parallel(p, t.root(), r), expected);
        // Resumed after every step of the walk, from a pump with no time to spend.
        expectSame(parallel(p, t.root(), r, {}, -1, {}, 0), expected);
    }
    // An empty root, with and without a step for it.
    TempTree empty;
    empty.file(".only-hidden", std::int64_t(1));
    expectSame(parallel(p, empty.root(), {}, {}, -1, WalkSettings{false}),
               oneThread(p, empty.root(), {}, -1, WalkSettings{false}));
    expectSame(parallel(p, empty.root(), {}), oneThread(p, empty.root()));
}

TEST(ParallelWalk, OverlappingDrivesAndFoldersThatCannotBeReadAreTreatedAlike) {
    TempTree t;
    makeAwkwardTree(t);
    t.file("locked/inside/x", std::int64_t(1));
    t.file("gone/y", std::int64_t(1));
    t.file("unlistable/z", std::int64_t(1));
    SharedPlatform p;
    p.failToOpen(t.path("locked"), EACCES);
    p.failToOpen(t.path("gone"), ENOENT);
    p.failToOpen(t.path("wide/w3"), EPERM);
    p.failToRead(t.path("unlistable"), EACCES);
    // A(its folder key) is another drive of the same search, as a drive given inside another.
    OpenedFolder a = p.openFolder(t.path("A"));
    ASSERT_TRUE(a.handle.isOpen());
    const std::vector<FolderKey> others{{a.handle.device, a.handle.inode}};
    const Walked expected = oneThread(p, t.root(), others);
    EXPECT_EQ(expected.result.skippedFolders, 4u);
    EXPECT_FALSE(expected.calls.join().contains(" A/B "));
    for (const ReaderSettings& r : readers())
        expectSame(parallel(p, t.root(), r, others), expected);

    // A root that cannot be opened, or read.
    expectSame(parallel(p, t.path("nowhere"), {}), oneThread(p, t.path("nowhere")));
    expectSame(parallel(p, t.path("unlistable"), {}), oneThread(p, t.path("unlistable")));
}

TEST(ParallelWalk, OtherErrorsEndTheWalkWhereTheOneThreadWalkEndsIt) {
    TempTree t;
    makeAwkwardTree(t);
    SharedPlatform p;
    p.failToOpen(t.path("wide/w20"), EIO);
    p.failToRead(t.path("wide/w40"), EIO);
    const Walked expected = oneThread(p, t.root());
    ASSERT_TRUE(expected.threw);
    for (const ReaderSettings& r : readers())
        expectSame(parallel(p, t.root(), r), expected);
    SharedPlatform q;
    q.failToRead(t.path("wide/w40"), EIO);
    const Walked later = oneThread(q, t.root());
    ASSERT_TRUE(later.threw);
    EXPECT_GE(later.calls.size(), expected.calls.size());
    for (const ReaderSettings& r : readers())
        expectSame(parallel(q, t.root(), r), later);
}

TEST(ParallelWalk, EntriesVanishingWhileReadAreSkippedAsByTheOneThreadWalk) {
    // Each walk gets a fresh tree: once a folder is read, a sub-folder of it and a file in
    // another sub-folder go, so they are listed but no longer there to open or to step on.
    const auto walkVanishing =
        [](const std::function<Walked(const Platform&, const QByteArray&)>& walk) {
            TempTree t;
            t.file("P/gone/inner/x", std::int64_t(1));
            t.file("P/stays/file", std::int64_t(1));
            t.file("P/stays/sub/more", std::int64_t(1));
            t.dir("Q");
            SharedPlatform p;
            p.afterRead = [&t](const QByteArray& path) {
                if (path != t.path("P")) return;
                ::unlink(t.path("P/gone/inner/x").constData());
                ::rmdir(t.path("P/gone/inner").constData());
                ::rmdir(t.path("P/gone").constData());
            };
            return walk(p, t.root());
        };
    const Walked expected =
        walkVanishing([](const Platform& p, const QByteArray& root) { return oneThread(p, root); });
    EXPECT_EQ(expected.result.skippedFolders, 1u);
    for (const ReaderSettings& r : readers())
        expectSame(walkVanishing([&r](const Platform& p, const QByteArray& root) {
                       return parallel(p, root, r);
                   }),
                   expected);
}

TEST(ParallelWalk, StoppedAtAnyCallItEndsAsTheOneThreadWalkAborts) {
    TempTree t;
    makeAwkwardTree(t);
    SharedPlatform p;
    const qsizetype total = oneThread(p, t.root()).calls.size();
    const std::vector<ReaderSettings> settings = readers();
    for (qsizetype n = 1; n <= total; ++n) {
        const Walked expected = oneThread(p, t.root(), {}, n);
        const Walked got = parallel(p, t.root(), settings[std::size_t(n) % settings.size()], {}, n);
        expectSame(got, expected);
        if (got.calls != expected.calls) {
            ADD_FAILURE() << "stopped after " << n << " calls";
            break;
        }
    }
    // Stopped before it starts: nothing is called, as with the abort flag already set.
    CallLog log(t.root());
    ParallelWalk walk(p, log);
    walk.stop();
    walk.start(t.root(), true, {});
    EXPECT_TRUE(walk.pump());
    EXPECT_TRUE(walk.result().aborted);
    EXPECT_TRUE(log.calls.isEmpty());
}

TEST(ParallelWalk, StoppedBetweenPumpsEveryOpenFolderIsLeft) {
    TempTree t;
    makeAwkwardTree(t);
    SharedPlatform p;
    const Walked whole = oneThread(p, t.root());
    for (int pumps = 1; pumps < 40; pumps += 3) {
        CallLog log(t.root());
        ParallelWalk walk(p, log, ReaderSettings{2, 4, 1 << 20, 2});
        walk.start(t.root(), true, {});
        bool over = false;
        for (int i = 0; i < pumps && !over; ++i)
            over = walk.pump(std::chrono::milliseconds(0));
        walk.stop();
        EXPECT_TRUE(walk.pump());
        // What came before the stop is the start of the whole walk; then each folder still
        // open is left without a step, innermost first.
        qsizetype same = 0;
        while (same < log.calls.size() && same < whole.calls.size() &&
               log.calls[same] == whole.calls[same])
            ++same;
        int open = 0;
        for (qsizetype i = 0; i < same; ++i)
            open += log.calls[i].startsWith("enter ")   ? 1
                    : log.calls[i].startsWith("leave ") ? -1
                                                        : 0;
        EXPECT_EQ(log.calls.size() - same, open);
        for (qsizetype i = same; i < log.calls.size(); ++i)
            EXPECT_TRUE(log.calls[i].startsWith("quit ")) << log.calls[i].constData();
        EXPECT_EQ(walk.result().aborted, !over);
    }
}

// A chain of folders, one inside the other, made level by level from the last.
void makeChain(const TempTree& t, int levels) {
    int fd = ::open(t.root().constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < levels; ++i) {
        ASSERT_EQ(::mkdirat(fd, "d", 0755), 0);
        if (i % 100 == 0) ::close(::openat(fd, "side", O_WRONLY | O_CREAT, 0644));
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ::close(::openat(fd, "leaf.txt", O_WRONLY | O_CREAT, 0644));
    ::close(fd);
}

// Counts descriptors now and then during the walk.
class DescriptorProbe : public CallLog {
public:
    using CallLog::CallLog;
    void folderStep(const FolderVisit& v) override {
        CallLog::folderStep(v);
        if (++steps_ % 250 == 1) most = std::max(most, test::openDescriptorCount() - before);
    }
    int before = test::openDescriptorCount();
    int most = 0;

private:
    int steps_ = 0;
};

TEST(ParallelWalk, DeepTreeWithDescriptorsBoundedByTheSettingsNotTheDepth) {
    TempTree t;
    makeChain(t, 5000);
    SharedPlatform shared;
    const Walked expected = oneThread(shared, t.root());
    ASSERT_EQ(expected.result.folders, 5001u);
    DescriptorProbe log(t.root());
    ParallelWalk walk(shared, log, ReaderSettings{2, 64, 1 << 20, 4});
    walk.start(t.root(), true, {});
    const WalkResult r = walk.run();
    EXPECT_EQ(log.calls, expected.calls);
    EXPECT_EQ(r.folders, 5001u);
    // Two workers and the walk itself each reading one folder from its parent, and the kept
    // descriptors.
    EXPECT_LE(log.most, 3 * 2 + 4);
}

TEST(ParallelWalk, FoldersBeyondTheLongestPathAreOpenedAgainFromAbove) {
    TempTree t;
    makeChain(t, 2300);  // the deepest paths are longer than the system opens in one piece
    SharedPlatform p;
    const Walked expected = oneThread(p, t.root());
    ASSERT_EQ(expected.result.folders, 2301u);
    expectSame(parallel(p, t.root(), ReaderSettings{2, 8, 1 << 20, 0}), expected);
}

TEST(ParallelWalk, NeverEntersAnotherMountNotEvenABindMountOfTheSameFileSystem) {
    TempTree outside;
    outside.file("elsewhere/outside.txt", std::int64_t(1));
    TempTree t;
    makeAwkwardTree(t);
    for (const char* at : {"sub/tmp", "sub/mnt", "sub/again"})
        t.dir(at);
    test::ScopedMounts mounts;  // undone before the trees are removed
    if (!mounts.tmpfs(t.path("sub/tmp")))
        GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(mounts.error);
    t.file("sub/tmp/on-tmpfs/x", std::int64_t(1));
    // Bind mounts of a folder outside the tree and of one inside it, both on the file system
    // the walk starts on.
    ASSERT_TRUE(mounts.bind(outside.path("elsewhere"), t.path("sub/mnt")));
    ASSERT_TRUE(mounts.bind(t.path("A"), t.path("sub/again")));
    SharedPlatform p;
    const Walked expected = oneThread(p, t.root());
    EXPECT_FALSE(expected.calls.join().contains("on-tmpfs"));
    for (const ReaderSettings& r : readers())
        expectSame(parallel(p, t.root(), r), expected);
}

}  // namespace
}  // namespace rk
