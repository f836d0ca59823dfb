#include <gtest/gtest.h>

#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "common/Drives.h"
#include "common/Errors.h"

namespace rk {
namespace {

using test::TempTree;
using test::TestPlatform;

TEST(DriveTable, CurrentDriveHoldsTheStartFolderForTheWholeRun) {
    TempTree t;
    t.dir("one/inner");
    t.dir("two");
    TestPlatform p({t.path("two"), t.path("one")});
    p.setCurrentFolder(t.path("one/inner"));
    DriveTable table(p);
    ASSERT_EQ(table.drives().size(), 2u);
    EXPECT_EQ(table.drives()[0].mountPoint, t.path("one"));  // sorted by path
    EXPECT_EQ(table.currentIndex(), 0);
    // The start folder was taken once: a folder the platform reports later changes nothing.
    p.setCurrentFolder(t.path("two"));
    table.reload();
    EXPECT_EQ(table.currentIndex(), 0);
    EXPECT_EQ(table.startFolder(), t.path("one/inner"));
    p.setCurrentFolder("/somewhere/else");
    EXPECT_EQ(DriveTable(p).currentIndex(), -1);
}

TEST(DriveTable, LongestMountPointWins) {
    TempTree t;
    t.dir("a/b/c");
    TestPlatform p({t.path("a"), t.path("a/b")});
    DriveTable table(p);
    EXPECT_EQ(table.indexOfDriveHolding(t.path("a/b/c")), 1);
    EXPECT_EQ(table.indexOfDriveHolding(t.path("a")), 0);
    EXPECT_EQ(table.indexOfDriveHolding(t.path("a/bb")), 0);  // not inside a/b
}

TEST(IsDriveReady, ReadyDrivesAndUnknownIds) {
    TempTree t;
    t.dir("d");
    TestPlatform p({t.path("d")});
    const DriveTable table(p);
    EXPECT_TRUE(IsDriveReady(p, table.drives(), t.path("d")));
    // A drive of the table that is gone since is not ready; no error.
    TestPlatform empty;
    EXPECT_FALSE(IsDriveReady(empty, table.drives(), t.path("d")));
    try {
        (void)IsDriveReady(empty, table.drives(), "/no/such/drive");
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Not a valid drive ID");
    }
}

TEST(DriveBoxText, LabelsAndNetworkNames) {
    Drive fixed;
    fixed.mountPoint = "/home";
    fixed.label = "MyDisk";
    EXPECT_EQ(driveBoxText(fixed, true), "/home [MYDISK]");
    EXPECT_EQ(driveBoxText(fixed, false), "/home [mydisk]");
    fixed.label.clear();  // no label: the mount point alone, no empty brackets
    EXPECT_EQ(driveBoxText(fixed, true), "/home");
    Drive usb;
    usb.mountPoint = "/media/Ann/Stick";
    usb.type = DriveType::Removable;
    EXPECT_EQ(driveBoxText(usb, true), "/media/Ann/Stick");  // a path keeps its case
    Drive share;
    share.mountPoint = "/mnt/share";
    share.type = DriveType::Remote;
    share.networkName = "//server/Share";
    EXPECT_EQ(driveBoxText(share, true), "/mnt/share //server/Share");
    share.networkName.clear();
    share.label = "x";
    EXPECT_EQ(driveBoxText(share, true), "/mnt/share [X]");
    share.label.clear();
    EXPECT_EQ(driveBoxText(share, true), "/mnt/share");
}

TEST(EntryKind, DotsFoldersAndFiles) {
    SearchRecord r;
    r.name = "..";
    r.attributes = attrDirectory;
    EXPECT_EQ(EntryKind(r), 1);
    r.name = "sub";
    EXPECT_EQ(EntryKind(r), 0);
    r.attributes = attrSystem;  // a link to a folder is no folder
    EXPECT_EQ(EntryKind(r), 2);
}

}  // namespace
}  // namespace rk
