#include <gtest/gtest.h>

#include <QFile>

#include "InstalledPlatform.h"
#include "RoomTree.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "common/Drives.h"
#include "common/FileTypes.h"
#include "common/SearchPath.h"
#include "common/Services.h"
#include "common/TextHelpers.h"
#include "common/TimeHelpers.h"
#include "duplicates/DupColumns.h"
#include "duplicates/DupScan.h"

namespace rk {
namespace {

using test::scriptedDialogs;
using test::TempTree;
using test::TestPlatform;

// A drive made of a temporary tree, installed as the only drive while the test runs.
class DupScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        setSearchPathList({});
        // The files are made sparse, of any length at no cost; the hogs rank as if each byte
        // took its room, except where a test is about the room itself.
        installed.platform().setRoomFollowsLength(true);
    }
    void TearDown() override { setSearchPathList({}); }

    std::vector<DupRecord> run(bool duplicates, bool exact = false, int limitKb = 0,
                               const QString& pattern = QStringLiteral("*.*")) {
        search(duplicates, exact, limitKb, pattern);
        return scan_->lbFiles();
    }
    // The search alone: a file-hog list stays compact until lbFiles is asked.
    void search(bool duplicates, bool exact = false, int limitKb = 0,
                const QString& pattern = QStringLiteral("*.*")) {
        DupQuery q;
        q.duplicates = duplicates;
        q.exact = exact;
        q.sizeLimitKb = limitKb;
        q.pattern = pattern;
        q.drives = installed.table().drives();
        scan_ = std::make_unique<DupScan>(installed.platform());
        scan_->collectLimit = collectLimit;
        scan_->run(q);
    }
    // The records ranked as records, from the opposite order: what the hogs' ranking must give.
    static std::vector<ScanRecord> rankedAsRecords(const std::vector<DupRecord>& listed) {
        std::vector<ScanRecord> reference = listed;
        std::reverse(reference.begin(), reference.end());
        rankLargestFirst(reference);
        return reference;
    }
    static QStringList field(const std::vector<DupRecord>& records, int n) {
        QStringList out;
        for (const DupRecord& r : records)
            out.append(tabField(QString::fromUtf8(r.text()), n));
        return out;
    }

    TempTree tree;
    test::InstalledPlatform installed{{tree.root()}};
    std::unique_ptr<DupScan> scan_;
    std::size_t collectLimit = DupScan::defaultCollectLimit;
};

TEST_F(DupScanTest, SizeLimitIsStrictAndEmptyFilesNeverCount) {
    tree.file("at.dat", std::int64_t(250 * 1024));
    tree.file("over.dat", std::int64_t(250 * 1024 + 1));
    tree.file("empty.dat", std::int64_t(0));
    EXPECT_EQ(field(run(false, false, 250), 5), QStringList({tree.path("over.dat")}));
    EXPECT_EQ(field(run(false, false, 0), 5).size(), 2);
}

TEST_F(DupScanTest, ScanGroupsByNameExactByNameAndWholeK) {
    tree.file("a/readme.txt", std::int64_t(1500));
    tree.file("b/readme.txt", std::int64_t(1900));
    tree.file("a/one.txt", std::int64_t(1023));
    tree.file("b/one.txt", std::int64_t(1024));
    tree.file("c/alone.txt", std::int64_t(5000));
    const auto byName = run(true, false);
    EXPECT_EQ(field(byName, 1), QStringList({"one.txt       ", "one.txt       ", "readme.txt    ",
                                             "readme.txt    "}));
    EXPECT_EQ(field(byName, 2), QStringList({"    0 K", "    1 K", "    1 K", "    1 K"}));
    const auto exact = run(true, true);
    EXPECT_EQ(field(exact, 1), QStringList({"readme.txt    ", "readme.txt    "}));
}

