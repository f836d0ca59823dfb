#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include "InstalledPlatform.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "common/DriveWalk.h"
#include "common/Drives.h"
#include "ui/DriveCheckPanel.h"

namespace rk {
namespace {

using test::TempTree;
using test::TestPlatform;

TEST(DriveCheckPanel, OffersAtMost25DrivesColumnByColumnWithTheCurrentOneChecked) {
    TempTree t;
    std::vector<QByteArray> folders;
    for (int i = 0; i < 26; ++i)
        folders.push_back(t.dir(QByteArray("d") + char('a' + i)));
    TestPlatform p(folders);
    p.setCurrentFolder(t.path("dc"));
    DriveTable table(p);
    DriveCheckPanel panel;
    panel.FillDriveBoxes(table);
    panel.show();
    for (int n = 1; n <= 25; ++n) {
        EXPECT_TRUE(panel.box(n)->isVisible()) << n;
        EXPECT_EQ(panel.box(n)->text(), QString::fromLocal8Bit(folders[n - 1])) << n;
        EXPECT_EQ(panel.box(n)->isChecked(), n == 3) << n;
    }
    // The 26th drive is not offered.
    for (QCheckBox* cb : panel.findChildren<QCheckBox*>())
        EXPECT_NE(cb->text(), QString::fromLocal8Bit(folders[25]));
    // cb1 to cb5 form the first column, cb6 starts the second.
    EXPECT_EQ(panel.box(1)->x(), panel.box(5)->x());
    EXPECT_LT(panel.box(1)->y(), panel.box(2)->y());
    EXPECT_GT(panel.box(6)->x(), panel.box(1)->x());
    EXPECT_EQ(panel.box(6)->y(), panel.box(1)->y());
}

TEST(DriveCheckPanel, ClicksReportWhetherAnyDriveIsChecked) {
    TempTree t;
    TestPlatform p({t.dir("x"), t.dir("y")});
    p.setCurrentFolder(t.path("x"));
    DriveTable table(p);
    DriveCheckPanel panel;
    panel.FillDriveBoxes(table);
    panel.show();
    QSignalSpy spy(&panel, &DriveCheckPanel::cb1Click);
    QTest::mouseClick(panel.box(1), Qt::LeftButton, {}, QPoint(4, panel.box(1)->height() / 2));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_FALSE(spy.takeFirst().at(0).toBool());
    EXPECT_TRUE(panel.checkedDrives().empty());
    QTest::mouseClick(panel.box(2), Qt::LeftButton, {}, QPoint(4, panel.box(2)->height() / 2));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(spy.takeFirst().at(0).toBool());
    ASSERT_EQ(panel.checkedDrives().size(), 1u);
    EXPECT_EQ(panel.checkedDrives()[0].mountPoint, t.path("y"));
    // No current drive: nothing checked.
    p.setCurrentFolder("/elsewhere");
    DriveTable elsewhere(p);
    panel.FillDriveBoxes(elsewhere);
    EXPECT_FALSE(panel.anyChecked());
}

TEST(DriveCheckPanel, EachFillOffersTheDrivesPresentNowWithTheStartDriveChecked) {
    TempTree t;
    t.file("stick/sub/f.txt", std::int64_t(10));
    test::InstalledPlatform installed({t.dir("disk")});
    installed.platform().setCurrentFolder(t.path("disk"));
    installed.reloadDrives();
    DriveCheckPanel first;
    first.FillDriveBoxes(installed.table());
    EXPECT_TRUE(first.box(2)->isHidden());
    // A stick mounted after start-up: the next window offers it.
    installed.platform().addDriveFolder(t.path("stick"));
    DriveCheckPanel second;
    second.FillDriveBoxes(installed.table());
    ASSERT_FALSE(second.box(2)->isHidden());
    EXPECT_EQ(second.box(2)->text(), QString::fromLocal8Bit(t.path("stick")));
    // Walking the stick (and the platform's folder moving there) leaves the drive of the
    // start folder checked: the next Scan walks what the user started on, not the last walk.
    const bool abort = false;
    int steps = 0;
    const FolderStep count = [&](const FolderVisit&) { ++steps; };
    StepSink sink(count);
    const Drive stick = installed.table().drives()[1];
    SearchOutcome walked;
    searchDrives(installed.platform(), {stick}, WalkSettings{true}, sink, abort, nullptr, walked);
    EXPECT_EQ(steps, 2);
    installed.platform().setCurrentFolder(t.path("stick/sub"));
    for (int run = 0; run < 2; ++run) {
        DriveCheckPanel third;
        third.FillDriveBoxes(installed.table());
        EXPECT_TRUE(third.box(1)->isChecked()) << run;
        EXPECT_FALSE(third.box(2)->isChecked()) << run;
    }
    // Gone again: no longer offered, and the start drive is still the one checked.
    ASSERT_TRUE(QDir(QString::fromLocal8Bit(t.path("stick"))).removeRecursively());
    DriveCheckPanel fourth;
    fourth.FillDriveBoxes(installed.table());
    EXPECT_TRUE(fourth.box(2)->isHidden());
    EXPECT_TRUE(fourth.box(1)->isChecked());
}

}  // namespace
}  // namespace rk
