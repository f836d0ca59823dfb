#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <cstdio>

#include "RoomTree.h"
#include "ScopedMount.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "app/CommandLine.h"
#include "app/Reports.h"
#include "common/Services.h"

namespace rk {
namespace {

using test::ScopedMount;
using test::TempTree;
using test::TestPlatform;

// The program's arguments as main receives them: bytes, its name first.
std::vector<QByteArray> argv(const QStringList& args) {
    std::vector<QByteArray> bytes{"roomkin"};
    for (const QString& a : args)
        bytes.push_back(QFile::encodeName(a));
    return bytes;
}

struct ReportOutput {
    int status = -1;
    QByteArray text;
};

// Runs a report on a platform of the given drives, each reporting driveSize bytes when given.
ReportOutput report(const QStringList& args, const std::vector<QByteArray>& drives,
                    std::int64_t driveSize = 0) {
    const CommandLine cl = parseCommandLine(argv(args));
    EXPECT_TRUE(cl.ok()) << cl.error.toStdString();
    TestPlatform p(drives);
    // The big image is sparse; in these reports every file takes the room of its length.
    p.setRoomFollowsLength(true);
    if (driveSize > 0)
        for (const QByteArray& d : drives)
            p.setDriveSize(d, driveSize);
    Platform& old = platform();
    setPlatform(&p);
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = ::open_memstream(&buffer, &size);
    ReportOutput result;
    result.status = runReport(cl, p, out);
    std::fclose(out);
    result.text = QByteArray(buffer, qsizetype(size));
    std::free(buffer);
    setPlatform(&old);
    return result;
}

class ReportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeWhole(tree, "docs/notes.txt", 300 * 1024);
        test::writeWhole(tree, "Notes.TXT", 260 * 1024);
        test::writeWhole(tree, "docs/small.txt", 10 * 1024);
        // A 5 GB image with one block written: to the program itself no hog of the default
        // limit, whatever its length.
        test::writeSparse(tree, "big.iso", std::int64_t(5) << 30, {{0, 4096}});
        for (const char* f : {"docs/notes.txt", "Notes.TXT", "docs/small.txt", "big.iso"})
            tree.setTimes(f, 1999, 12, 31, 23, 59, 58);
        root = QString::fromLocal8Bit(tree.root());
    }
    TempTree tree;
    QString root;
};

TEST_F(ReportsTest, DuplicatesByteForByte) {
    const ReportOutput r = report({"--report", "duplicates", "--drive", root}, {tree.root()});
    EXPECT_EQ(r.status, 0);
    const QByteArray expected = "Notes.TXT     \t  260 K\t12/31/99\t11:59:58 PM\t12/31/99\t" +
                                tree.root() + "/\tplain text document\n" +
                                "notes.txt     \t  300 K\t12/31/99\t11:59:58 PM\t12/31/99\t" +
                                tree.root() + "/docs/\tplain text document\n";
    EXPECT_EQ(r.text, expected);
    // Exact: 260 K and 300 K are different sizes, so no group is left.
    const ReportOutput exact =
        report({"--report", "duplicates", "--exact", "--drive", root}, {tree.root()});
    EXPECT_EQ(exact.status, 1);
    EXPECT_EQ(exact.text, "");
}

TEST_F(ReportsTest, HogsByteForByte) {
    const ReportOutput r =
        report({"--report", "hogs", "--min-kb", "5", "--drive", root}, {tree.root()});
    EXPECT_EQ(r.status, 0);
    const QByteArray tail = "\t12/31/99\t11:59:58 PM\t12/31/99\t";
    const QByteArray expected = "5242880 K" + tail + tree.root() + "/big.iso\traw CD image\n" +
                                "  300 K" + tail + tree.root() +
                                "/docs/notes.txt\tplain text document\n" + "  260 K" + tail +
                                tree.root() + "/Notes.TXT\tplain text document\n" + "   10 K" +
                                tail + tree.root() + "/docs/small.txt\tplain text document\n";
    EXPECT_EQ(r.text, expected);
    const ReportOutput txt =
        report({"--report", "hogs", "--pattern", "*.iso", "--drive", root}, {tree.root()});
    EXPECT_EQ(txt.text.count('\n'), 1);
}

