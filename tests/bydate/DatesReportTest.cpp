#include <gtest/gtest.h>

#include <QProcess>
#include <cerrno>
#include <tuple>

#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "app/CommandLine.h"
#include "app/Reports.h"
#include "common/TimeHelpers.h"

namespace rk {
namespace {

using test::TempTree;

std::tuple<int, QByteArray, QByteArray> runProgram(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(ROOMKIN_BINARY), args);
    p.waitForFinished(60000);
    return std::make_tuple(p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError());
}

TEST(DatesReportTest, TheProgramListsInWalkOrderAndAnswersWithItsExitStatus) {
    TempTree tree;
    tree.file("a/sub/inner.txt");
    tree.file("a/outer.txt");
    tree.file("a/new.txt");
    for (const char* f : {"a/sub/inner.txt", "a/outer.txt"})
        tree.setTimes(f, 2001, 5, 5, 23, 59, 59);
    const QString root = QString::fromLocal8Bit(tree.root());
    const QStringList dates{"--report", "dates", "--drive", root};
    const auto [ok, out, err] =
        runProgram(dates + QStringList{"--what", "modified", "--when", "between", "--start",
                                       "2001-05-05", "--end", "2001-05-05", "--pattern", "*.TXT"});
    ASSERT_EQ(ok, 0) << err.toStdString();
    // A folder's own files come after those of its sub-folders.
    const QList<QByteArray> lines = out.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2], "");
    EXPECT_TRUE(lines[0].startsWith("inner.txt     \t"));
    EXPECT_TRUE(lines[1].startsWith("outer.txt     \t"));
    const QList<QByteArray> fields = lines[1].split('\t');
    ASSERT_EQ(fields.size(), 6);
    const QByteArray day = shortDateText(QDate(2001, 5, 5)).toUtf8();
    EXPECT_EQ(fields[2], day);  // accessed, after created
    EXPECT_EQ(fields[3], day);
    EXPECT_EQ(fields[4], tree.path("a"));
    // The defaults: accessed today.
    const auto [today, todayOut, todayErr] = runProgram(dates);
    EXPECT_EQ(today, 0);
    EXPECT_EQ(todayOut.count('\n'), 1);
    EXPECT_TRUE(todayOut.startsWith("new.txt"));
    const auto [none, noneOut, noneErr] =
        runProgram(dates + QStringList{"--when", "after", "--start", "2999-01-01"});
    EXPECT_EQ(none, 1);
    EXPECT_EQ(noneOut, "");
    EXPECT_EQ(noneErr, "No files found.\n");
    for (const QStringList& bad : {QStringList{"--start", "2023-02-29"},
                                   {"--end", "2024-13-01"},
                                   {"--start", "1/2/24"},
                                   {"--when", "before", "--end", "2024-01-01"},
                                   {"--what", "born"},
                                   {"--min-kb", "5"},
                                   {"--exact"},
                                   {"--main"}}) {
        const auto [code, badOut, badErr] = runProgram(dates + bad);
        EXPECT_EQ(code, 2) << bad.join(' ').toStdString();
        EXPECT_EQ(badErr.count('\n'), 1);
    }
    const auto [other, otherOut, otherErr] =
        runProgram({"--report", "hogs", "--what", "created", "--drive", root});
    EXPECT_EQ(other, 2);
}

TEST(DatesReportTest, ADriveThatCannotBeOpenedFailsTheSearch) {
    TempTree tree;
    const QByteArray file = tree.file("kept.txt");
    std::vector<QByteArray> args{"roomkin", "--report", "dates", "--drive", tree.root()};
    const CommandLine cl = parseCommandLine(args);
    ASSERT_TRUE(cl.ok());
    test::TestPlatform p({tree.root()});
    p.failToOpen(tree.root(), EACCES);
    test::scriptedDialogs().clear();
    const int status = runReport(cl, p, test::scriptedDialogs(), stdout);
    EXPECT_EQ(status, 3);
    EXPECT_EQ(test::scriptedDialogs().texts(),
              QStringList{"Can't open drive " + QString::fromLocal8Bit(tree.root())});
}

}  // namespace
}  // namespace rk
