#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <functional>

#include "Controls.h"
#include "Jobs.h"
#include "ScriptedDialogs.h"
#include "SlowPlatform.h"
#include "TempTree.h"
#include "TestServices.h"
#include "common/Services.h"
#include "folderhogs/TfrmDirHog.h"
#include "statistics/TfrmStatistics.h"
#include "ui/ResultGridView.h"

namespace rk {
namespace {

using test::scriptedDialogs;
using test::TempTree;

// A drive whose folders take a while to read, whose size can be set, and whose root or one
// folder can be made to fail and to work again.
class StatPlatform : public test::SlowPlatform {
public:
    using SlowPlatform::SlowPlatform;
    [[nodiscard]] std::optional<DriveSpace> driveSpace(const QByteArray& m) const override {
        if (notReady) return std::nullopt;
        return space ? space : SlowPlatform::driveSpace(m);
    }
    [[nodiscard]] OpenedFolder openFolder(const QByteArray& path) const override {
        if (rootError != 0 && path == root) return OpenedFolder{FolderHandle(), rootError};
        return SlowPlatform::openFolder(path);
    }
    int readFolder(const FolderHandle& folder, bool isDriveRoot,
                   std::vector<SearchRecord>& entries) const override {
        const int error = SlowPlatform::readFolder(folder, isDriveRoot, entries);
        return !badFolder.isEmpty() && lastReadPath == badFolder ? EIO : error;
    }
    QByteArray root;
    std::optional<DriveSpace> space;
    bool notReady = false;
    int rootError = 0;
    QByteArray badFolder;
};

// Ten folders of one file each under the drive's root.
class TfrmStatisticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 10; ++i)
            tree.file("d" + QByteArray::number(i) + "/f.txt", std::int64_t(100));
        installed.platform().setCurrentFolder(tree.root());
        installed.reloadDrives();
        drive.root = tree.root();
        drive.setCurrentFolder(tree.root());
        drive.setRoomFollowsLength(true);  // sparse files, counted as if they filled their length
        installed.usePlatform(drive);
        scriptedDialogs().clear();
    }
    void TearDown() override { window.reset(); }
    TfrmStatistics& open() {
        window = std::make_unique<TfrmStatistics>(installed.services());
        window->show();
        return *window;
    }
    QString boxText() const { return QString::fromLocal8Bit(tree.root()); }
    // Calls act once the walk has read `reads` folders.
    void during(int reads, std::function<void()> act) {
        auto* timer = new QTimer(window.get());
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, [this, timer, reads, act] {
            if (drive.reads < reads) return;
            timer->stop();
            act();
        });
        drive.reads = 0;
        timer->start();
    }
    std::int64_t files() const { return window->scanner().tallies().fileCount; }

    TempTree tree;
    test::TestServices installed{{tree.root()}};
    StatPlatform drive{{tree.root()}};
    std::unique_ptr<TfrmStatistics> window;
};

