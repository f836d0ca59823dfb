#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstdlib>

#include "FileChecks.h"
#include "RoomTree.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "app/CommandLine.h"
#include "browser/BrowseColumns.h"
#include "browser/FolderListing.h"
#include "common/MarkedFileList.h"
#include "common/ResultGrid.h"
#include "platform/LinuxPlatform.h"

namespace rk {
namespace {

using test::scriptedDialogs;
using test::TempTree;
using test::TestPlatform;

QList<QByteArray> names(const FolderListing& l) {
    QList<QByteArray> out;
    for (const SearchRecord& r : l.files)
        out.append(r.name);
    return out;
}

QList<QByteArray> paths(const ResultGrid& g) {
    QList<QByteArray> out;
    for (int r = 0; r < g.rowCount(); ++r)
        out.append(g.pathOf(r));
    return out;
}

TEST(FolderListingTest, OnlyOrdinaryVisibleFilesMatchingAnyPart) {
    TempTree tree;
    tree.file("notes.txt", std::int64_t(3));
    tree.file("Report.DOC", std::int64_t(4));
    tree.file("image.png");
    tree.file(".hidden.txt");
    tree.symlink("link.txt", tree.path("notes.txt"));
    tree.symlink("linked", tree.root());
    ASSERT_EQ(::mkfifo(tree.path("pipe.txt").constData(), 0644), 0);
    tree.dir("sub.txt");
    tree.dir(".cache");
    tree.dir("Alpha");
    TestPlatform p;

    const FolderListing all = listBrowsedFolder(p, tree.root(), NamePattern("*.*"));
    EXPECT_EQ(all.error, 0);
    EXPECT_EQ(names(all), QList<QByteArray>({"image.png", "notes.txt", "Report.DOC"}));
    // Hidden folders and links to folders are not offered for browsing.
    EXPECT_EQ(all.subFolders, std::vector<QByteArray>({"Alpha", "sub.txt"}));

    const FolderListing two = listBrowsedFolder(p, tree.root(), NamePattern("*.txt;*.doc"));
    EXPECT_EQ(names(two), QList<QByteArray>({"notes.txt", "Report.DOC"}));

    const FolderListing none = listBrowsedFolder(p, tree.root(), NamePattern("*.zip"));
    ResultGrid g;
    g.setSchema(BrowseColumns::schema());
    EXPECT_EQ(fillBrowseGrid(g, tree.root(), none.files), 0);
    EXPECT_EQ(g.rowCount(), 1);  // one empty row
    EXPECT_TRUE(g.pathOf(0).isEmpty());

    p.failToRead(tree.root(), EACCES);
    EXPECT_EQ(listBrowsedFolder(p, tree.root(), NamePattern()).error, EACCES);
}

TEST(FolderListingTest, RowsKeepExactPathsOfAwkwardNames) {
    TempTree tree;
    const QByteArray latin1("caf\xe9.txt");
    tree.file("a.txt", std::int64_t(1));
    tree.file("A.TXT", std::int64_t(2));
    tree.file(latin1, std::int64_t(3));
    tree.file("tab\there.txt", std::int64_t(4));
    tree.file("noext", std::int64_t(5));
    // Sparse: 5 GB of size, no room taken.
    tree.file("big.iso", std::int64_t(5) << 30);
    TestPlatform p;
    const FolderListing l = listBrowsedFolder(p, tree.root(), NamePattern("*.*"));
    ResultGrid g;
    g.setSchema(BrowseColumns::schema());
    EXPECT_EQ(fillBrowseGrid(g, tree.root(), l.files), (std::int64_t(5) << 30) + 15);

    // Names equal but for case stay two rows in a fixed order, each with its own path.
    EXPECT_EQ(paths(g), QList<QByteArray>({tree.path("A.TXT"), tree.path("a.txt"),
                                           tree.path("big.iso"), tree.path(latin1),
                                           tree.path("noext"), tree.path("tab\there.txt")}));
    EXPECT_EQ(g.cell(BrowseColumns::Size, 2), "5,368,709,120");
    // The record's cells stay six even for a name holding a tab.
    EXPECT_EQ(g.recordOf(5).count(QLatin1Char('\t')), 5);
    EXPECT_TRUE(g.cell(BrowseColumns::Type, 4).isEmpty());
    EXPECT_FALSE(g.cell(BrowseColumns::Type, 2).isEmpty());
}

TEST(FolderListingTest, FolderLinesFromTheMountPointDown) {
    const std::vector<FolderLine> lines =
        folderLines("/media/usb", "/media/usb/photos/2024", {"jan", "feb"});
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].path, "/media/usb");
    EXPECT_EQ(lines[1].path, "/media/usb/photos");
    EXPECT_EQ(lines[2].path, "/media/usb/photos/2024");
    EXPECT_TRUE(lines[2].current);
    EXPECT_EQ(lines[3].path, "/media/usb/photos/2024/jan");
    EXPECT_EQ(lines[3].depth, 3);
    const std::vector<FolderLine> root = folderLines("/", "/", {"etc"});
    ASSERT_EQ(root.size(), 2u);
    EXPECT_TRUE(root[0].current);
    EXPECT_EQ(root[1].path, "/etc");
    EXPECT_EQ(parentFolder("/media/usb/"), "/media");
    EXPECT_EQ(parentFolder("/tmp"), "/");
}