TEST_F(DupScanTest, NamesDifferingInCaseGroupAndKeepTheirCase) {
    tree.file("x/README.TXT", std::int64_t(2000));
    tree.file("y/readme.txt", std::int64_t(2000));
    tree.file("y/a-name-longer-than-14.txt", std::int64_t(2000));
    tree.file("z/A-Name-Longer-Than-14.TXT", std::int64_t(2000));
    const auto groups = run(true);
    ASSERT_EQ(groups.size(), 4u);
    const QStringList names = field(groups, 1);
    EXPECT_TRUE(names.contains("a-name-longer-than-14.txt"));  // not padded, not cut
    EXPECT_TRUE(names.contains("A-Name-Longer-Than-14.TXT"));
    EXPECT_TRUE(names.contains("README.TXT    "));
    // The rows stand for the files as they are named on disk.
    for (const DupRecord& r : groups)
        EXPECT_TRUE(QFile::exists(QFile::decodeName(scan_->pathOf(r))));
}

TEST_F(DupScanTest, HogsAreRankedByNumberLargestFirst) {
    tree.file("huge.iso", std::int64_t(3) << 30);  // 3 GB, sparse
    tree.file("mid.dat", std::int64_t(204800) * 1024);
    tree.file("big.dat", std::int64_t(1048576) * 1024);
    tree.file("small.dat", std::int64_t(9) * 1024);
    tree.file("a/huge.iso", std::int64_t(3) << 30);  // a tie in a large K goes by the path
    const auto hogs = run(false);
    EXPECT_EQ(field(hogs, 1),
              QStringList({"3145728 K", "3145728 K", "1048576 K", "204800 K", "    9 K"}));
    EXPECT_EQ(field(hogs, 5).mid(0, 2),
              QStringList({tree.path("huge.iso"), tree.path("a/huge.iso")}));
    EXPECT_EQ(field(hogs, 6).first(), "raw CD image");
}

TEST_F(DupScanTest, HogsRankByTheRoomDuGives) {
    installed.platform().setRoomFollowsLength(false);
    const QList<QByteArray> files = test::makeRoomTree(tree);
    const auto hogs = run(false);
    QList<std::int64_t> listed;
    for (const DupRecord& r : hogs) {
        const QByteArray path = scan_->pathOf(r);
        const std::int64_t du = test::duBytes({path});
        EXPECT_EQ(tabField(QString::fromUtf8(r.text()), 1).trimmed(),
                  QString::number(du / 1024) + " K")
            << path.constData();
        listed << du;
    }
    // Largest room first: the 64 MB image with 320 K written ranks below the 1 MB clip, and
    // the image never written takes no room, so it is no hog at all.
    EXPECT_TRUE(std::is_sorted(listed.rbegin(), listed.rend()));
    const QStringList paths = field(hogs, 5);
    EXPECT_FALSE(paths.contains(tree.path("disk/empty.img")));
    EXPECT_LT(paths.indexOf(tree.path("clips/clip.bin")),
              paths.indexOf(tree.path("disk/image.img")));
    EXPECT_EQ(hogs.size(), std::size_t(files.size() - 1));
    // The limit is on the room too: over 1 M the movie and the clip, by two names each; over
    // 300 K the image's 320 K as well, though it is 64 M long.
    EXPECT_EQ(field(run(false, false, 1024), 5).size(), 4);
    EXPECT_EQ(field(run(false, false, 300), 5).size(), 5);
}

TEST_F(DupScanTest, RecordFieldsInBothModes) {
    tree.file("docs/Report.txt", std::int64_t(3000));
    tree.setTimes("docs/Report.txt", 1998, 12, 31, 23, 59, 58);
    tree.file("Report.txt", std::int64_t(3000));
    const auto dup = run(true);
    ASSERT_EQ(dup.size(), 2u);
    // Sorted by the whole record: the 1998 date text comes first.
    const QString sub = QString::fromUtf8(dup[0].text());
    const QString rec = QString::fromUtf8(dup[1].text());
    ASSERT_EQ(rec.count('\t'), 6);
    EXPECT_EQ(tabField(rec, 6), tree.path("") + "/");  // the root: one "/" only
    EXPECT_EQ(tabField(sub, 3), "12/31/98");
    EXPECT_EQ(tabField(sub, 4), "11:59:58 PM");
    EXPECT_EQ(tabField(sub, 5), "12/31/98");
    EXPECT_EQ(tabField(sub, 6), tree.path("docs") + "/");
    EXPECT_EQ(tabField(sub, 7), "plain text document");
    const auto hog = run(false);
    const QString h = QString::fromUtf8(hog[0].text());
    ASSERT_EQ(h.count('\t'), 5);
    EXPECT_EQ(tabField(h, 1), "    2 K");
}

