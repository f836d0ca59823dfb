#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeView>
#include <QTreeWidget>

#include "Jobs.h"
#include "Modals.h"
#include "RoomTree.h"
#include "ScopedMount.h"
#include "ScriptedDialogs.h"
#include "SlowPlatform.h"
#include "SpaceMapTesting.h"
#include "TempTree.h"
#include "TestServices.h"
#include "spacemap/ScanFile.h"
#include "spacemap/SpaceMapView.h"
#include "spacemap/SpaceTreeModel.h"
#include "spacemap/TfrmSpaceMap.h"
#include "ui/TfrmReallyDelete.h"

namespace rk {
namespace {

using test::TempTree;

class TfrmSpaceMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeWhole(tree, "photos/a.jpg", 300 * 1024);
        test::writeWhole(tree, "photos/2020/b.jpg", 200 * 1024);
        test::writeWhole(tree, "music/c.ogg", 100 * 1024);
        test::writeWhole(tree, "notes.txt", 4096);
        installed.platform().setCurrentFolder(tree.root());
        installed.reloadDrives();
        test::scriptedDialogs().clear();
    }
    TfrmSpaceMap& scanned() {
        window = std::make_unique<TfrmSpaceMap>(installed.services());
        window->resize(800, 600);
        window->show();
        window->findChild<QPushButton*>(QStringLiteral("btScan"))->click();
        test::finishScans();
        return *window;
    }
    SpaceTree::Index at(const QByteArray& relative) const {
        return window->tree().find(tree.path(relative));
    }

    TempTree tree;
    test::TestServices installed{{tree.root()}};
    std::unique_ptr<TfrmSpaceMap> window;
};

TEST_F(TfrmSpaceMapTest, ScanSelectZoomAndDeleteAFolderAndTheTotalsFall) {
    TfrmSpaceMap& w = scanned();
    QAbstractItemModelTester tester(w.treeView()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    const SpaceTree& t = w.tree();
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t.files(t.root()), 4);
    EXPECT_EQ(w.mapView()->zoomed(), t.root());

    // A click on the map selects the entry in the tree.
    w.mapView()->grab();  // lays the map out
    const SpaceTree::Index photos = at("photos");
    const QRectF photosRect = w.mapView()->rectOf(photos);
    ASSERT_FALSE(photosRect.isEmpty());
    const SpaceTree::Index a = at("photos/a.jpg");
    const QPoint inA = w.mapView()->rectOf(a).center().toPoint();
    QTest::mouseClick(w.mapView(), Qt::LeftButton, {}, inA);
    EXPECT_EQ(w.selected(), a);
    // Hovering tells the path and the room.
    QTest::mouseMove(w.mapView(), inA);
    EXPECT_EQ(QToolTip::text(),
              QFile::decodeName(tree.path("photos/a.jpg")) + '\n' + roomText(t.node(a).room));
    // The photos folder is largest, so the root's first row.
    const auto* model = qobject_cast<const SpaceTreeModel*>(w.treeView()->model());
    EXPECT_EQ(model->nodeOf(model->index(0, 0, model->index(0, 0))), photos);

    // A double click zooms into the folder; Up goes back out.
    QTest::mouseDClick(w.mapView(), Qt::LeftButton, {}, inA);
    EXPECT_EQ(w.mapView()->zoomed(), photos);
    w.mapView()->grab();
    EXPECT_GT(w.mapView()->rectOf(a).width(), photosRect.width() / 2);
    w.findChild<QPushButton*>(QStringLiteral("btUp"))->click();
    EXPECT_EQ(w.mapView()->zoomed(), t.root());

    // Deleting the folder: it goes from the disk, the tree and the map; the root totals fall.
    const std::int64_t room = t.node(t.root()).room;
    const std::int64_t photosRoom = t.node(photos).room;
    w.select(photos);
    ASSERT_EQ(w.selected(), photos);
    EXPECT_TRUE(test::asksToDeleteFolder(
        [&] { w.findChild<QPushButton*>(QStringLiteral("btDelete"))->click(); },
        tree.path("photos"), [](TfrmDelDirectory& d) { d.btDeleteClick(); }));
    EXPECT_FALSE(QFileInfo::exists(QFile::decodeName(tree.path("photos"))));
    EXPECT_EQ(t.node(t.root()).room, room - photosRoom);
    EXPECT_EQ(t.files(t.root()), 2);
    EXPECT_EQ(t.folders(t.root()), 1);
    EXPECT_EQ(w.selected(), t.root());
    EXPECT_EQ(model->rowCount(model->index(0, 0)), 2);
    w.mapView()->grab();
    EXPECT_TRUE(w.mapView()->rectOf(photos).isEmpty());
}

