#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "ScopedMount.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "common/Errors.h"
#include "common/FolderWalk.h"

namespace rk {
namespace {

using test::ScopedMount;
using test::TempTree;
using test::TestPlatform;

struct Recorder {
    QList<QByteArray> folders;
    QMap<QByteArray, QList<QByteArray>> entries;
    FolderStep step() {
        return [this](const FolderVisit& v) {
            folders.append(v.path);
            QList<QByteArray> names;
            for (const SearchRecord& r : v.entries)
                names.append(r.name);
            entries[v.path] = names;
        };
    }
};

TEST(FolderWalk, VisitsSubFoldersBeforeTheirParent) {
    TempTree t;
    t.file("A/B/deep.txt", std::int64_t(1));
    t.file("A/a.txt", std::int64_t(1));
    t.dir("C");
    TestPlatform p;
    bool abort = false;
    FolderWalk walk(p, abort);
    Recorder rec;
    const WalkResult r = walk.walk(t.root(), true, {}, rec.step());
    EXPECT_EQ(rec.folders, QList<QByteArray>({t.path("A/B"), t.path("A"), t.path("C"), t.root()}));
    EXPECT_EQ(r.folders, 4u);
    EXPECT_EQ(r.skippedFolders, 0u);
    EXPECT_FALSE(r.aborted);
    // The step gets the folder's whole listing: "." and ".." first below the root.
    EXPECT_EQ(rec.entries[t.path("A")].mid(0, 2), QList<QByteArray>({".", ".."}));
    EXPECT_TRUE(rec.entries[t.path("A")].contains("a.txt"));
    EXPECT_FALSE(rec.entries[t.root()].contains("."));
}

TEST(FolderWalk, HiddenFoldersAndLinksAreNotEntered) {
    TempTree t;
    t.file(".git/objects/x", std::int64_t(1));
    t.file("src/main.cpp", std::int64_t(1));
    t.symlink("src/loop", "..");  // a link loop
    t.symlink("outside", "/usr");
    TestPlatform p;
    bool abort = false;
    FolderWalk walk(p, abort);
    Recorder rec;
    walk.walk(t.root(), true, {}, rec.step());
    EXPECT_EQ(rec.folders, QList<QByteArray>({t.path("src"), t.root()}));
    // The hidden folder and the links are still in their parents' listings.
    EXPECT_TRUE(rec.entries[t.root()].contains(".git"));
    EXPECT_TRUE(rec.entries[t.path("src")].contains("loop"));
}

TEST(FolderWalk, AFolderThatCannotBeOpenedIsSkippedAndCounted) {
    TempTree t;
    t.file("locked/inside/x", std::int64_t(1));
    t.file("gone/y", std::int64_t(1));
    t.file("open/z", std::int64_t(1));
    TestPlatform p;
    p.failToOpen(t.path("locked"), EACCES);
    p.failToOpen(t.path("gone"), ENOENT);
    bool abort = false;
    FolderWalk walk(p, abort);
    Recorder rec;
    const WalkResult r = walk.walk(t.root(), true, {}, rec.step());
    EXPECT_EQ(rec.folders, QList<QByteArray>({t.path("open"), t.root()}));
    EXPECT_EQ(r.skippedFolders, 2u);
}

TEST(FolderWalk, OtherErrorsEndTheWalkWithAnIoError) {
    TempTree t;
    t.file("bad/x", std::int64_t(1));
    TestPlatform p;
    p.failToOpen(t.path("bad"), EIO);
    bool abort = false;
    FolderWalk walk(p, abort);
    Recorder rec;
    try {
        walk.walk(t.root(), true, {}, rec.step());
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("I/O error %1").arg(EIO));
    }
    // A listing that fails while being read ends it the same way.
    TestPlatform q;
    q.failToRead(t.path("bad"), EIO);
    FolderWalk walk2(q, abort);
    EXPECT_THROW(walk2.walk(t.root(), true, {}, rec.step()), IoError);
}

TEST(FolderWalk, EmptyRootRunsTheStepOnlyWhenAsked) {
    TempTree t;
    t.file(".only-hidden", std::int64_t(1));
    TestPlatform p({t.root()});
    bool abort = false;
    FolderWalk walk(p, abort);
    Recorder rec;
    walk.walk(t.root(), true, {}, rec.step());
    EXPECT_EQ(rec.folders, QList<QByteArray>({t.root()}));
    Recorder none;
    walk.walk(t.root(), true, WalkSettings{false}, none.step());
    EXPECT_TRUE(none.folders.isEmpty());
    // An empty sub-folder still lists "." and "..", so its step runs either way.
    t.dir("empty");
    Recorder sub;
    walk.walk(t.root(), true, WalkSettings{false}, sub.step());
    EXPECT_EQ(sub.folders, QList<QByteArray>({t.path("empty"), t.root()}));
}

TEST(FolderWalk, AbortStopsAtTheNextFolderAndARootThatCannotOpenIsReported) {
    TempTree t;
    for (int i = 0; i < 5; ++i)
        t.dir(QByteArray("d") + QByteArray::number(i));
    TestPlatform p;
    bool abort = false;
    FolderWalk walk(p, abort);
    int steps = 0;
    const WalkResult r = walk.walk(t.root(), true, {}, [&](const FolderVisit&) {
        if (++steps == 2) abort = true;
    });
    EXPECT_TRUE(r.aborted);
    EXPECT_EQ(steps, 2);
    // With the flag already set, a further drive's walk returns at once.
    const WalkResult again = walk.walk(t.root(), true, {}, [&](const FolderVisit&) { ++steps; });
    EXPECT_TRUE(again.aborted);
    EXPECT_EQ(steps, 2);

    abort = false;
    const WalkResult missing = walk.walk(t.path("nowhere"), true, {}, [](const FolderVisit&) {});
    EXPECT_FALSE(missing.rootOpened);
    EXPECT_EQ(missing.rootError, ENOENT);
}

TEST(FolderWalk, DeepTreeWithFewDescriptors) {
    TempTree t;
    // 5,000 levels: far deeper than a path the system would open in one piece.
    int base = ::open(t.root().constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(base, 0);
    int fd = base;
    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(::mkdirat(fd, "d", 0755), 0);
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        if (fd != base) ::close(fd);
        fd = next;
    }
    const int leaf = ::openat(fd, "leaf.txt", O_WRONLY | O_CREAT, 0644);
    ::close(leaf);
    ::close(fd);
    ::close(base);

    TestPlatform p;
    bool abort = false;
    FolderWalk walk(p, abort);
    const int before = test::openDescriptorCount();
    int most = 0;
    int steps = 0;
    int deepest = 0;
    bool sawLeaf = false;
    walk.walk(t.root(), true, {}, [&](const FolderVisit& v) {
        ++steps;
        deepest = std::max(deepest, v.depth);
        for (const SearchRecord& r : v.entries)
            sawLeaf |= r.name == "leaf.txt";
        if (steps % 250 == 1) most = std::max(most, test::openDescriptorCount() - before);
    });
    EXPECT_EQ(steps, 5001);
    EXPECT_EQ(deepest, 5000);
    EXPECT_TRUE(sawLeaf);
    EXPECT_LE(most, 3);
}

TEST(FolderWalk, AFolderMovedAwayDuringTheWalkIsClimbedOutOfByPath) {
    TempTree t;
    t.dir("A/B/C");
    t.dir("D");
    t.dir("elsewhere");
    TestPlatform p;
    bool abort = false;
    FolderWalk walk(p, abort);
    QList<QByteArray> steps;
    // Once C is done, B moves out of A: ".." from C now leads somewhere else.
    walk.walk(t.root(), true, {}, [&](const FolderVisit& v) {
        steps.append(v.path);
        if (v.path == t.path("A/B/C")) {
            ASSERT_EQ(::rename(t.path("A/B").constData(), t.path("elsewhere/B").constData()), 0);
        }
    });
    EXPECT_TRUE(steps.contains(t.path("D")));
    EXPECT_EQ(steps.last(), t.root());
}

TEST(FolderWalk, NonUtf8NamesReachTheStepByteExact) {
    TempTree t;
    const QByteArray odd("caf\xe9 \xff.txt");
    t.file(QByteArray("sub\xfe/") + odd, std::int64_t(7));
    TestPlatform p;
    bool abort = false;
    FolderWalk walk(p, abort);
    Recorder rec;
    walk.walk(t.root(), true, {}, rec.step());
    const QByteArray sub = t.path("sub\xfe");
    ASSERT_TRUE(rec.entries.contains(sub));
    EXPECT_TRUE(rec.entries[sub].contains(odd));
}

// Records the sink's calls as "enter P", "step P", "leave P" (or "quit P" when left without
// a step), with paths relative to the root.
class CallLog : public WalkSink {
public:
    explicit CallLog(QByteArray root) : root_(std::move(root)) {}
    void enterFolder(const FolderVisit& v) override { add("enter", v); }
    void folderStep(const FolderVisit& v) override {
        add("step", v);
        if (calls.size() == abortAfter) abort = true;
    }
    void leaveFolder(const FolderVisit& v, bool stepped) override {
        add(stepped ? "leave" : "quit", v);
    }
    QStringList calls;
    qsizetype abortAfter = -1;
    bool abort = false;

private:
    void add(const char* what, const FolderVisit& v) {
        const QByteArray rel = v.path == root_ ? QByteArray("/") : v.path.mid(root_.size() + 1);
        calls.append(QStringLiteral("%1 %2 %3").arg(what, rel).arg(v.depth));
    }
    QByteArray root_;
};

TEST(FolderWalk, SinkCallsComeInTheirWrittenOrderAlsoWhenAborted) {
    TempTree t;
    t.file("A/B/x", std::int64_t(1));
    t.file("y", std::int64_t(1));
    TestPlatform p;
    CallLog log(t.root());
    FolderWalk walk(p, log.abort);
    walk.walk(t.root(), true, {}, log);
    EXPECT_EQ(log.calls,
              QStringList({"enter / 0", "enter A 1", "enter A/B 2", "step A/B 2", "leave A/B 2",
                           "step A 1", "leave A 1", "step / 0", "leave / 0"}));
    // Aborted in A/B's step: it is left as stepped, the folders above it without a step.
    CallLog aborted(t.root());
    aborted.abortAfter = 4;
    FolderWalk walk2(p, aborted.abort);
    const WalkResult r = walk2.walk(t.root(), true, {}, aborted);
    EXPECT_TRUE(r.aborted);
    EXPECT_EQ(aborted.calls, QStringList({"enter / 0", "enter A 1", "enter A/B 2", "step A/B 2",
                                          "leave A/B 2", "quit A 1", "quit / 0"}));
    // A root with nothing to step on is still entered and left.
    TempTree empty;
    CallLog none(empty.root());
    FolderWalk walk3(p, none.abort);
    walk3.walk(empty.root(), true, WalkSettings{false}, none);
    EXPECT_EQ(none.calls, QStringList({"enter / 0", "quit / 0"}));
}

TEST(FolderWalk, NeverEntersAnotherMountNotEvenABindMountOfTheSameFileSystem) {
    TempTree outside;
    outside.file("elsewhere/outside.txt", std::int64_t(1));
    TempTree t;  // the mounts come after the trees, so they are undone before a tree is removed
    t.file("a/in.txt", std::int64_t(1));
    t.dir("sub/tmp");
    t.dir("sub/mnt");
    t.dir("sub/again");
    ScopedMount tmpfs = ScopedMount::tmpfs(t.path("sub/tmp"));
    if (!tmpfs.ok()) GTEST_SKIP() << tmpfs.reason();
    t.file("sub/tmp/on-tmpfs/x", std::int64_t(1));
    // A bind mount of a folder outside the tree, and one of a folder inside it: both on the
    // file system the walk starts on, so the device alone would not tell them.
    ScopedMount bindOutside = ScopedMount::bind(outside.path("elsewhere"), t.path("sub/mnt"));
    ScopedMount bindInside = ScopedMount::bind(t.path("a"), t.path("sub/again"));
    ASSERT_TRUE(bindOutside.ok()) << bindOutside.reason();
    ASSERT_TRUE(bindInside.ok()) << bindInside.reason();

    TestPlatform p;
    bool abort = false;
    FolderWalk walk(p, abort);
    Recorder rec;
    walk.walk(t.root(), true, {}, rec.step());
    std::sort(rec.folders.begin(), rec.folders.end());
    EXPECT_EQ(rec.folders, QList<QByteArray>({t.root(), t.path("a"), t.path("sub")}));
    // The mount points themselves are still listed in their parent, marked as such.
    EXPECT_TRUE(rec.entries[t.path("sub")].contains("mnt"));
    t.dir("sub/plain");
    OpenedFolder sub = p.openFolder(t.path("sub"));
    std::vector<SearchRecord> listing;
    ASSERT_EQ(p.readFolder(sub.handle, false, listing), 0);
    QStringList mountPoints;
    for (const SearchRecord& e : listing)
        if (e.isMountPoint) mountPoints.append(QString::fromUtf8(e.name));
    mountPoints.sort();
    EXPECT_EQ(mountPoints, QStringList({"again", "mnt", "tmp"}));
}

TEST(EventPump, ProcessesEventsAtMostEveryInterval) {
    int calls = 0;
    std::int64_t now = 1000;
    EventPump pump([&] { ++calls; }, 30, [&] { return now; });
    for (int i = 0; i < 1000; ++i)
        pump.poll();
    EXPECT_EQ(calls, 0);
    now += 29;
    pump.poll();
    EXPECT_EQ(calls, 0);
    now += 1;
    pump.poll();
    pump.poll();
    EXPECT_EQ(calls, 1);
    // The interval counts from the last time events were processed.
    now += 45;
    pump.poll();
    now += 20;
    pump.poll();
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace rk