TEST_F(ReportsTest, FoldersByteForByte) {
    // A drive of 10 GiB, so the percentages are known.
    const std::int64_t tenGiB = std::int64_t(10) << 30;
    const ReportOutput all =
        report({"--report", "folders", "--all", "--drive", root}, {tree.root()}, tenGiB);
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.text, "5243140 K\t50.00\t2\t1\t12/31/99\t" + tree.root() + "\n" +
                            "    310 K\t0.00\t2\t0\t12/31/99\t" + tree.root() + "/docs\n");
    const ReportOutput main =
        report({"--report", "folders", "--main", "--drive", root}, {tree.root()});
    // One main folder only: fewer than two lines is no list.
    EXPECT_EQ(main.status, 1);
    EXPECT_EQ(main.text, "");
}

TEST(CommandLine, BadArgumentsAreRefused) {
    const auto error = [](const QStringList& args) { return parseCommandLine(argv(args)).error; };
    EXPECT_FALSE(error({"--report", "everything"}).isEmpty());
    EXPECT_FALSE(error({"--report", "hogs", "--min-kb", "50001"}).isEmpty());
    EXPECT_FALSE(error({"--report", "hogs", "--min-kb", "-1"}).isEmpty());
    EXPECT_FALSE(error({"--report", "hogs", "--min-kb", "12k"}).isEmpty());
    EXPECT_FALSE(error({"--report", "hogs", "--exact"}).isEmpty());
    EXPECT_FALSE(error({"--report", "hogs", "--drive", "/no/such/folder"}).isEmpty());
    EXPECT_FALSE(error({"--frobnicate"}).isEmpty());
    EXPECT_FALSE(error({"--min-kb", "5"}).isEmpty());  // only with a report
    EXPECT_TRUE(error({"--report", "hogs", "--min-kb", "50000"}).isEmpty());
    EXPECT_TRUE(error({"--report", "duplicates", "--exact", "--min-kb", "0"}).isEmpty());
    EXPECT_FALSE(error({"--report", "folders"}).isEmpty());
    EXPECT_FALSE(error({"--report", "folders", "--main", "--all"}).isEmpty());
    EXPECT_FALSE(error({"--report", "hogs", "--main"}).isEmpty());
    EXPECT_FALSE(error({"--report", "folders", "--all", "--min-kb", "3"}).isEmpty());
    EXPECT_TRUE(error({"--report", "folders", "--all"}).isEmpty());
    // Option syntax: values after a blank or an "=", switches without one.
    EXPECT_TRUE(error({"--report=hogs", "--min-kb=5"}).isEmpty());
    EXPECT_FALSE(error({"--report", "duplicates", "--exact=yes"}).isEmpty());
    EXPECT_FALSE(error({"--report", "hogs", "--pattern"}).isEmpty());
    EXPECT_FALSE(error({"stray"}).isEmpty());
    EXPECT_FALSE(error({"--", "--help"}).isEmpty());
    EXPECT_FALSE(error({"-x"}).isEmpty());
    EXPECT_TRUE(parseCommandLine(argv({"-h"})).showHelp);
    const CommandLine last =
        parseCommandLine(argv({"--report", "hogs", "--min-kb", "7", "--min-kb", "9"}));
    EXPECT_EQ(last.minKb, 9);
}

std::tuple<int, QByteArray, QByteArray> runProgram(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(ROOMKIN_BINARY), args);
    p.waitForFinished(60000);
    return std::make_tuple(p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError());
}

TEST_F(ReportsTest, OverlappingDrivesListEveryFileOnce) {
    // A second name of docs/notes.txt: the same file, never its own duplicate.
    ASSERT_EQ(::link(tree.path("docs/notes.txt").constData(),
                     tree.dir("again").append("/notes.txt").constData()),
              0);
    tree.symlink("link-to-root", tree.root());
    const QString docs = root + "/docs";
    const QStringList dup{"--report", "duplicates", "--min-kb", "0"};
    const auto [status, once, err] = runProgram(dup + QStringList{"--drive", root});
    ASSERT_EQ(status, 0) << err.toStdString();
    EXPECT_EQ(once.count('\n'), 2);
    EXPECT_NE(once.contains("/again/"), once.contains("/docs/"));
    for (const QStringList& drives :
         {QStringList{root, root}, {root, root + "/link-to-root"}, {root, docs}, {docs, root}}) {
        QStringList args = dup;
        for (const QString& d : drives)
            args << "--drive" << d;
        const auto [code, out, stderrText] = runProgram(args);
        EXPECT_EQ(code, 0) << drives.join(' ').toStdString();
        EXPECT_EQ(out, once) << drives.join(' ').toStdString();
    }

    // A bind mount of docs outside the tree, chosen beside the tree: each file still once.
    TempTree outside;
    const QByteArray mnt = outside.dir("mnt");
    ScopedMount bind = ScopedMount::bind(tree.path("docs"), mnt);
    if (!bind.ok()) GTEST_SKIP() << bind.reason();
    const auto [code, out, stderrText] =
        runProgram(dup + QStringList{"--drive", root, "--drive", QString::fromLocal8Bit(mnt)});
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out.count('\n'), 2) << out.toStdString();
    EXPECT_EQ(out.count("notes.txt"), 1);
    // The file hogs likewise: each of the four files once.
    const auto [hogCode, hogs, hogErr] =
        runProgram({"--report", "hogs", "--min-kb", "0", "--drive", root, "--drive",
                    QString::fromLocal8Bit(mnt), "--drive", docs});
    EXPECT_EQ(hogs.count('\n'), 5) << hogs.toStdString();  // again/notes.txt is a path of its own
}