TEST_F(TfrmStatisticsTest, LifeOfTheWindow) {
    TfrmStatistics& w = open();
    EXPECT_EQ(w.windowTitle(), "File Statistics Not Yet Collected");
    test::control<QTabWidget>(w, "PageControl1")
        ->setCurrentWidget(test::control<QWidget>(w, "TabSheet2"));
    EXPECT_TRUE(test::control<QLabel>(w, "pnlNotYet")->isVisible());
    test::control<QTabWidget>(w, "PageControl1")
        ->setCurrentWidget(test::control<QWidget>(w, "TabSheet3"));
    EXPECT_FALSE(test::control<QLabel>(w, "pnlNotYet")->isVisible());

    // Not ready: the message alone, and the notice.
    drive.notReady = true;
    w.btOKClick();
    test::finishScans();
    EXPECT_EQ(scriptedDialogs().texts(), QStringList{"There is no disk in drive " + boxText()});
    EXPECT_TRUE(test::control<QLabel>(w, "pnlNotYet")->isVisible());
    EXPECT_FALSE(w.collected());

    drive.notReady = false;
    w.btOKClick();
    test::finishScans();
    EXPECT_EQ(w.windowTitle(), "Statistics for drive " + boxText() + " completed.");
    EXPECT_EQ(test::control<QStatusBar>(w, "StatusBar1")->currentMessage(),
              "Finished - 10 files processed");
    EXPECT_FALSE(test::control<QLabel>(w, "pnlNotYet")->isVisible());
    EXPECT_EQ(w.sizesPage.countLabel[0]->text(), "10");
    EXPECT_EQ(w.gridTypes->results().cell(2, 0), "10");

    // Hidden by Cancel, shown again: the figures are kept.
    w.btCancelClick();
    EXPECT_FALSE(w.isVisible());
    tree.file("new.txt", std::int64_t(1));
    w.show();
    EXPECT_EQ(test::control<QStatusBar>(w, "StatusBar1")->currentMessage(),
              "Finished - 10 files processed");
    EXPECT_EQ(w.sizesPage.countLabel[0]->text(), "10");
    EXPECT_TRUE(
        test::control<QLabel>(w, "lblCluster")->text().startsWith("Since drive " + tree.root()));

    // A root that cannot be opened changes no figure and reports nothing completed.
    drive.rootError = EACCES;
    scriptedDialogs().clear();
    w.setWindowTitle("before");
    w.btOKClick();
    test::finishScans();
    EXPECT_EQ(scriptedDialogs().texts().last(), "Can't open drive " + boxText());
    EXPECT_EQ(w.windowTitle(), "before");
    EXPECT_EQ(test::control<QStatusBar>(w, "StatusBar1")->currentMessage(),
              "Finished - 10 files processed");
    EXPECT_EQ(files(), 10);

    // An I/O error: back to idle, the run marked incomplete, the error told.
    drive.rootError = 0;
    drive.badFolder = tree.path("d3");
    scriptedDialogs().clear();
    w.btOKClick();
    test::finishScans();
    EXPECT_FALSE(w.scanning());
    EXPECT_TRUE(test::control<QPushButton>(w, "btOK")->isEnabled());
    EXPECT_TRUE(test::control<QComboBox>(w, "cbDrive")->isEnabled());
    EXPECT_FALSE(test::control<QProgressBar>(w, "ProgressBar1")->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.windowTitle(),
              "File Statistics for drive " + boxText() + " incomplete ... aborted.");
    EXPECT_TRUE(test::control<QStatusBar>(w, "StatusBar1")
                    ->currentMessage()
                    .endsWith(" INCOMPLETE ... ABORTED"));
    EXPECT_EQ(scriptedDialogs().texts().last(), "I/O error 5");
}

TEST_F(TfrmStatisticsTest, ControlKeysTurnThePagesWhereverTheFocusIs) {
    TfrmStatistics& w = open();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    test::control<QComboBox>(w, "cbDrive")->setFocus();
    const int last = test::control<QTabWidget>(w, "PageControl1")->count() - 1;
    test::control<QTabWidget>(w, "PageControl1")->setCurrentIndex(last);
    const std::pair<QKeyCombination, int> steps[] = {
        {Qt::CTRL | Qt::Key_Tab, 0},  // round
        {Qt::CTRL | Qt::Key_PageDown, 1},
        {Qt::CTRL | Qt::Key_PageUp, 0},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, last}};
    for (const auto& [keys, page] : steps) {
        QTest::keyClick(test::control<QComboBox>(w, "cbDrive"), keys.key(),
                        keys.keyboardModifiers());
        EXPECT_EQ(test::control<QTabWidget>(w, "PageControl1")->currentIndex(), page);
    }
}