TEST(MarkedFileListTest, UnmarkingTakesBackExactlyWhatItsMarkAdded) {
    TempTree tree;
    const QByteArray lower = tree.file("a.txt", QByteArray(10, 'a'));
    const QByteArray upper = tree.file("A.TXT", QByteArray(20, 'A'));
    const std::int64_t lowerRoom = test::duBytes({lower});
    const QByteArray gone = tree.path("gone.txt");
    TestPlatform p;
    MarkedFileList marks;
    marks.mark(p, lower);
    marks.mark(p, upper);
    marks.mark(p, gone);  // marked, but counts nothing
    EXPECT_EQ(marks.count(), 2);
    EXPECT_EQ(marks.bytes(), test::duBytes({lower, upper}));

    // The file grew after it was marked: its unmark subtracts the room it was marked with.
    tree.file("A.TXT", std::int64_t(5000));
    EXPECT_TRUE(marks.unmark(upper));
    ASSERT_EQ(marks.files().size(), 2u);
    EXPECT_EQ(marks.files()[0].path, lower);
    EXPECT_EQ(marks.count(), 1);
    EXPECT_EQ(marks.bytes(), lowerRoom);
    EXPECT_TRUE(marks.unmark(gone));
    EXPECT_EQ(marks.count(), 1);
    EXPECT_FALSE(marks.unmark(upper));
    // Unmarking a file that vanished since it was marked leaves no stray totals.
    ::unlink(lower.constData());
    EXPECT_TRUE(marks.unmark(lower));
    EXPECT_EQ(marks.count(), 0);
    EXPECT_EQ(marks.bytes(), 0);
}

QByteArray listing(const QByteArray& folder, const QString& pattern, BrowseSort sort, int& status,
                   QString* error = nullptr) {
    TestPlatform p;
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = ::open_memstream(&buffer, &size);
    QString said;
    status = writeFolderListing(p, folder, pattern, sort, out, said);
    if (error) *error = said;
    std::fclose(out);
    QByteArray text(buffer, qsizetype(size));
    std::free(buffer);
    return text;
}

TEST(FolderListingTest, ReportListsTheGridInEachOrder) {
    TempTree tree;
    tree.file("b.txt", std::int64_t(1000));
    tree.file("a.log", std::int64_t(10));
    tree.file("c.txt", std::int64_t(5));
    tree.setTimes("b.txt", 1999, 12, 31, 23, 59, 58);
    tree.setTimes("a.log", 2001, 1, 1);
    tree.setTimes("c.txt", 1998, 6, 1);
    int status = -1;
    const QByteArray byName = listing(tree.root(), "*.*", BrowseSort::Name, status);
    EXPECT_EQ(status, 0);
    const QList<QByteArray> lines = byName.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1].left(lines[1].lastIndexOf('\t')),
              "12/31/99\t11:59:58 PM\t12/31/99\t1,000\tb.txt");
    const auto order = [&](BrowseSort s) {
        QByteArray names;
        for (const QByteArray& line : listing(tree.root(), "*.*", s, status).split('\n'))
            if (!line.isEmpty()) names += line.split('\t')[4].left(1);
        return names;
    };
    EXPECT_EQ(order(BrowseSort::Name), "abc");
    EXPECT_EQ(order(BrowseSort::Modified), "abc");
    EXPECT_EQ(order(BrowseSort::Size), "bac");
    EXPECT_EQ(order(BrowseSort::Type), "abc");  // Log before text

    EXPECT_TRUE(listing(tree.root(), "*.zip", BrowseSort::Name, status).isEmpty());
    EXPECT_EQ(status, 1);
    scriptedDialogs().failWhenAsked = true;
    QString error;
    listing(tree.path("missing"), "*.*", BrowseSort::Name, status, &error);
    EXPECT_EQ(status, 3);
    EXPECT_EQ(error, "No such folder: " + QString::fromLocal8Bit(tree.path("missing")));
}