TEST_F(DupScanTest, SearchPathFoldersAreMarkedAndPathsStayExact) {
    tree.file("bin/tool", std::int64_t(4096));
    tree.file("lib/tool", std::int64_t(4096));
    setSearchPathList(SearchPathList(tree.path("bin"), {}, {}));
    const auto dup = run(true);
    ASSERT_EQ(dup.size(), 2u);
    EXPECT_EQ(field(dup, 6),
              QStringList({tree.path("bin") + "/*(SEARCHPATH)*", tree.path("lib") + "/"}));
    EXPECT_EQ(scan_->pathOf(dup[0]), tree.path("bin/tool"));
    const auto hog = run(false);
    EXPECT_EQ(field(hog, 5).contains(tree.path("bin/tool") + "*(SEARCHPATH)*"), true);
    for (const DupRecord& r : hog)
        EXPECT_TRUE(QFile::exists(QFile::decodeName(scan_->pathOf(r))));
}

TEST_F(DupScanTest, HiddenSystemAndUnmatchedFilesAreLeftOutButFoldersAreWalked) {
    tree.file(".secret", std::int64_t(9000));
    tree.file("keep/.also-hidden", std::int64_t(9000));
    tree.symlink("link.exe", tree.path("keep/a.exe"));
    tree.file("keep/a.exe", std::int64_t(9000));
    tree.file("keep/deeper/b.exe", std::int64_t(9000));
    tree.file("keep/c.txt", std::int64_t(9000));
    tree.file(".hiddendir/d.exe", std::int64_t(9000));
    const QStringList paths = field(run(false, false, 0, "*.exe"), 5);
    EXPECT_EQ(paths.size(), 2);
    EXPECT_TRUE(paths.contains(tree.path("keep/a.exe")));
    EXPECT_TRUE(paths.contains(tree.path("keep/deeper/b.exe")));
}

TEST_F(DupScanTest, OneFileIsNoDuplicateButIsAHog) {
    tree.file("only.dat", std::int64_t(5000));
    EXPECT_TRUE(run(true).empty());
    EXPECT_EQ(run(false).size(), 1u);
}

TEST_F(DupScanTest, AwkwardNamesKeepTheirExactPath) {
    const QByteArray odd("caf\xe9.dat");
    tree.file(QByteArray("x/") + odd, std::int64_t(5000));
    tree.file("x/tab\there.dat", std::int64_t(5000));
    tree.file("x/trailing .dat ", std::int64_t(5000));
    const auto hogs = run(false);
    ASSERT_EQ(hogs.size(), 3u);
    QList<QByteArray> paths;
    for (const DupRecord& r : hogs) {
        EXPECT_EQ(QString::fromUtf8(r.text()).count('\t'), 5);  // a tab in a name is no field
        paths.append(scan_->pathOf(r));
    }
    EXPECT_TRUE(paths.contains(tree.path(QByteArray("x/") + odd)));
    EXPECT_TRUE(paths.contains(tree.path("x/tab\there.dat")));
    EXPECT_TRUE(paths.contains(tree.path("x/trailing .dat ")));
    // The same names as duplicates, each with a partner in y.
    for (const QByteArray& name : {odd, QByteArray("tab\there.dat"), QByteArray("trailing .dat ")})
        tree.file("y/" + name, std::int64_t(5000));
    QList<QByteArray> dupPaths;
    for (const DupRecord& r : run(true))
        dupPaths.append(scan_->pathOf(r));
    std::sort(dupPaths.begin(), dupPaths.end());
    QList<QByteArray> expected;
    for (const char* folder : {"x/", "y/"})
        for (const QByteArray& name :
             {odd, QByteArray("tab\there.dat"), QByteArray("trailing .dat ")})
            expected.append(tree.path(folder + name));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dupPaths, expected);
}