TEST_F(TfrmStatisticsTest, ACaptionOfTheLastRunDoesNotStayDuringTheNext) {
    TfrmStatistics& w = open();
    w.btOKClick();
    test::finishScans();
    const QString completed = w.windowTitle();
    QString duringRun;
    during(4, [&] { duringRun = w.windowTitle(); });
    w.btOKClick();
    test::finishScans();
    EXPECT_FALSE(duringRun.isEmpty());
    EXPECT_NE(duringRun, completed);
    EXPECT_FALSE(duringRun.endsWith("completed."));
    EXPECT_EQ(w.windowTitle(), completed);  // and once the run is done, it says so again
}

TEST_F(TfrmStatisticsTest, CancelEscAndCloseBoxStopARunAndKeepTheWindow) {
    const std::vector<std::pair<const char*, std::function<void(TfrmStatistics&)>>> ways{
        {"Escape", [](TfrmStatistics& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        {"Cancel",
         [](TfrmStatistics& w) { emit test::control<QPushButton>(w, "btCancel")->clicked(); }},
        {"close box", [](TfrmStatistics& w) { w.close(); }}};
    TfrmStatistics& w = open();
    for (const auto& [way, stop] : ways) {
        bool shownAfter = false;
        during(4, [&, &stop = stop] {
            ASSERT_TRUE(w.scanning());
            stop(w);
            shownAfter = w.isVisible();
        });
        w.btOKClick();
        test::finishScans();
        EXPECT_TRUE(shownAfter) << way;
        EXPECT_TRUE(w.isVisible()) << way;
        EXPECT_GT(files(), 0) << way;
        EXPECT_LT(files(), 10) << way;
        EXPECT_EQ(w.sizesPage.countLabel[0]->text(), QString::number(files())) << way;
        EXPECT_TRUE(test::control<QStatusBar>(w, "StatusBar1")
                        ->currentMessage()
                        .endsWith(" INCOMPLETE ... ABORTED"))
            << way;
        EXPECT_EQ(w.windowTitle(),
                  "File Statistics for drive " + boxText() + " incomplete ... aborted.");
    }
    // The next run starts clean.
    w.btOKClick();
    test::finishScans();
    EXPECT_EQ(files(), 10);
    EXPECT_EQ(w.windowTitle(), "Statistics for drive " + boxText() + " completed.");
}

TEST_F(TfrmStatisticsTest, ClosingTheMainWindowStopsARunAndClosesAfterIt) {
    QWidget owner;
    TfrmStatistics& w = open();
    w.followOwner(&owner);
    owner.show();
    w.show();
    during(4, [&] { owner.close(); });
    w.btOKClick();
    test::finishScans();
    EXPECT_LT(files(), 10);
    EXPECT_FALSE(w.isVisible());
    w.setParent(nullptr);  // the fixture's window goes first
}

TEST_F(TfrmStatisticsTest, DiskSpacePage) {
    drive.space = DriveSpace{3000, 1000, 512};
    TfrmStatistics& w = open();
    EXPECT_EQ(test::control<QLabel>(w, "lblTotal")->text(), "3,000");
    EXPECT_EQ(test::control<QLabel>(w, "lblUsed")->text(), "2,000");
    EXPECT_EQ(test::control<QLabel>(w, "lblPct")->text(), "bytes (33 %) ");
    EXPECT_EQ(test::control<QLabel>(w, "lblPct2")->text(), "bytes (67 %) ");
    EXPECT_EQ(test::control<StatGauge>(w, "Gauge1")->progress(), 67);
    EXPECT_EQ(test::control<QLabel>(w, "lblFreeC")->text(),
              "Free Space on Drive " + tree.root() + ": ");
    EXPECT_TRUE(test::control<QLabel>(w, "lblReserved")->isHidden());
    // Space kept for the administrator: a line of its own, neither used nor free.
    drive.space = DriveSpace{3000, 900, 512, 300};
    w.cbDriveClick();
    EXPECT_EQ(test::control<QLabel>(w, "lblUsed")->text(), "1,800");
    EXPECT_EQ(test::control<QLabel>(w, "lblPct2")->text(), "bytes (67 %) ");
    EXPECT_FALSE(test::control<QLabel>(w, "lblReserved")->isHidden());
    EXPECT_TRUE(test::control<QLabel>(w, "lblReserved")->text().contains("300"));
    const auto colour = [&] {
        return test::control<QLabel>(w, "lblFree")->palette().color(QPalette::WindowText);
    };
    const std::vector<std::tuple<DriveSpace, int, QColor>> cases{
        {{100, 5, 1}, 95, Qt::red}, {{100, 6, 1}, 94, Qt::black}, {{0, 0, 1}, 0, Qt::black}};
    for (const auto& [space, bar, expected] : cases) {
        drive.space = space;
        w.cbDriveClick();
        EXPECT_EQ(test::control<StatGauge>(w, "Gauge1")->progress(), bar);
        EXPECT_EQ(colour(), expected) << space.free;
        EXPECT_EQ(test::control<QLabel>(w, "lblPct")->palette().color(QPalette::WindowText),
                  expected);
    }
    EXPECT_EQ(test::control<QLabel>(w, "lblPct")->text(), "bytes (0 %) ");
    EXPECT_EQ(test::control<QLabel>(w, "lblPct2")->text(), "bytes (0 %) ");
    // Another page keeps its figures when the drive changes.
    drive.space = DriveSpace{3000, 1000, 512};
    test::control<QTabWidget>(w, "PageControl1")
        ->setCurrentWidget(test::control<QWidget>(w, "TabSheet1"));
    w.cbDriveClick();
    EXPECT_EQ(test::control<QLabel>(w, "lblTotal")->text(), "0");
}

TEST_F(TfrmStatisticsTest, TypeGridRanksAndSortsByTheTallies) {
    const std::int64_t gb = std::int64_t(1) << 30;
    tree.file("big.NINE", 9 * gb);
    tree.file("big.TWLV", 12 * gb);
    tree.file("a.TIE", std::int64_t(7));
    tree.file("b.TIE2", std::int64_t(7));
    TfrmStatistics& w = open();
    w.btOKClick();
    test::finishScans();
    const ResultGrid& g = w.gridTypes->results();
    ASSERT_EQ(g.rowCount(), 5);
    const auto rowOf = [&](const QString& ext) {
        for (int r = 0; r < g.rowCount(); ++r)
            if (g.cell(0, r) == ext) return r;
        return -1;
    };
    EXPECT_EQ(g.cell(5, rowOf(".TWLV")), "1");
    EXPECT_EQ(g.cell(5, rowOf(".NINE")), "2");
    EXPECT_EQ(g.cell(5, rowOf(".TXT")), "3");
    // Equal sums each get a rank of their own.
    EXPECT_NE(g.cell(5, rowOf(".TIE")), g.cell(5, rowOf(".TIE2")));
    EXPECT_EQ(g.cell(3, rowOf(".TXT")), "1");
    // A sum of gigabytes shows whole in its column.
    EXPECT_LT(w.gridTypes->fontMetrics().horizontalAdvance(g.cell(4, rowOf(".TWLV"))),
              w.gridTypes->columnWidth(4) - 8);

    w.SortbyExtensionClick(test::control<QAction>(w, "SortbySize"));
    EXPECT_EQ(g.cell(0, 0), ".TWLV");
    EXPECT_EQ(g.cell(0, 1), ".NINE");
    EXPECT_EQ(g.cell(0, 2), ".TXT");
    EXPECT_TRUE(test::control<QAction>(w, "SortbySize")->isChecked());
    EXPECT_FALSE(test::control<QAction>(w, "SortbyExtension")->isChecked());
    w.SortbyExtensionClick(test::control<QAction>(w, "SortbyNumFiles"));
    EXPECT_EQ(g.cell(0, 0), ".TXT");
    w.SortbyExtensionClick(test::control<QAction>(w, "SortbyExtension"));
    EXPECT_EQ(g.cell(0, 0), ".NINE");
    EXPECT_EQ(g.cell(0, 4), ".TXT");

    // One data row: nothing sorts and the mark stays.
    tree.file("d0/f.txt", std::int64_t(0));
    for (const char* f : {"big.NINE", "big.TWLV", "a.TIE", "b.TIE2"})
        QFile::remove(QString::fromLocal8Bit(tree.path(f)));
    w.btOKClick();
    test::finishScans();
    ASSERT_EQ(g.rowCount(), 1);
    test::control<QAction>(w, "SortbySize")->setChecked(true);  // as a click on the item does
    w.SortbyExtensionClick(test::control<QAction>(w, "SortbySize"));
    EXPECT_TRUE(test::control<QAction>(w, "SortbyExtension")->isChecked());
    EXPECT_FALSE(test::control<QAction>(w, "SortbySize")->isChecked());
}

TEST_F(TfrmStatisticsTest, PrintsThePageItShowsOnOnePage) {
    TfrmStatistics& w = open();
    QTemporaryDir dir;
    const QString pdf = dir.filePath("page.pdf");
    scriptedDialogs().printTo(QString());
    w.btPrintClick();
    EXPECT_FALSE(QFile::exists(pdf));
    scriptedDialogs().printTo(pdf);
    w.btPrintClick();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 1);
    EXPECT_TRUE(bytes.contains("/Subtype /Image"));
    const int width = int(w.width() * w.devicePixelRatioF());
    EXPECT_TRUE(bytes.contains("/Width " + QByteArray::number(width))) << width;
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());
}