TEST(FolderListingTest, MidnightStaysMidnightAfterAFileWithoutATime) {
    // A file dated before 1980 has no time and shows noon; a file written at midnight listed
    // after it shows midnight, in either order.
    TempTree tree;
    tree.file("a-1975.txt");
    tree.file("b-midnight.txt");
    tree.file("c-1970.txt");
    tree.setTimes("a-1975.txt", 1975, 1, 1, 12, 0, 0);
    tree.setTimes("b-midnight.txt", 2022, 7, 8, 0, 0, 0);
    tree.setTimes("c-1970.txt", 1970, 1, 2, 0, 0, 0);
    int status = -1;
    const QList<QByteArray> lines =
        listing(tree.root(), "*.*", BrowseSort::Name, status).split('\n');
    ASSERT_EQ(lines.size(), 4);
    const auto time = [&](int i) { return lines[i].split('\t')[1]; };
    EXPECT_EQ(time(0), "12:00:00 PM");
    EXPECT_EQ(time(1), "12:00:00 AM");
    EXPECT_EQ(time(2), "12:00:00 PM");
}

TEST(FolderListingTest, ListingOptionsGoTogether) {
    const auto parsed = [](std::vector<QByteArray> args) {
        args.insert(args.begin(), "roomkin");
        return parseCommandLine(args);
    };
    const CommandLine ok = parsed({"--report", "listing", "--folder", "/tmp/x\xff", "--pattern",
                                   "*.txt;*.doc", "--sort", "size"});
    ASSERT_TRUE(ok.ok()) << ok.error.toStdString();
    EXPECT_EQ(ok.report, ReportKind::Listing);
    EXPECT_EQ(ok.folder, "/tmp/x\xff");
    EXPECT_EQ(ok.pattern, "*.txt;*.doc");
    EXPECT_EQ(browseSortNamed(ok.sort), BrowseSort::Size);
    EXPECT_EQ(browseSortNamed(parsed({"--report", "listing", "--folder", "/"}).sort),
              BrowseSort::Name);
    for (const std::vector<QByteArray>& bad :
         {std::vector<QByteArray>{"--report", "listing"},
          {"--report", "listing", "--folder", "/", "--sort", "colour"},
          {"--report", "hogs", "--folder", "/"},
          {"--report", "listing", "--folder", "/", "--min-kb", "3"}})
        EXPECT_FALSE(parsed(bad).ok()) << bad.back().constData();
}

// The opener really started: a stand-in xdg-open on PATH writes down its arguments and folder.
TEST(OpenWithProgramTest, OneArgumentAsExactBytesInTheFolderWithoutAShell) {
    TempTree tree;
    const QByteArray bin = tree.dir("bin");
    const QByteArray log = tree.path("log");
    tree.file("bin/xdg-open", "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" \"$(pwd -P)\" > '" + log +
                                  "'\n[ \"$(basename \"$1\")\" != fail ] \n");
    ::chmod((bin + "/xdg-open").constData(), 0755);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin + ":" + oldPath);
    const QByteArray folder = tree.dir("my folder");
    LinuxPlatform p;
    // The answer comes through the event loop.
    const auto open = [&](const QByteArray& path) {
        std::optional<bool> answer;
        if (p.openWithAssociatedProgram(path, folder, [&](bool ok) { answer = ok; }) != 0)
            return false;
        QElapsedTimer waited;
        waited.start();
        while (!answer && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return answer.value_or(false);
    };
    for (const QByteArray& name :
         {QByteArray("-rf"), QByteArray("a;$(touch x)"), QByteArray("caf\xe9 \"q\".txt")}) {
        const QByteArray path = tree.file("my folder/" + name);
        EXPECT_TRUE(open(path)) << name.constData();
        EXPECT_EQ(test::contents(log), "1|" + path + "|" + folder + "|") << name.constData();
    }
    EXPECT_FALSE(QFile::exists(QFile::decodeName(folder + "/x")));
    EXPECT_FALSE(open(tree.file("my folder/fail")));
    qputenv("PATH", tree.path("nowhere"));
    EXPECT_NE(p.openWithAssociatedProgram(tree.path("my folder/-rf"), folder, {}), 0);
    qputenv("PATH", oldPath);
}

}  // namespace
}  // namespace rk
