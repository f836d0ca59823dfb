#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QFile>
#include <QProcess>
#include <cstdio>

#include "LoopImage.h"
#include "RoomTree.h"
#include "ScopedMount.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "app/CommandLine.h"
#include "app/Reports.h"
#include "common/Drives.h"
#include "duplicates/DupLinking.h"
#include "viewer/MemoryFile.h"
#include "viewer/PageCache.h"

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
ReportOutput report(const std::vector<QByteArray>& args, const std::vector<QByteArray>& drives,
                    std::int64_t driveSize = 0) {
    const CommandLine cl = parseCommandLine(args);
    EXPECT_TRUE(cl.ok()) << cl.error.toStdString();
    TestPlatform p(drives);
    // The big image is sparse; in these reports every file takes the room of its length.
    p.setRoomFollowsLength(true);
    if (driveSize > 0)
        for (const QByteArray& d : drives)
            p.setDriveSize(d, driveSize);
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = ::open_memstream(&buffer, &size);
    ReportOutput result;
    result.status = runReport(cl, p, test::scriptedDialogs(), out);
    std::fclose(out);
    result.text = QByteArray(buffer, qsizetype(size));
    std::free(buffer);
    return result;
}
ReportOutput report(const QStringList& args, const std::vector<QByteArray>& drives,
                    std::int64_t driveSize = 0) {
    return report(argv(args), drives, driveSize);
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
    // A group of originals alone is no group; one original in it leaves it listed ("doc" is
    // no folder of docs/notes.txt).
    tree.dir("doc");
    for (const QString& originals : {root + "/docs", root + "/docs/", root + "/doc"})
        EXPECT_EQ(report({"--report", "duplicates", "--originals", originals, "--drive", root},
                         {tree.root()})
                      .text,
                  expected)
            << originals.toStdString();
    const ReportOutput originals =
        report({"--report", "duplicates", "--originals", root, "--drive", root}, {tree.root()});
    EXPECT_EQ(originals.status, 1);
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

TEST(ReportNames, EveryReportWritesNamesAndPathsAsTheirExactBytes) {
    // Bytes that are not UTF-8 in a name and a folder, and a tab in a name: the windows show
    // them replaced, a report writes them as the system gave them.
    TempTree tree;
    const QByteArray odd = tree.dir("d\xe9");
    tree.file("caf\xe9.txt", std::int64_t(300 * 1024));
    tree.file("d\xe9/caf\xe9.txt", std::int64_t(300 * 1024));
    tree.file("d\xe9/tab\tname.bin", std::int64_t(301 * 1024));
    const auto run = [&](std::vector<QByteArray> args) {
        args.insert(args.begin(), "roomkin");
        const ReportOutput r = report(args, {tree.root()}, std::int64_t(10) << 30);
        EXPECT_EQ(r.status, 0) << args[2].constData();
        EXPECT_FALSE(r.text.contains("\xef\xbf\xbd")) << args[2].constData();  // U+FFFD
        return r.text;
    };
    const QByteArray name = "caf\xe9.txt      \t";  // padded as its text is
    for (const bool content : {false, true}) {
        std::vector<QByteArray> args{"--report", "duplicates", "--min-kb",
                                     "0",        "--drive",    tree.root()};
        if (content) args.push_back("--content");
        const QByteArray dups = run(args);
        EXPECT_EQ(dups.count(name), 2) << dups.constData();
        EXPECT_TRUE(dups.contains("\t" + odd + "/\t")) << dups.constData();
    }
    const QByteArray hogs = run({"--report", "hogs", "--min-kb", "0", "--drive", tree.root()});
    EXPECT_TRUE(hogs.contains("\t" + odd + "/caf\xe9.txt\t")) << hogs.constData();
    EXPECT_TRUE(hogs.contains("\t" + odd + "/tab\tname.bin\t")) << hogs.constData();
    const QByteArray folders = run({"--report", "folders", "--all", "--drive", tree.root()});
    EXPECT_TRUE(folders.contains("\t" + odd + "\n")) << folders.constData();
    const QByteArray dates = run({"--report", "dates", "--drive", tree.root()});
    EXPECT_TRUE(dates.contains("\n" + name)) << dates.constData();
    EXPECT_TRUE(dates.contains("\t" + odd + "\t")) << dates.constData();
    EXPECT_TRUE(dates.contains("tab\tname.bin")) << dates.constData();
    const QByteArray listing = run({"--report", "listing", "--folder", odd});
    EXPECT_EQ(listing.split('\n')[0].split('\t')[4], "caf\xe9.txt");
    EXPECT_TRUE(listing.contains("\ttab\tname.bin\t")) << listing.constData();
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

TEST(CommandLine, NumbersAreDigitsOnlyAndOneReportIsAsked) {
    const auto error = [](const QStringList& args) { return parseCommandLine(argv(args)).error; };
    for (const char* blank : {" 5", "5 ", "+5", "\t5", "", "0x5"})
        EXPECT_FALSE(error({"--report", "hogs", "--min-kb", blank}).isEmpty()) << blank;
    for (const char* option : {"--from", "--bytes"}) {
        for (const char* bad : {" 16", "16 ", "+16", "0x", "0x 10", "0x+10", "-0"})
            EXPECT_FALSE(error({"--report", "hex", "f", option, bad}).isEmpty()) << bad;
        const CommandLine hex = parseCommandLine(argv({"--report", "hex", "f", option, "0x1F"}));
        EXPECT_EQ(option == QLatin1String("--from") ? hex.from : hex.bytes, 31);
    }
    EXPECT_FALSE(error({"--report", "hex", "f", "--from", "99999999999999999999"}).isEmpty());
    EXPECT_FALSE(error({"--report", "hogs", "--report", "duplicates"}).isEmpty());
    EXPECT_FALSE(error({"--report", "hogs", "--report=hogs"}).isEmpty());
}

TEST(CommandLine, ThreadsAreAWholeNumberFrom1To64ForAReport) {
    const auto parsed = [](const QStringList& args) { return parseCommandLine(argv(args)); };
    for (const char* bad : {"0", "65", "-1", "+4", " 4", "4x", "", "0x4", "99999999999999999999"})
        EXPECT_FALSE(parsed({"--report", "hogs", "--threads", bad}).ok()) << bad;
    EXPECT_FALSE(parsed({"--threads", "4"}).ok());  // the windows pick their own
    EXPECT_EQ(parsed({"--report", "hogs", "--threads", "64"}).threads, 64);
    EXPECT_EQ(parsed({"--report", "hogs"}).threads, 0);
}

// A report's text without the drive's free and used space, which other programs change while
// the reports run.
QByteArray withoutFreeSpace(const QByteArray& text) {
    QByteArray kept;
    for (const QByteArray& line : text.split('\n'))
        if (!line.startsWith("Free Space on Drive") && !line.startsWith("Used Space on Drive"))
            kept += line + '\n';
    return kept;
}

TEST_F(ReportsTest, EveryReportIsTheSameWhateverTheThreads) {
    // Deep and wide, hidden folders, hard links and a link back to the root: the order of a
    // report must not depend on which worker read which folder first.
    QByteArray deep = "deep";
    for (int i = 0; i < 60; ++i)
        deep += "/" + QByteArray::number(i % 7);
    tree.file(deep + "/bottom.txt", std::int64_t(5000));
    for (int i = 0; i < 120; ++i)
        tree.file(
            "wide/" + QByteArray::number(i * 37 % 120) + "/f" + QByteArray::number(i % 9) + ".txt",
            std::int64_t(1000 + i % 5));
    tree.file(".hidden/h/inside.txt", std::int64_t(2000));
    ASSERT_EQ(::link(tree.path("docs/notes.txt").constData(),
                     tree.dir("wide/linked").append("/notes.txt").constData()),
              0);
    tree.symlink("wide/up", tree.root());
    const std::vector<QStringList> reports{{"hogs", "--min-kb", "0"},
                                           {"duplicates", "--min-kb", "0"},
                                           {"duplicates", "--content", "--min-kb", "0"},
                                           {"folders", "--all"},
                                           {"folders", "--main"},
                                           {"statistics"},
                                           {"dates", "--when", "after", "--start", "1990-01-01"}};
    for (const QStringList& kind : reports) {
        const QStringList args = QStringList{"--report"} + kind + QStringList{"--drive", root};
        const ReportOutput one = report(args + QStringList{"--threads", "1"}, {tree.root()});
        EXPECT_GT(one.text.count('\n'), 1) << kind.join(' ').toStdString();
        for (const char* threads : {"4", "13"}) {
            const ReportOutput many =
                report(args + QStringList{"--threads", threads}, {tree.root()});
            EXPECT_EQ(many.status, one.status) << kind.join(' ').toStdString() << threads;
            EXPECT_EQ(withoutFreeSpace(many.text), withoutFreeSpace(one.text))
                << kind.join(' ').toStdString() << threads;
        }
    }
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
    test::scriptedDialogs().clear();
    const int status = runReport(cl, p, test::scriptedDialogs(), stdout);
    EXPECT_EQ(status, 3);
    EXPECT_EQ(test::scriptedDialogs().texts(), QStringList{"Can't open drive " + root});
}

TEST_F(ReportsTest, AWalkStoppedByAnErrorSaysWhyInWords) {
    for (const char* kind : {"hogs", "statistics", "folders"}) {
        QStringList args{"--report", kind, "--drive", root};
        if (kind == QLatin1String("folders")) args << "--all";
        const CommandLine cl = parseCommandLine(argv(args));
        TestPlatform p({tree.root()});
        p.failToOpen(tree.path("docs"), EIO);
        test::scriptedDialogs().clear();
        const int status = runReport(cl, p, test::scriptedDialogs(), stdout);
        EXPECT_EQ(status, 3) << kind;
        EXPECT_EQ(test::scriptedDialogs().texts(),
                  QStringList{"The search stopped: Input/output error."})
            << kind;
    }
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

namespace rk {
namespace {

// A report of one file read through the opener given, with the messages it gave.
std::pair<ReportOutput, QStringList> fileReport(const QStringList& args,
                                                const ViewedFileOpener* opener = nullptr) {
    setViewedFileOpener(opener);
    test::scriptedDialogs().clear();
    const ReportOutput r = report(args, {});
    setViewedFileOpener(nullptr);
    return {r, test::scriptedDialogs().texts()};
}

TEST(FileReports, AFileThatShrinksWhileItIsReadFailsAfterWhatWasPrinted) {
    test::MemoryOpener opener;
    QByteArray bytes;
    while (bytes.size() < 3 * PageCache::pageSize)
        bytes += "string number " + QByteArray::number(bytes.size()) + ".";
    const auto shrinking = opener.add("f", bytes);
    const auto shrinkAfterFirstRead = [&] {
        shrinking->bytes = bytes;
        shrinking->reads = 0;
        shrinking->shrinkAtRead = 1;
        shrinking->shrinkTo = 5000;
    };
    shrinkAfterFirstRead();
    const auto [strings, stringsSaid] = fileReport({"--report", "strings", "f"}, &opener);
    EXPECT_EQ(strings.status, 3);
    EXPECT_EQ(stringsSaid, QStringList{"f changed while it was read."});
    // The first block's strings stay printed.
    EXPECT_TRUE(strings.text.startsWith("string number 0\n"));
    EXPECT_LT(strings.text.size(), 5000);

    shrinkAfterFirstRead();
    const auto [hex, hexSaid] = fileReport({"--report", "hex", "f"}, &opener);
    EXPECT_EQ(hex.status, 3);
    EXPECT_EQ(hexSaid, QStringList{"f changed while it was read."});
    EXPECT_EQ(hex.text.count('\n'), (5000 + 15) / 16);

    // A read that fails says why in words.
    shrinking->shrinkAtRead = -1;
    shrinking->failAfterReads = 1;
    for (const char* kind : {"strings", "hex"}) {
        shrinking->reads = 0;
        const auto [failed, failedSaid] = fileReport({"--report", kind, "f"}, &opener);
        EXPECT_EQ(failed.status, 3) << kind;
        EXPECT_EQ(failedSaid, QStringList{"Can't read f: Input/output error."}) << kind;
        EXPECT_FALSE(failed.text.isEmpty()) << kind;
    }
}

TEST(FileReports, WhatIsNotAFileOrFolderIsSaidInWords) {
    TempTree tree;
    const QByteArray file = tree.file("plain.txt", QByteArray("some text\n"));
    const QByteArray fifo = tree.path("fifo");
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const QByteArray folder = tree.dir("folder");
    const QByteArray missing = tree.path("missing");
    const auto said = [](const QStringList& args) {
        const auto [r, texts] = fileReport(args);
        EXPECT_EQ(r.status, 3) << args.join(' ').toStdString();
        EXPECT_EQ(r.text, "");
        return texts.join('|');
    };
    const auto shown = [](const QByteArray& path) { return QString::fromLocal8Bit(path); };
    for (const QByteArray& odd : {fifo, folder, QByteArray("/dev/null")})
        for (const char* kind : {"hex", "strings"})
            EXPECT_EQ(said({"--report", kind, shown(odd)}), shown(odd) + " is not a regular file.");
    EXPECT_EQ(said({"--report", "hex", shown(missing)}), "No such file: " + shown(missing));
    for (const QByteArray& odd : {file, fifo})
        EXPECT_EQ(said({"--report", "listing", "--folder", shown(odd)}),
                  shown(odd) + " is not a folder.");
    EXPECT_EQ(said({"--report", "listing", "--folder", shown(missing)}),
              "No such folder: " + shown(missing));
    tree.symlink("link", folder);
    EXPECT_EQ(said({"--report", "listing", "--folder", shown(tree.path("link"))}),
              shown(tree.path("link")) + " is not a folder.");  // a link is not followed
}

}  // namespace
}  // namespace rk

namespace rk {
namespace {

TEST(CommandLine, DedupeTakesAWayAKeepRuleAndOriginalsThatExist) {
    const auto parsed = [](const QStringList& args) { return parseCommandLine(argv(args)); };
    for (const QStringList& bad : {QStringList{"--dedupe", "copy"},
                                   {"--dedupe", "share", "--report", "duplicates"},
                                   {"--dedupe", "link", "--keep", "largest"},
                                   {"--keep", "oldest"},
                                   {"--dry-run"},
                                   {"--report", "hogs", "--originals", "/"},
                                   {"--dedupe", "share", "--exact"},
                                   {"--dedupe", "share", "--originals", "/no/such/folder"}})
        EXPECT_FALSE(parsed(bad).ok()) << bad.join(' ').toStdString();
    const CommandLine cl = parsed({"--dedupe", "link", "--keep", "shortest", "--originals", "/tmp",
                                   "--originals", "/", "--min-kb", "0", "--dry-run"});
    ASSERT_TRUE(cl.ok()) << cl.error.toStdString();
    EXPECT_EQ(cl.report, ReportKind::Dedupe);
    EXPECT_FALSE(cl.shareData);
    EXPECT_EQ(KeepRule(cl.keep), KeepRule::Shortest);
    EXPECT_EQ(cl.originals, (std::vector<QByteArray>{"/tmp", "/"}));
    EXPECT_TRUE(cl.dryRun);
    EXPECT_TRUE(parsed({"--report", "duplicates", "--content", "--originals", "/"}).ok());
}

TEST(Dedupe, TheProgramLinksAllButOneCopyAndSaysWhatItLeft) {
    const test::LoopImage fs("btrfs");
    if (!fs.ok()) GTEST_SKIP() << fs.reason();
    const QByteArray x(300 << 10, 'x');
    const QByteArray y(200 << 10, 'y');
    for (const char* f : {"orig/x", "a/x", "b/x"})
        test::plantFile(fs.root() + '/' + f, x);
    for (const char* f : {"a/y", "b/y"})
        test::plantFile(fs.root() + '/' + f, y);
    const QByteArray other = fs.root() + "/b/y";
    ASSERT_EQ(::chown(other.constData(), 1234, 4321), 0);
    const QString root = QString::fromLocal8Bit(fs.root());
    const QStringList args{"--originals", root + "/orig", "--min-kb", "0", "--drive", root};
    const auto inode = [&](const char* f) {
        struct stat st {};
        EXPECT_EQ(::stat((fs.root() + '/' + f).constData(), &st), 0);
        return st.st_ino;
    };
    const auto [dry, dryOut, dryErr] =
        runProgram(QStringList{"--dedupe", "link", "--dry-run"} + args);
    EXPECT_EQ(dry, 3) << dryErr.constData();  // b/y would stay: it has another owner
    EXPECT_EQ(dryOut.count("would link\t"), 2) << dryOut.constData();
    EXPECT_NE(inode("a/x"), inode("orig/x"));

    const auto [linked, out, err] = runProgram(QStringList{"--dedupe", "link"} + args);
    EXPECT_EQ(linked, 3);
    EXPECT_TRUE(out.contains("linked\t" + fs.root() + "/a/x\t" + fs.root() + "/orig/x\t"))
        << out.constData();
    EXPECT_TRUE(out.contains("2 files linked: ")) << out.constData();
    EXPECT_EQ(err, other + " was left as it was: the copies differ in owner or permissions.\n");
    EXPECT_EQ(inode("a/x"), inode("orig/x"));
    EXPECT_EQ(inode("b/x"), inode("orig/x"));
    EXPECT_NE(inode("a/y"), inode("b/y"));

    const auto [shared, sharedOut, sharedErr] =
        runProgram(QStringList{"--dedupe", "share", "--keep", "newest"} + args);
    EXPECT_EQ(shared, 0) << sharedErr.constData();
    EXPECT_TRUE(sharedOut.contains("The kernel deduplicated 204,800 bytes."))
        << sharedOut.constData();
    const auto [none, noneOut, noneErr] =
        runProgram({"--dedupe", "share", "--min-kb", "0", "--drive", root + "/orig"});
    EXPECT_EQ(none, 1);
    EXPECT_EQ(noneErr, "No copies to link.\n");
}

}  // namespace
}  // namespace rk