// Near half the text straddles the edge of the bar: each side of the edge shows its part of
// the text, in a colour other than the one under it.
TEST(StatGaugeTest, TextShowsOnBothSidesOfTheBar) {
    StatGauge gauge(nullptr, QStringLiteral("g"), Qt::blue, Qt::white, true);
    gauge.resize(120, 20);
    for (int percent : {45, 50, 55}) {
        gauge.setProgress(percent);
        const QImage image = gauge.grab().toImage();
        const int edge = 119 * percent / 100;
        const QRect text = gauge.fontMetrics().boundingRect(gauge.text());
        const auto inked = [&](int from, int to, QColor under) {
            for (int x = from; x < to; ++x)
                for (int y = 2; y < 18; ++y)
                    if (image.pixelColor(x, y) != under) return true;
            return false;
        };
        EXPECT_TRUE(inked(60 - text.width() / 2, edge - 1, Qt::blue)) << percent;
        EXPECT_TRUE(inked(edge + 1, 60 + text.width() / 2, Qt::white)) << percent;
    }
}

TEST_F(TfrmStatisticsTest, ARunGoesOnWhileAToolWindowIsModalAndScansBesideIt) {
    TfrmStatistics& w = open();
    TfrmDirHog alone(installed.services());
    alone.show();
    test::control<QPushButton>(alone, "btAll")->click();
    test::finishScans();
    const QStringList aloneLines = alone.clipboardLines();
    alone.close();
    scriptedDialogs().clear();

    w.btOKClick();
    ASSERT_TRUE(w.scanning());
    TfrmDirHog hogs(installed.services());
    bool both = false;
    int turns = 0;
    // In the modal window's own loop: its scan starts, and it closes once both have ended
    // (or, should one stall, after many turns of the loop).
    QTimer::singleShot(0, &hogs, [&] { test::control<QPushButton>(hogs, "btAll")->click(); });
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        both = both || (w.scanning() && hogs.isScanning());
        if ((!w.scanning() && !hogs.isScanning() && turns > 0) || ++turns > 200000) hogs.reject();
        ++turns;
    });
    watch.start();
    hogs.exec();
    EXPECT_TRUE(both);
    EXPECT_LT(turns, 200000);
    EXPECT_TRUE(w.collected());
    EXPECT_EQ(files(), 10);
    EXPECT_EQ(hogs.clipboardLines(), aloneLines);
}

}  // namespace
}  // namespace rk
