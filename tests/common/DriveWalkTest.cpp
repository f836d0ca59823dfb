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

}  // namespace
}  // namespace rk
