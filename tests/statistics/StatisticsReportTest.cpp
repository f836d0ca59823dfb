#include <gtest/gtest.h>

#include <QFile>
#include <cerrno>
#include <cstdio>

#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "app/CommandLine.h"
#include "app/Reports.h"

namespace rk {
namespace {

using test::scriptedDialogs;
using test::TempTree;
using test::TestPlatform;

// A drive of 3,000 bytes with 1,000 free, in clusters of 512.
class SmallDrive : public TestPlatform {
public:
    using TestPlatform::TestPlatform;
    [[nodiscard]] std::optional<DriveSpace> driveSpace(const QByteArray& m) const override {
        if (notReady || !TestPlatform::driveSpace(m)) return std::nullopt;
        return DriveSpace{3000, 1000, 512};
    }
    bool notReady = false;
};

class StatisticsReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        // One sub-folder a level, so the order the types first appear in is known.
        const QDate today = QDate::currentDate();
        const auto dated = [&](const QByteArray& path, std::int64_t size, int daysAgo) {
            tree.file(path, size);
            const QDate d = today.addDays(-daysAgo);
            tree.setTimes(path, d.year(), d.month(), d.day());
        };
        dated("d1/d2/x.HTML", 5, 1096);
        dated("d1/B.TXT", 20'000, 400);
        dated("a.txt", 100, 7);
        dated("README", 0, 8);
        // The files are sparse; the sums below take each to fill its length.
        drive.setRoomFollowsLength(true);
    }
    QByteArray run() {
        const CommandLine cl = parseCommandLine(
            {"roomkin", "--report", "statistics", "--drive", QFile::encodeName(tree.root())});
        EXPECT_TRUE(cl.ok());
        char* buffer = nullptr;
        std::size_t size = 0;
        std::FILE* out = ::open_memstream(&buffer, &size);
        status = runReport(cl, drive, test::scriptedDialogs(), out);
        std::fclose(out);
        const QByteArray text(buffer, qsizetype(size));
        std::free(buffer);
        return text;
    }
    TempTree tree;
    SmallDrive drive{{tree.root()}};
    int status = -1;
};

// A gauge page whose rows hold the given files and bytes, the rest empty.
QByteArray gaugePage(const QByteArray& title, const QList<QByteArray>& captions,
                     const QList<QByteArray>& filled) {
    QByteArray page = title + "\n\t% of total # files\t# Files\t% of total size\tFile Sizes\n";
    for (qsizetype i = 0; i < captions.size(); ++i)
        page += captions[i] + '\t' + filled.value(i, "0%\t0\t0%\t0") + '\n';
    return page;
}

TEST_F(StatisticsReportTest, ByteForByte) {
    const QByteArray root = tree.root();
    const QByteArray text = run();
    EXPECT_EQ(status, 0);
    const QList<QByteArray> ages{"Not recorded", "<= 7 days",   "8 - 30 days",  "31 - 60 days",
                                 "61-90 days",   "91-120 days", "121-365 days", "1 - 2 years",
                                 "2 - 3 years",  "Over 3 years"};
    const QList<QByteArray> byDate{
        "0%\t0\t0%\t0", "25%\t1\t0%\t100", "25%\t1\t0%\t0",       "0%\t0\t0%\t0", "0%\t0\t0%\t0",
        "0%\t0\t0%\t0", "0%\t0\t0%\t0",    "25%\t1\t99%\t20,000", "0%\t0\t0%\t0", "25%\t1\t0%\t5"};
    // Birth times are now where the file system records them.
    SearchRecord probe;
    OpenedFolder opened = drive.openFolder(root);
    drive.statEntry(opened.handle, "README", probe);
    const QList<QByteArray> created{probe.raw.creation ? "0%\t0\t0%\t0" : "100%\t4\t100%\t20,105",
                                    probe.raw.creation ? "100%\t4\t100%\t20,105" : "0%\t0\t0%\t0"};
    const QByteArray expected =
        "Statistics for drive " + root + " completed.\n" + "Finished - 4 files processed\n" +
        "Today " + QDate::currentDate().toString(Qt::ISODate).toUtf8() + "\n" +
        "Disk Space\n"
        "Total Capacity\t3,000\tbytes\n"
        "Free Space on Drive " +
        root +
        ": \t1,000\tbytes (33 %) \n"
        "Used Space on Drive " +
        root +
        ": \t2,000\tbytes (67 %) \n"
        "File Types\n"
        "Extension\tType\t# Files\tTop Ten #\tSize\tTop Ten Size\n"
        ".HTML\tHTML document\t1\t2\t5\t2\n"
        ".TXT\tplain text document\t2\t1\t20,100\t1\n"
        "\t\t1\t3\t0\t3\n" +
        gaugePage("File Sizes",
                  {"0 - 16 K", "16K - 32K", "32K - 128K", "128K - 1Mb", "1Mb - 2Mb", "2Mb - 4Mb",
                   "4Mb - 8Mb", "8Mb - 16Mb", "Over 16Mb"},
                  {"75%\t3\t0%\t105", "25%\t1\t99%\t20,000"}) +
        "Since drive " + root +
        " is partitioned into 512 bytes per cluster, the smallest file of only 1 byte will "
        "consume 512 bytes.  The actual space that each file uses will be rounded up to the "
        "next multiple of 512 bytes.\n" +
        gaugePage("Files accessed", ages, byDate) + gaugePage("Files created", ages, created) +
        gaugePage("Files modified", ages, byDate);
    EXPECT_EQ(text, expected);
}

TEST_F(StatisticsReportTest, FailuresExitWithThreeAndSayWhy) {
    drive.notReady = true;
    EXPECT_EQ(run(), "");
    EXPECT_EQ(status, 3);
    drive.notReady = false;
    drive.failToOpen(tree.root(), EACCES);
    scriptedDialogs().clear();
    EXPECT_EQ(run(), "");
    EXPECT_EQ(status, 3);
    EXPECT_EQ(scriptedDialogs().texts(), QStringList{"Can't open drive " + tree.root()});
    EXPECT_FALSE(
        parseCommandLine({"roomkin", "--report", "statistics", "--drive", "/", "--drive", "/tmp"})
            .ok());
}

}  // namespace
}  // namespace rk