TEST_F(TfrmSpaceMapTest, DeletingAFileTakesItsRoomOffEveryFolderAbove) {
    TfrmSpaceMap& w = scanned();
    const SpaceTree& t = w.tree();
    const SpaceTree::Index b = at("photos/2020/b.jpg");
    const std::int64_t room = t.node(t.root()).room;
    const std::int64_t photos = t.node(at("photos")).room;
    const std::int64_t bRoom = t.node(b).room;
    w.select(b);
    auto* del = w.findChild<QPushButton*>(QStringLiteral("btDelete"));
    ASSERT_TRUE(del->isEnabled());
    // Declined: nothing changes.
    EXPECT_TRUE(test::opensModal([&] { del->click(); }));
    EXPECT_EQ(t.node(t.root()).room, room);
    test::scriptedDialogs().answer(ButtonYes);  // "Really delete?"
    EXPECT_TRUE(test::opensModal([&] { del->click(); },
                                 [](QDialog& d) {
                                     ASSERT_NE(qobject_cast<TfrmReallyDelete*>(&d), nullptr);
                                     qobject_cast<TfrmReallyDelete*>(&d)->btDeleteAllClick();
                                 }));
    EXPECT_FALSE(QFileInfo::exists(QFile::decodeName(tree.path("photos/2020/b.jpg"))));
    EXPECT_EQ(t.node(t.root()).room, room - bRoom);
    EXPECT_EQ(t.node(at("photos")).room, photos - bRoom);
    EXPECT_EQ(t.files(at("photos")), 1);
    EXPECT_EQ(w.selected(), at("photos/2020"));
}

// Rescan reads the selected folder again and nothing else; a map zoomed inside it shows the
// folder itself, with what is there now.
TEST_F(TfrmSpaceMapTest, RescanRefreshesOneFolderAndTheTotalsAbove) {
    TfrmSpaceMap& w = scanned();
    QAbstractItemModelTester tester(w.treeView()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    const SpaceTree& t = w.tree();
    const SpaceTree::Index photos = at("photos");
    w.select(photos);
    w.treeView()->expand(w.treeView()->currentIndex());
    w.select(at("photos/2020/b.jpg"));  // a file rescans its folder
    w.mapView()->zoomTo(at("photos/2020"));
    const std::int64_t room = t.node(t.root()).room;
    const std::int64_t musicRoom = t.node(at("music")).room;
    test::writeWhole(tree, "photos/2020/new.jpg", 64 * 1024);
    ASSERT_TRUE(QDir(QFile::decodeName(tree.path("music"))).removeRecursively());

    w.select(photos);
    auto* rescan = w.findChild<QPushButton*>(QStringLiteral("btRescan"));
    ASSERT_TRUE(rescan->isEnabled());
    rescan->click();
    test::finishScans();
    const SpaceTree::Index added = at("photos/2020/new.jpg");
    ASSERT_NE(added, SpaceTree::none);
    EXPECT_EQ(t.node(t.root()).room, room + t.node(added).room);
    EXPECT_EQ(t.files(t.root()), 5);
    EXPECT_EQ(t.node(at("music")).room, musicRoom);  // not read again
    EXPECT_EQ(w.mapView()->zoomed(), photos);
    EXPECT_EQ(w.selected(), photos);
    w.mapView()->grab();
    EXPECT_FALSE(w.mapView()->rectOf(added).isEmpty());
    EXPECT_TRUE(rescan->isEnabled());

    // A folder that has gone meanwhile is said so; the tree stays as it was.
    w.select(at("music"));
    rescan->click();
    test::finishScans();
    EXPECT_EQ(test::scriptedDialogs().asked.size(), 1U);
    EXPECT_EQ(t.node(at("music")).room, musicRoom);
}

// What was mounted on a folder since the scan is another drive's room, not this one's.
TEST_F(TfrmSpaceMapTest, ARescanDoesNotReadAFileSystemMountedSinceTheScan) {
    TfrmSpaceMap& w = scanned();
    const QByteArray before = test::treeReport(w.tree());
    TempTree outside;
    test::writeWhole(outside, "big.bin", 300000);
    const test::ScopedMount bind = test::ScopedMount::bind(outside.root(), tree.path("music"));
    if (!bind.ok()) GTEST_SKIP() << bind.reason();
    w.select(at("music"));
    w.btRescanClick();
    test::finishScans();
    EXPECT_EQ(test::treeReport(w.tree()), before);
    EXPECT_EQ(test::scriptedDialogs().asked.size(), 1U);
}

// A rescan stopped part way would show less than is there: Abort keeps what the tree knew and
// says so; Escape closes the window once the rescan has stopped.
using TfrmSpaceMapSlowTest = test::WithSlowPlatform<TfrmSpaceMapTest>;
TEST_F(TfrmSpaceMapSlowTest, AStoppedRescanLeavesTheTreeAsItWas) {
    TfrmSpaceMap& w = scanned();
    const QByteArray before = test::treeReport(w.tree());
    test::writeWhole(tree, "photos/2020/new.jpg", 64 * 1024);
    const auto rescanStoppedBy = [&](const std::function<void()>& stop) {
        w.select(at("photos"));
        slow.reads = 0;
        slow.onRead = [&](int read) {
            if (read == 1) stop();
        };
        w.btRescanClick();
        test::finishScans();
        slow.onRead = nullptr;
        EXPECT_EQ(test::treeReport(w.tree()), before);
        EXPECT_LE(slow.reads, 2);
    };
    rescanStoppedBy([&] { w.btAbortClick(); });
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.statusLine()->text().contains(QStringLiteral("Rescan aborted")));
    rescanStoppedBy([&] { QTest::keyClick(&w, Qt::Key_Escape); });
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(test::scriptedDialogs().asked.empty());
}