TEST_F(ReportsTest, ADriveThatCannotBeOpenedFailsTheSearch) {
    const CommandLine cl = parseCommandLine(argv({"--report", "duplicates", "--drive", root}));
    TestPlatform p({tree.root()});
    p.failToOpen(tree.root(), EACCES);
    Platform& old = platform();
    setPlatform(&p);
    test::scriptedDialogs().clear();
    const int status = runReport(cl, p, stdout);
    setPlatform(&old);
    EXPECT_EQ(status, 3);
    EXPECT_EQ(test::scriptedDialogs().texts(), QStringList{"Can't open drive " + root});
}

TEST_F(ReportsTest, TheProgramsExitStatuses) {
    const auto run = runProgram;
    const auto [ok, okOut, okErr] = run({"--report", "hogs", "--drive", root});
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(okOut.count('\n'), 2);
    const auto [none, noneOut, noneErr] =
        run({"--report", "hogs", "--min-kb", "50000", "--pattern", "*.txt", "--drive", root});
    EXPECT_EQ(none, 1);
    EXPECT_EQ(noneOut, "");
    EXPECT_EQ(noneErr, "No files found.\n");
    const auto [bad, badOut, badErr] = run({"--report", "hogs", "--min-kb", "x"});
    EXPECT_EQ(bad, 2);
    EXPECT_EQ(badErr.count('\n'), 1);  // one line of usage
}

TEST_F(ReportsTest, TheProgramTakesAFolderNameThatIsNotTextAndNamesItselfInItsUsage) {
    tree.file("caf\xe9/big.bin", QByteArray(2048, 'b'));
    // QProcess passes text only: printf makes the byte 0xE9 of the folder name.
    QProcess p;
    p.start(QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral("exec \"$0\" --report hogs --min-kb 1 --drive \"$1/$(printf "
                            "'caf\\351')\""),
             QStringLiteral(ROOMKIN_BINARY), root});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    // The record shows the name as text; that the file was walked is what counts here.
    EXPECT_TRUE(p.readAllStandardOutput().contains("/big.bin\t"));
    QProcess help;
    help.start(QStringLiteral(ROOMKIN_BINARY), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(60000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().startsWith("Usage: roomkin [options]\n"));
}

}  // namespace
}  // namespace rk

namespace rk {
namespace {

TEST_F(ReportsTest, ContentGroupsByteForByteWithABlankLineBetween) {
    tree.file("copy/notes.bak", std::int64_t(300 * 1024));  // the same zeros as notes.txt
    tree.file("a.log", QByteArray(20 * 1024, 'x'));
    tree.file("copy/b.log", QByteArray(20 * 1024, 'x'));
    for (const char* f : {"copy/notes.bak", "a.log", "copy/b.log"})
        tree.setTimes(f, 1999, 12, 31, 23, 59, 58);
    const QByteArray when = "\t12/31/99\t11:59:58 PM\t12/31/99\t";
    const ReportOutput r =
        report({"--report", "duplicates", "--content", "--drive", root}, {tree.root()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.text, "notes.bak     \t  300 K" + when + tree.root() + "/copy/\tbackup file\n" +
                          "notes.txt     \t  300 K" + when + tree.root() +
                          "/docs/\tplain text document\n");
    const ReportOutput all = report(
        {"--report", "duplicates", "--content", "--min-kb", "0", "--drive", root}, {tree.root()});
    EXPECT_EQ(all.text, r.text + "\n" + "a.log         \t   20 K" + when + tree.root() +
                            "/\tapplication log\n" + "b.log         \t   20 K" + when +
                            tree.root() + "/copy/\tapplication log\n");
    EXPECT_FALSE(parseCommandLine(argv({"--report", "hogs", "--content"})).ok());
    EXPECT_FALSE(parseCommandLine(argv({"--report", "duplicates", "--content", "--exact"})).ok());
}

}  // namespace
}  // namespace rk