TEST_F(DupScanTest, TooManyFilesEndsTheScanWithAFullListInItsOutcomeAndAsksNothing) {
    scriptedDialogs().failWhenAsked = true;
    for (int i = 0; i < 5; ++i)
        tree.file("f" + QByteArray::number(i) + ".dat", std::int64_t(2000));
    collectLimit = 3;
    const auto hogs = run(false);
    EXPECT_EQ(hogs.size(), 3u);
    EXPECT_TRUE(scan_->incomplete());
    EXPECT_TRUE(scan_->outcome().limitReached);
    EXPECT_TRUE(scan_->outcome().unopened.empty());
}

TEST_F(DupScanTest, UnreadableFoldersAreSkippedAndCountedAnUnopenedDriveNoted) {
    scriptedDialogs().failWhenAsked = true;
    tree.file("open/a.dat", std::int64_t(2000));
    tree.file("locked/b.dat", std::int64_t(2000));
    installed.platform().failToOpen(tree.path("locked"), EACCES);
    EXPECT_EQ(run(false).size(), 1u);
    EXPECT_EQ(scan_->outcome().skippedFolders, 1u);
    EXPECT_FALSE(scan_->outcome().limitReached);
    installed.platform().failToOpen(tree.root(), EACCES);
    EXPECT_TRUE(run(false).empty());
    ASSERT_EQ(scan_->outcome().unopened.size(), 1u);
    EXPECT_EQ(scan_->outcome().unopened[0].mountPoint, tree.root());
}

TEST(DupScanTexts, SizesAndUnits) {
    EXPECT_EQ(sizeInKText(1023), "    0 K");
    EXPECT_EQ(sizeInKText(99999 * 1024), "99999 K");
    EXPECT_EQ(sizeInKText(100000 * 1024), "100000 K");
    EXPECT_EQ(KiloToMega(250), "KB (256000 bytes)");
    EXPECT_EQ(KiloToMega(0), "KB (0 bytes)");
    EXPECT_EQ(KiloToMega(1250), "KB ( 1.2 Meg)");
    EXPECT_EQ(KiloToMega(50000), "KB (50.0 Meg)");
    EXPECT_EQ(extensionOf("a.tar.gz"), ".gz");
    EXPECT_EQ(extensionOf("Makefile"), "");
}

// Plain names are written as bytes, the others through text: both give the same fields.
TEST(DupScanTexts, PlainAndOtherNamesGiveRecordsOfOneForm) {
    const DupFolder folder = DupFolder::of("/data/sub", true);
    const PackedTime written = (PackedTime(45) << 25) | (3u << 21) | (9u << 16) | (14u << 11);
    DupRecordWriter writer;
    for (const QByteArray& name :
         {QByteArray("a"), QByteArray("exactly14chars"), QByteArray("Longer Name.TXT"),
          QByteArray("x."), QByteArray("caf\xc3\xa9.Txt")}) {
        const QString shown = QString::fromUtf8(name);
        const QString want = shown.leftJustified(14, QLatin1Char(' ')) + "\t" +
                             sizeInKText(300000) + "\t" + fileDateText(written) + "\t" +
                             fileTimeText(written) + "\t\t/data/sub/\t" +
                             fileTypeName(extensionOf(shown).toLower());
        EXPECT_EQ(QString::fromUtf8(writer.record(folder, name, 300000, written, 0).text()), want);
    }
}