// Entries too small to see are drawn as part of their folder, not as slivers.
TEST_F(TfrmSpaceMapTest, WhatWouldBeThinnerThanTwoPixelsIsPartOfItsFolder) {
    for (int i = 0; i < 400; ++i)
        test::writeWhole(tree, "many/f" + QByteArray::number(i), 100);
    // Beside a file that takes 200 MB, a block of 4 K is a few pixels at most.
    installed.platform().setRoom(tree.path("notes.txt"), std::int64_t(200) << 20);
    TfrmSpaceMap& w = scanned();
    w.mapView()->grab();
    const SpaceTree& t = w.tree();
    const SpaceTree::Index many = at("many");
    const QRectF manyRect = w.mapView()->rectOf(many);
    ASSERT_FALSE(manyRect.isEmpty());
    int hidden = 0;
    for (const SpaceTree::Index c : t.children(many)) {
        const QRectF r = w.mapView()->rectOf(c);
        if (r.isEmpty())
            ++hidden;
        else
            EXPECT_TRUE(r.width() >= 2 && r.height() >= 2) << r.width() << "x" << r.height();
    }
    EXPECT_GT(hidden, 0);
    // Where nothing of its own is drawn, the folder is what the pointer is over.
    const SpaceTree::Index under = w.mapView()->nodeAt(manyRect.center().toPoint());
    EXPECT_TRUE(under == many || t.node(under).parent == many);
}

TEST_F(TfrmSpaceMapTest, AnOpenedScanIsReadOnly) {
    TfrmSpaceMap& w = scanned();
    const QByteArray file = tree.path("scan.json");
    {
        QFile out(QFile::decodeName(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(exportScan(w.tree(), QStringLiteral("1"), 0));
    }
    test::scriptedDialogs().fileAnswer = file;
    w.findChild<QPushButton*>(QStringLiteral("btOpen"))->click();
    EXPECT_TRUE(w.isReadOnly());
    w.select(at("photos"));
    auto* del = w.findChild<QPushButton*>(QStringLiteral("btDelete"));
    EXPECT_FALSE(del->isEnabled());
    EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("btRescan"))->isEnabled());
    w.btDeleteClick();
    EXPECT_TRUE(QFileInfo::exists(QFile::decodeName(tree.path("photos"))));

    EXPECT_FALSE(w.openScan(tree.path("notes.txt")));
    EXPECT_EQ(test::scriptedDialogs().asked.size(), 1U);
}

// An earlier scan beside today's: what grew, largest first, what is new and what vanished.
TEST_F(TfrmSpaceMapTest, ComparingWithAnEarlierScanListsWhatGrew) {
    TfrmSpaceMap& before = scanned();
    QTemporaryDir saved;
    const QByteArray file = QFile::encodeName(saved.filePath(QStringLiteral("before.json")));
    {
        QFile out(QFile::decodeName(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(exportScan(before.tree(), QStringLiteral("1"), 0));
    }
    test::writeWhole(tree, "photos/2020/c.jpg", 500 * 1024);
    test::writeWhole(tree, "videos/d.mp4", 64 * 1024);
    ASSERT_TRUE(QDir(QFile::decodeName(tree.path("music"))).removeRecursively());
    TfrmSpaceMap& w = scanned();
    test::scriptedDialogs().fileAnswer = file;
    QStringList lines;
    EXPECT_TRUE(test::opensModal(
        [&] { w.findChild<QPushButton*>(QStringLiteral("btCompare"))->click(); },
        [&](QDialog& d) {
            auto* list = d.findChild<QTreeWidget*>();
            ASSERT_TRUE(list);
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* item = list->topLevelItem(i);
                lines.append(item->text(1) + ' ' + item->text(2) + ' ' +
                             item->data(3, Qt::UserRole).toByteArray().mid(tree.root().size()));
            }
            d.reject();
        }));
    // The root gained less than the photos: the music went.
    EXPECT_EQ(lines, QStringList({"+1  /photos", "+1  /photos/2020", "+1  ", "+1 new /videos",
                                  "\u22121 vanished /music"}));
    // A file that is no scan is refused with a reason, and nothing opens.
    test::scriptedDialogs().fileAnswer = tree.path("notes.txt");
    EXPECT_FALSE(test::opensModal([&] { w.btCompareClick(); }));
    EXPECT_EQ(test::scriptedDialogs().asked.size(), 1U);
}

}  // namespace
}  // namespace rk
