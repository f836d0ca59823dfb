#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "RoomTree.h"
#include "SpaceMapTesting.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "spacemap/ScanFile.h"
#include "spacemap/SpaceTree.h"

namespace rk {
namespace {

using test::TempTree;

// Names no JSON library would pass through unharmed: quotes, backslashes, control characters
// and bytes that are no UTF-8.
const QByteArray oddFolder("odd \"q\" back\\slash\ttab\nline \xff\xfe");
const QByteArray oddFile("caf\xe9 \x01\x1f\x7f.txt");

class ScanFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::makeRoomTree(tree);
        test::writeWhole(tree, oddFolder + "/" + oddFile, 6000);
        test::writeWhole(tree, ".hidden/h.bin", 12000);
        SpaceScan s(platform);
        ASSERT_TRUE(s.run(tree.root()));
        scanned = s.takeTree();
    }
    QByteArray write(const QByteArray& name, const QByteArray& data) const {
        QFile f(QFile::decodeName(files.filePath(QString::fromLatin1(name)).toLocal8Bit()));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return QFile::encodeName(f.fileName());
    }
    static QByteArray read(const QByteArray& path) {
        QFile f(QFile::decodeName(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    TempTree tree;
    QTemporaryDir files;
    test::TestPlatform platform{{tree.root()}};
    SpaceTree scanned;
};

TEST_F(ScanFileTest, AnExportReadsBackAsTheSameTreeWithExactNames) {
    const QByteArray data = exportScan(scanned, QStringLiteral("1.0"), 1700000000);
    EXPECT_TRUE(data.contains("\xff\xfe"));  // as the bytes they are, not escaped
    const ImportedScan back = importScan(data);
    ASSERT_TRUE(back.error.isEmpty()) << back.error.toStdString();
    EXPECT_EQ(back.timestamp, 1700000000);
    EXPECT_EQ(test::treeReport(back.tree), test::treeReport(scanned));
    const SpaceTree::Index odd = back.tree.find(tree.path(oddFolder + "/" + oddFile));
    ASSERT_NE(odd, SpaceTree::none);
    EXPECT_EQ(back.tree.name(odd), oddFile);
    // A second link keeps what it needs to be counted once by the next reader too.
    const SpaceTree::Index link = back.tree.find(tree.path("media/same.bin"));
    ASSERT_NE(back.tree.links(link), nullptr);
    EXPECT_EQ(back.tree.links(link)->links, 2U);
}

TEST_F(ScanFileTest, NcduReadsAnExportAndWritesTheSameTree) {
    if (!test::installed("ncdu")) GTEST_SKIP() << "ncdu is not installed";
    const QByteArray in = write("in.json", exportScan(scanned, QStringLiteral("1.0"), 0));
    const QByteArray out = QFile::encodeName(files.filePath(QStringLiteral("out.json")));
    const test::ToolRun ncdu =
        test::runTool(QStringLiteral("ncdu"), {QStringLiteral("-f"), QFile::decodeName(in),
                                               QStringLiteral("-o"), QFile::decodeName(out)});
    ASSERT_TRUE(ncdu.ok) << ncdu.err.toStdString();
    const ImportedScan back = importScan(read(out));
    ASSERT_TRUE(back.error.isEmpty()) << back.error.toStdString();
    EXPECT_EQ(test::treeReport(back.tree), test::treeReport(scanned));
}

TEST_F(ScanFileTest, GduReadsAnExport) {
    if (!test::installed("gdu")) GTEST_SKIP() << "gdu is not installed";
    const QByteArray in = write("in.json", exportScan(scanned, QStringLiteral("1.0"), 0));
    const test::ToolRun gdu =
        test::runTool(QStringLiteral("gdu"),
                      {QStringLiteral("-f"), QFile::decodeName(in), QStringLiteral("-n"),
                       QStringLiteral("-p"), QStringLiteral("-c"), QStringLiteral("--no-prefix")});
    ASSERT_TRUE(gdu.ok) << gdu.err.toStdString();
    // Its lines: room in bytes, then "/" and the name of each entry of the root.
    for (const char* folder : {"disk", "small", ".hidden"}) {
        const std::int64_t room = scanned.node(scanned.find(tree.path(folder))).room;
        EXPECT_TRUE(gdu.out.contains(QByteArray::number(room) + " /" + folder))
            << folder << ": " << gdu.out.toStdString();
    }
}

TEST_F(ScanFileTest, AScanNcduWroteReadsAsTheSameTreeAsOurScan) {
    if (!test::installed("ncdu")) GTEST_SKIP() << "ncdu is not installed";
    const QByteArray out = QFile::encodeName(files.filePath(QStringLiteral("ncdu.json")));
    const test::ToolRun ncdu = test::runTool(
        QStringLiteral("ncdu"), {QStringLiteral("-x"), QStringLiteral("-o"), QFile::decodeName(out),
                                 QFile::decodeName(tree.root())});
    ASSERT_TRUE(ncdu.ok) << ncdu.err.toStdString();
    const ImportedScan imported = importScan(read(out));
    ASSERT_TRUE(imported.error.isEmpty()) << imported.error.toStdString();
    EXPECT_EQ(test::treeReport(imported.tree), test::treeReport(scanned));
}

TEST(ScanFileImport, WhatIsNoExportIsRefusedWithAReason) {
    const QByteArray good =
        "[1,2,{},[{\"name\":\"/x\",\"dsize\":4096},{\"name\":\"f\",\"dsize\":8}]]";
    ASSERT_TRUE(importScan(good).error.isEmpty());
    for (const QByteArray& bad :
         {QByteArray(), QByteArray("not json"), good.left(good.size() - 3), good + " [",
          QByteArray("[2,0,{},[{\"name\":\"/x\"}]]"), QByteArray("[1,0,{},[{\"asize\":1}]]"),
          QByteArray("[1,0,{}]"), QByteArray("[1,0,{},[{\"name\":\"/x\"},{\"name\":\"a\\u00")}) {
        const ImportedScan r = importScan(bad);
        EXPECT_FALSE(r.error.isEmpty()) << bad.toStdString();
        EXPECT_TRUE(r.tree.empty()) << bad.toStdString();
    }
}

TEST(ScanFileImport, AnyDepthAndEscapedNamesAreRead) {
    constexpr int depth = 20000;
    QByteArray data = "[1,2,{\"progname\":\"x\",\"extra\":[1,{\"a\":[true,null]}]},\n";
    for (int i = 0; i < depth; ++i)
        data += i == 0 ? "[{\"name\":\"/r\"}" : ",[{\"name\":\"d\",\"unknown\":{\"k\":[1,2]}}";
    data += ",{\"name\":\"\\u00e9\\ud83d\\ude00\\\"\",\"dsize\":512,\"excluded\":false}";
    data += QByteArray(depth, ']') + "]";
    const ImportedScan r = importScan(data);
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(r.tree.folders(r.tree.root()), depth - 1);
    EXPECT_EQ(r.tree.node(r.tree.root()).room, 512);
    EXPECT_EQ(r.tree.name(r.tree.size() - 1), QByteArray("\xc3\xa9\xf0\x9f\x98\x80\""));
}

}  // namespace
}  // namespace rk
