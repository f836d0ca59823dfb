#include <gtest/gtest.h>

#include <sys/statvfs.h>
#include <unistd.h>
#include <QDateTime>
#include <QProcess>
#include <QTimeZone>
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "RoomTree.h"
#include "ScopedMount.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "common/TextHelpers.h"
#include "statistics/StatisticsPages.h"
#include "statistics/StatisticsScan.h"

namespace rk {
namespace {

using test::TempTree;
using test::TestPlatform;

TEST(StatisticsClasses, SizeAndAgeBoundsOnBothSides) {
    const std::vector<std::pair<std::int64_t, int>> sizes{
        {0, 1},          {16'384, 1},     {16'385, 2},
        {32'768, 2},     {32'769, 3},     {131'072, 3},
        {131'073, 4},    {1'048'576, 4},  {1'048'577, 5},
        {2'097'152, 5},  {2'097'153, 6},  {4'194'304, 6},
        {4'194'305, 7},  {8'388'608, 7},  {8'388'609, 8},
        {16'777'216, 8}, {16'777'217, 9}, {std::int64_t(3) << 30, 9}};
    for (const auto& [size, expected] : sizes)
        EXPECT_EQ(sizeClassOf(size), expected) << size;
    const std::vector<std::pair<std::int64_t, int>> ages{
        {-1, 0}, {0, 1},   {7, 1},   {8, 2},   {30, 2},  {31, 3},  {60, 3},  {61, 4},   {90, 4},
        {91, 5}, {120, 5}, {121, 6}, {365, 6}, {366, 7}, {730, 7}, {731, 8}, {1095, 8}, {1096, 9}};
    for (const auto& [days, expected] : ages)
        EXPECT_EQ(ageToIndex(days), expected) << days;
    // The captions say the bounds the rows keep.
    EXPECT_EQ(ageRowCaptions().mid(4), QStringList({"61-90 days", "91-120 days", "121-365 days",
                                                    "1 - 2 years", "2 - 3 years", "Over 3 years"}));
}

std::int64_t localSeconds(int y, int m, int d, int h, int mi) {
    return QDateTime(QDate(y, m, d), QTime(h, mi)).toSecsSinceEpoch();
}

TEST(StatisticsClasses, AgesAreCalendarDaysOfTheLocalDate) {
    LocalDays days;
    const std::int64_t newYear = epochDay(QDate(2027, 1, 1));
    // A minute before midnight on 31 December is a day old on 1 January, a minute after it.
    EXPECT_EQ(fileAgeDays(days.dayOf(localSeconds(2026, 12, 31, 23, 59)), newYear), 1);
    EXPECT_EQ(fileAgeDays(days.dayOf(localSeconds(2027, 1, 1, 0, 1)), newYear), 0);
    // Tomorrow counts by its distance, in row 1.
    EXPECT_EQ(ageToIndex(fileAgeDays(days.dayOf(localSeconds(2027, 1, 2, 9, 0)), newYear)), 1);
    EXPECT_EQ(fileAgeDays(days.dayOf(localSeconds(2024, 1, 1, 12, 0)), newYear), 1096);
    // No time, and times the packed layout cannot hold, are not recorded.
    EXPECT_EQ(fileAgeDays(days.dayOf(0), newYear), -1);
    EXPECT_EQ(fileAgeDays(days.dayOf(localSeconds(1979, 12, 31, 12, 0)), newYear), -1);

    // In a zone east of UTC, half past midnight local is still the previous day in UTC; the
    // offset changes with summer time.
    const QByteArray oldZone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    ::tzset();
    LocalDays berlin;
    const std::int64_t summer = 1'782'945'000;  // 2026-07-01 22:30 UTC = 2 July 00:30 CEST
    const std::int64_t winter = 1'798'759'800;  // 2026-12-31 23:30 UTC = 1 January 00:30 CET
    EXPECT_EQ(berlin.dayOf(summer), epochDay(QDate(2026, 7, 2)));
    EXPECT_EQ(berlin.dayOf(winter), epochDay(QDate(2027, 1, 1)));
    EXPECT_EQ(berlin.dayOf(winter + 512 * 900), epochDay(QDate(2027, 1, 6)));  // same slot
    qputenv("TZ", oldZone);
    ::tzset();
}

TEST(StatisticsClasses, ExtensionsByTheFiveCharacterRule) {
    StatisticsTallies t;
    for (const char* name :
         {"index.HTML", "README", "a.txt", "B.TXT", ".profile", "x.jpeg", "tab.\tx", "mixed.HtMl"})
        t.insertType(extensionOf(name), 10);
    ASSERT_EQ(t.types.size(), 5u);
    EXPECT_EQ(t.types[0].extension, ".HTML");
    EXPECT_EQ(t.types[0].tally, (Tally{2, 20}));
    EXPECT_EQ(t.types[1].extension, "");
    EXPECT_EQ(t.types[2].extension, ".TXT");
    EXPECT_EQ(t.types[2].tally, (Tally{2, 20}));
    EXPECT_EQ(t.types[3].extension, ".JPEG");
    EXPECT_EQ(t.types[4].extension, ".\tX");
    // Two-byte characters count as one each.
    EXPECT_TRUE(fitsTypeTable(".\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F"));
    EXPECT_FALSE(fitsTypeTable(".\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9Fx"));
    // A tab in an extension stays in its own cell.
    const std::vector<TypeRow> rows = typeRows(t);
    EXPECT_EQ(rows[4].record().count(QLatin1Char('\t')), 5);
}

TEST(StatisticsClasses, RanksByTheNumbersWithTies) {
    const std::int64_t gb = std::int64_t(1) << 30;
    EXPECT_EQ(topTenRanks({9 * gb, 12 * gb, 100, 12 * gb}), (std::vector<int>{3, 1, 4, 2}));
    std::vector<std::int64_t> many;
    for (int i = 0; i < 12; ++i)
        many.push_back(i);
    const std::vector<int> ranks = topTenRanks(many);
    EXPECT_EQ(ranks[11], 1);
    EXPECT_EQ(ranks[2], 10);
    EXPECT_EQ(ranks[1], 0);
    EXPECT_EQ(ranks[0], 0);
}

TEST(StatisticsClasses, DiskFigures) {
    const DiskFigures third = diskFigures(DriveSpace{3000, 1000, 512}, "/home");
    EXPECT_EQ(third.freePercent, 33);
    EXPECT_EQ(third.usedPercent, 67);
    EXPECT_EQ(third.used, 2000);
    EXPECT_EQ(third.pctText, "bytes (33 %) ");
    EXPECT_EQ(third.pct2Text, "bytes (67 %) ");
    EXPECT_EQ(third.freeCaption, "Free Space on Drive /home: ");
    EXPECT_FALSE(third.low);
    EXPECT_TRUE(diskFigures(DriveSpace{100, 5, 1}, "/").low);
    EXPECT_FALSE(diskFigures(DriveSpace{100, 6, 1}, "/").low);
    EXPECT_EQ(diskFigures(DriveSpace{100, 3, 1}, "/").usedPercent, 97);
    const DiskFigures none = diskFigures(DriveSpace{0, 0, 4096}, "/fuse");
    EXPECT_EQ(none.freePercent, 0);
    EXPECT_EQ(none.usedPercent, 0);
    EXPECT_FALSE(none.low);
    // Space kept for the administrator is neither used nor free, and the shares leave it out.
    const DiskFigures reserved = diskFigures(DriveSpace{1000, 300, 1, 100}, "/");
    EXPECT_EQ(reserved.used, 600);
    EXPECT_EQ(reserved.free, 300);
    EXPECT_EQ(reserved.reserved, 100);
    EXPECT_EQ(reserved.usedPercent, 67);
    EXPECT_EQ(reserved.freePercent, 33);
    EXPECT_FALSE(reserved.reservedText.isEmpty());
    // A single byte in use is not 0 %.
    EXPECT_EQ(diskFigures(DriveSpace{1000, 999, 1}, "/").usedPercent, 1);
    // Terabytes do not overflow the percentage.
    EXPECT_EQ(
        diskFigures(DriveSpace{std::int64_t(1) << 50, std::int64_t(1) << 49, 1}, "/").freePercent,
        50);
}

// A drive whose root, or one folder below it, can be made to fail and to work again.
class FlakyPlatform : public TestPlatform {
public:
    using TestPlatform::TestPlatform;
    [[nodiscard]] OpenedFolder openFolder(const QByteArray& path) const override {
        if (rootError != 0 && path == drives().front().mountPoint)
            return OpenedFolder{FolderHandle(), rootError};
        return TestPlatform::openFolder(path);
    }
    int readFolder(const FolderHandle& folder, bool isDriveRoot,
                   std::vector<SearchRecord>& entries) const override {
        const int error = TestPlatform::readFolder(folder, isDriveRoot, entries);
        return !badFolder.isEmpty() && lastReadPath == badFolder ? EIO : error;
    }
    int rootError = 0;
    QByteArray badFolder;
};

class StatisticsScanTest : public ::testing::Test {
protected:
    Drive drive() const {
        Drive d;
        d.mountPoint = tree.root();
        return d;
    }
    StatisticsScan::Outcome run() { return scan.run(drive(), today); }
    TempTree tree;
    FlakyPlatform platform{{tree.root()}};
    StatisticsScan scan{platform};
    QDate today{2030, 6, 15};
};

TEST_F(StatisticsScanTest, TalliesEveryFileOnceIn64Bits) {
    const std::int64_t fiveGb = std::int64_t(5) << 30;
    tree.file("big.iso", fiveGb);  // taken up whole, as the platform reports them below
    tree.file("sub/big2.ISO", fiveGb);
    platform.setRoom(tree.path("big.iso"), fiveGb);
    platform.setRoom(tree.path("sub/big2.ISO"), fiveGb);
    test::writeSparse(tree, "sub/.hidden.txt", 16'385, {{0, 16'385}});
    tree.file(".dot/inside.txt", std::int64_t(1));  // a hidden folder is not entered
    test::writeSparse(tree, "sub/a.txt", 100, {{0, 100}});
    ASSERT_EQ(::link(tree.path("sub/a.txt").constData(), tree.path("hard.txt").constData()), 0);
    tree.symlink("sub/link", "a.txt");
    tree.setTimes("big.iso", 2030, 6, 8);       // 7 days
    tree.setTimes("sub/big2.ISO", 2030, 6, 7);  // 8 days
    const std::int64_t hidden = test::duBytes({tree.path("sub/.hidden.txt")});
    const std::int64_t small = test::duBytes({tree.path("sub/a.txt")});
    ASSERT_EQ(run(), StatisticsScan::Outcome::Completed);
    const StatisticsTallies& t = scan.tallies();
    EXPECT_EQ(t.fileCount, 5);  // the hard link once, the symbolic link as a file
    EXPECT_EQ(t.sizes[9], (Tally{2, 2 * fiveGb}));
    EXPECT_EQ(t.sizes[2], (Tally{1, hidden}));
    EXPECT_EQ(t.sizes[1], (Tally{2, small}));  // the link takes no room of its own
    EXPECT_EQ(t.bytesProcessed, 2 * fiveGb + hidden + small);
    EXPECT_EQ(t.write[1].bytes, fiveGb);
    EXPECT_EQ(t.write[2].bytes, fiveGb);
    ASSERT_EQ(t.types.size(), 3u);
    for (const TypeTally& type : t.types)
        if (type.extension == ".ISO") {
            EXPECT_EQ(type.tally, (Tally{2, 2 * fiveGb}));
        }
    EXPECT_EQ(formatThousands(t.sizes[9].bytes), "10,737,418,240");
    // Ten gigabytes that are not there pass the drive's used space: the progress stops at 100.
    if (scan.usedBytes() < 2 * fiveGb) {
        EXPECT_EQ(scan.progressPercent(), 100);
    }
}

TEST_F(StatisticsScanTest, SizeClassesByLengthByteSumsByRoom) {
    const QList<QByteArray> files = test::makeRoomTree(tree);
    ASSERT_EQ(run(), StatisticsScan::Outcome::Completed);
    const StatisticsTallies& t = scan.tallies();
    // The 64 MB image is over 16 MB long but takes the 320 K written in it; the one never
    // written is 16 MB long and takes nothing. Hard links count once, as du counts them.
    EXPECT_EQ(t.sizes[9], (Tally{1, test::duBytes({tree.path("disk/image.img")})}));
    EXPECT_EQ(t.sizes[8], (Tally{1, 0}));
    EXPECT_EQ(t.bytesProcessed, test::duBytes(files));
    std::int64_t typed = 0;
    for (const TypeTally& type : t.types)
        typed += type.tally.bytes;
    EXPECT_EQ(typed, t.bytesProcessed);
}

TEST(DiskSpace, FiguresOfATmpfsAsStatvfsAndDfGiveThem) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
    TempTree t;
    const QByteArray at = t.dir("mnt");
    const test::ScopedMount mount = test::ScopedMount::tmpfs(at);  // 4 MB
    if (!mount.ok()) GTEST_SKIP() << mount.reason();
    test::writeSparse(t, "mnt/data", 1536 * 1024, {{0, 1536 * 1024}});
    const std::optional<DriveSpace> space = LinuxPlatform().driveSpace(at);
    ASSERT_TRUE(space);
    const DiskFigures d = diskFigures(*space, QString::fromLocal8Bit(at));
    struct statvfs v {};
    ASSERT_EQ(::statvfs(at.constData(), &v), 0);
    EXPECT_EQ(d.total, 4 * 1024 * 1024);
    EXPECT_EQ(d.total, std::int64_t(v.f_blocks * v.f_frsize));
    EXPECT_EQ(d.used, std::int64_t((v.f_blocks - v.f_bfree) * v.f_frsize));
    EXPECT_EQ(d.free, std::int64_t(v.f_bavail * v.f_frsize));
    EXPECT_EQ(d.used, 1536 * 1024);
    EXPECT_EQ(d.reserved, 0);
    // 37.5 % in use: df rounds up.
    QProcess df;
    df.start(QStringLiteral("df"), {QStringLiteral("--output=pcent"), QString::fromLocal8Bit(at)});
    ASSERT_TRUE(df.waitForFinished());
    EXPECT_EQ(df.readAllStandardOutput().split('\n').value(1).trimmed(), "38%");
    EXPECT_EQ(d.usedPercent, 38);
    EXPECT_EQ(d.freePercent, 62);
}

}  // namespace
}  // namespace rk