TEST_F(DupScanTest, HogsOfEqualSizeInKRankAsTheirRecordsWould) {
    // Equal K throughout, so the dates, times, paths and types decide: "1/2/05" comes after
    // "12/31/99" as text, a time of 0 has no date, names compare without regard to case.
    const struct {
        const char* path;
        int y, m, d, h, mi, s;
    } files[] = {
        {"a/one.txt", 2005, 1, 2, 9, 0, 0},          {"a/Onf.txt", 2005, 1, 2, 9, 0, 0},
        {"b/two.c", 1999, 12, 31, 23, 59, 58},       {"b/two.h", 1999, 12, 31, 23, 59, 58},
        {"c/three", 1999, 12, 31, 8, 0, 0},          {"c/d/four.TXT", 2010, 10, 10, 10, 0, 0},
        {"c/d/five\xff.txt", 2010, 10, 10, 10, 0, 0}};
    for (const auto& f : files) {
        tree.file(f.path, std::int64_t(3 * 1024 + 5));
        tree.setTimes(f.path, f.y, f.m, f.d, f.h, f.mi, f.s);
    }
    tree.file("c/old", std::int64_t(3 * 1024));
    tree.setTimes("c/old", 1970, 1, 2);  // before 1980: no date at all
    search(false);
    const std::vector<DupRecord> listed = scan_->lbFiles();
    ASSERT_EQ(listed.size(), 8u);
    const std::vector<ScanRecord> reference = rankedAsRecords(listed);
    QStringList got, want;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        got.append(QString::fromUtf8(listed[i].text()));
        want.append(QString::fromUtf8(reference[i].text()));
    }
    EXPECT_EQ(got, want);
    // A report writes the same lines without keeping records.
    QStringList written;
    scan_->writeListed([&](QByteArrayView text) { written.append(QString::fromUtf8(text)); });
    EXPECT_EQ(written, got);
    // The name that is not UTF-8 still gives back its exact path.
    const auto odd = std::find_if(listed.begin(), listed.end(),
                                  [](const DupRecord& r) { return r.text().contains("five"); });
    ASSERT_NE(odd, listed.end());
    EXPECT_EQ(scan_->pathOf(*odd), tree.path("c/d/five\xff.txt"));
}

TEST_F(DupScanTest, HogsOfEqualSizeAndTimesRankByWholePathsAcrossNestedFolders) {
    // Where one folder's path begins another's (or equals it but for case), the names decide
    // against the rest of the longer path: "a.txt" and "a-b" come before "a/" as text.
    for (const char* path : {"q/z.txt", "q/a-b", "q/a.txt", "q/a/x", "q/a/B/y", "Q/a/c", "qa/w",
                             "Q/b", "Q/b x", "q-/v", "q/ab", "q/AB.c", "q/ab.cc"}) {
        tree.file(path, std::int64_t(2048));
        tree.setTimes(path, 2012, 6, 1, 12, 0, 0);
    }
    // In a folder on the search path the mark follows each name: "b" comes after "b x".
    setSearchPathList(SearchPathList(tree.path("Q"), {}, {}));
    search(false);
    const std::vector<DupRecord> listed = scan_->lbFiles();
    ASSERT_EQ(listed.size(), 13u);
    const std::vector<ScanRecord> reference = rankedAsRecords(listed);
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_EQ(listed[i].text(), reference[i].text()) << i;
}

TEST_F(DupScanTest, HogRowsTakenFromTheScanOutliveItAndWriteItsRecords) {
    tree.file("a/one.txt", std::int64_t(5000));
    tree.file("b/two\xff.bin", std::int64_t(9000));
    tree.file("c/three ", std::int64_t(7000));  // a blank the record cannot show at the end
    search(false);
    const std::shared_ptr<const RowSource> rows = scan_->takeListedRows();
    ASSERT_TRUE(rows);
    EXPECT_EQ(scan_->listedCount(), 0u);
    EXPECT_FALSE(scan_->takeListedRows());
    // The same scan runs again, with the type names it had looked up gone with the rows.
    DupQuery again;
    again.duplicates = false;
    again.sizeLimitKb = 0;
    again.drives = installed.table().drives();
    scan_->run(again);
    const std::vector<DupRecord> want = scan_->lbFiles();
    ASSERT_EQ(rows->size(), want.size());
    ASSERT_EQ(want.size(), 3u);
    QByteArray text;
    for (std::size_t i = 0; i < want.size(); ++i) {
        rows->writeRecord(i, text);
        EXPECT_EQ(text, want[i].text());
        // Each field alone, as a sort reads it.
        QByteArray field;
        for (int column = HogColumns::Size; column <= HogColumns::Type; ++column) {
            ASSERT_TRUE(rows->writeField(i, column, field));
            EXPECT_EQ(field, recordFieldBytes(text, column)) << column;
        }
        EXPECT_EQ(rows->recordPath(i), scan_->pathOf(want[i]));
    }
    scan_.reset();
    rows->writeRecord(1, text);
    EXPECT_EQ(text, want[1].text());
    EXPECT_EQ(rows->recordPath(0), tree.path("b/two\xff.bin"));
    EXPECT_EQ(rows->recordPath(2), tree.path("a/one.txt"));
}

}  // namespace
}  // namespace rk
