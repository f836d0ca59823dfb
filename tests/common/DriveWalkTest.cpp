#include <gtest/gtest.h>

#include "ScopedMount.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "common/DriveWalk.h"

namespace rk {
namespace {

using test::ScopedMount;
using test::TempTree;
using test::TestPlatform;

std::vector<Drive> drivesAt(const std::vector<QByteArray>& folders) {
    std::vector<Drive> drives;
    for (const QByteArray& f : folders) {
        Drive d;
        d.mountPoint = f;
        drives.push_back(d);
    }
    return drives;
}

QList<QByteArray> mountPoints(const SearchDrives& search) {
    QList<QByteArray> out;
    for (const Drive& d : search.drives)
        out.append(d.mountPoint);
    return out;
}

TEST(DistinctDrives, DropsOnlyTheDrivesAnotherDrivesWalkReaches) {
    TempTree t;
    t.dir("a/b");
    t.dir(".cache/c");
    t.dir("m/tmp");
    ScopedMount tmpfs = ScopedMount::tmpfs(t.path("m/tmp"));
    TestPlatform p;
    // Nested and repeated drives go; one below a hidden folder stays, as the walk of the
    // root does not go in there; so does a drive that cannot be opened, for its message.
    const SearchDrives search =
        distinctDrives(p, drivesAt({t.root(), t.path("a/b"), t.root(), t.path(".cache/c"),
                                    t.path("gone"), t.path("m/tmp")}));
    QList<QByteArray> expected{t.root(), t.path(".cache/c"), t.path("gone")};
    // A drive on a mount of its own inside another is not reached by that drive's walk.
    if (tmpfs.ok()) expected.append(t.path("m/tmp"));
    EXPECT_EQ(mountPoints(search), expected);
    EXPECT_EQ(search.roots.size(), std::size_t(expected.size() - 1));
    // Whichever comes first, the outer drive is the one walked.
    EXPECT_EQ(mountPoints(distinctDrives(p, drivesAt({t.path("a"), t.root()}))),
              QList<QByteArray>{t.root()});
}

// Counts the walk's calls and sets the abort flag once it has seen `stopAt` folders entered.
struct CountingSink : WalkSink {
    bool abort = false;
    int stopAt = -1;
    int entered = 0;
    int steps = 0;
    int left = 0;
    void enterFolder(const FolderVisit&) override {
        if (++entered == stopAt) abort = true;
    }
    void folderStep(const FolderVisit&) override { ++steps; }
    void leaveFolder(const FolderVisit&, bool) override { ++left; }
};

TEST(WalkFolders, AnAbortMidWalkStopsAtOnceAndLeavesEveryFolderEntered) {
    TempTree t;
    for (int i = 0; i < 40; ++i)
        t.file("w" + QByteArray::number(i) + "/a/b/c/f");
    TestPlatform p;
    const int previous = walkThreads();
    setWalkThreads(4);
    // Set by the sink itself, with and without a window's events between slices.
    for (const bool windowed : {false, true}) {
        CountingSink sink;
        sink.stopAt = 30;
        EventPump pump([] {}, 0);
        const WalkResult r = walkFolders(p, t.root(), true, WalkSettings{}, sink, sink.abort,
                                         windowed ? &pump : nullptr);
        EXPECT_TRUE(r.aborted) << windowed;
        EXPECT_EQ(sink.entered, 30) << windowed;  // not one folder more once the flag is set
        EXPECT_EQ(sink.left, sink.entered) << windowed;
    }
    // Set by an event the window handles between slices (its Abort button).
    CountingSink sink;
    EventPump pump([&] { sink.abort = sink.entered > 0; }, 0);
    const WalkResult r = walkFolders(p, t.root(), true, WalkSettings{}, sink, sink.abort, &pump);
    EXPECT_EQ(sink.left, sink.entered);
    EXPECT_EQ(r.aborted, sink.steps < 161);
    // Set before the walk: nothing is entered.
    CountingSink early;
    early.abort = true;
    EXPECT_TRUE(
        walkFolders(p, t.root(), true, WalkSettings{}, early, early.abort, nullptr).aborted);
    EXPECT_EQ(early.entered, 0);
    setWalkThreads(previous);
}

}  // namespace
}  // namespace rk
