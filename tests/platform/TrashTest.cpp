#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/Trash.h"
#include "platform/TrashInfo.h"
#include "support/FileChecks.h"
#include "support/ScopedDataHome.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"

namespace rk {
namespace {

using test::contents;
using test::exists;
using test::ScopedDataHome;
using test::TempTree;
using test::TestPlatform;

QByteArray infoLine(const QByteArray& info, const QByteArray& key) {
    for (const QByteArray& line : info.split('\n'))
        if (line.startsWith(key + '=')) return line.mid(key.size() + 1);
    return {};
}

std::uint64_t deviceOf(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 ? st.st_dev : 0;
}

const QByteArray uid = QByteArray::number(qulonglong(::getuid()));

TEST(Trash, HomeTrashIsCreatedAndGetsAnEscapedInfo) {
    ScopedDataHome home;
    TempTree t;
    TestPlatform p;
    const QByteArray name = "a b%\xc3\xbc.txt";
    const QByteArray first = t.file("one/" + name, QByteArray("first"));
    const qint64 before = QDateTime::currentSecsSinceEpoch();

    ASSERT_FALSE(exists(home.dataHome()));
    EXPECT_TRUE(p.offersTrash(t.path("one")));
    ASSERT_EQ(p.moveToTrash(first), 0);
    EXPECT_FALSE(exists(first));
    EXPECT_EQ(contents(home.trash() + "/files/" + name), "first");
    const QByteArray info = contents(home.trash() + "/info/" + name + ".trashinfo");
    EXPECT_TRUE(info.startsWith("[Trash Info]\n"));
    EXPECT_EQ(infoLine(info, "Path"), first.toPercentEncoding("/"));
    EXPECT_TRUE(infoLine(info, "Path").contains("a%20b%25%C3%BC.txt"));
    // Local time, without a zone: read back as local time it is now.
    const QByteArray date = infoLine(info, "DeletionDate");
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$")
                    .match(QString::fromLatin1(date))
                    .hasMatch());
    const qint64 at =
        QDateTime::fromString(QString::fromLatin1(date), Qt::ISODate).toSecsSinceEpoch();
    EXPECT_GE(at, before - 1);
    EXPECT_LE(at, QDateTime::currentSecsSinceEpoch() + 1);

    // A second file of the same name gets a name of its own; the first stays as it was.
    const QByteArray second = t.file("two/" + name, QByteArray("second"));
    ASSERT_EQ(p.moveToTrash(second), 0);
    EXPECT_EQ(contents(home.trash() + "/files/" + name), "first");
    const QByteArray renamed = "a b%\xc3\xbc.2.txt";
    EXPECT_EQ(contents(home.trash() + "/files/" + renamed), "second");
    EXPECT_EQ(infoLine(contents(home.trash() + "/info/" + renamed + ".trashinfo"), "Path"),
              second.toPercentEncoding("/"));

    // A real trash client sees both where they came from.
    const QString client = QStandardPaths::findExecutable(QStringLiteral("trash-list"));
    if (!client.isEmpty()) {
        QProcess list;
        list.start(client, {});
        ASSERT_TRUE(list.waitForFinished(30000));
        const QString out = QString::fromUtf8(list.readAllStandardOutput());
        EXPECT_TRUE(out.contains(QString::fromUtf8(first))) << out.toStdString();
        EXPECT_TRUE(out.contains(QString::fromUtf8(second))) << out.toStdString();
    }
}

TEST(Trash, LinkIsTrashedAsALinkAndNameClashesInFilesAreSkipped) {
    ScopedDataHome home;
    TempTree t;
    TestPlatform p;
    t.file("target/keep.txt", QByteArray("keep"));
    const QByteArray link = t.symlink("link", t.path("target"));
    // A stray file in the trash without its .trashinfo still holds its name.
    QDir().mkpath(QFile::decodeName(home.trash() + "/info"));
    QDir().mkpath(QFile::decodeName(home.trash() + "/files"));
    QFile stray(QFile::decodeName(home.trash() + "/files/link"));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.close();

    OpenedFolder folder = p.openFolder(t.root());
    ASSERT_EQ(p.moveToTrash(folder.handle, "link", link), 0);
    EXPECT_FALSE(exists(link));
    char target[512] = {};
    ASSERT_GT(::readlink((home.trash() + "/files/link.2").constData(), target, sizeof target - 1),
              0);
    EXPECT_EQ(QByteArray(target), t.path("target"));
    EXPECT_EQ(contents(t.path("target/keep.txt")), "keep");
    EXPECT_TRUE(exists(home.trash() + "/info/link.2.trashinfo"));
    EXPECT_FALSE(exists(home.trash() + "/info/link.trashinfo"));
}

// The home trash on another file system than the files: they go to their drive's trash.
class DriveTrash : public ::testing::Test {
protected:
    void SetUp() override {
        if (deviceOf("/dev/shm") == 0 || deviceOf("/dev/shm") == deviceOf(t.root()) ||
            ::access("/dev/shm", W_OK) != 0)
            GTEST_SKIP() << "needs a second writable file system at /dev/shm";
        home = std::make_unique<ScopedDataHome>(QStringLiteral("/dev/shm"));
        p.setTrashMountPoints([this](const QByteArray&) { return t.root(); });
    }
    TempTree t;
    TestPlatform p;
    std::unique_ptr<ScopedDataHome> home;
};

TEST_F(DriveTrash, UsesTheUsersTrashFolderWithRelativePaths) {
    const QByteArray a = t.file("sub/a.txt", QByteArray("a"));
    EXPECT_TRUE(p.offersTrash(t.path("sub")));
    ASSERT_EQ(p.moveToTrash(a), 0);
    const QByteArray trash = t.path(".Trash-" + uid);
    EXPECT_EQ(contents(trash + "/files/a.txt"), "a");
    EXPECT_EQ(infoLine(contents(trash + "/info/a.txt.trashinfo"), "Path"), "sub/a.txt");
    EXPECT_FALSE(exists(home->dataHome()));  // nothing was put in the home trash

    // A shared .Trash that is not sticky is not used.
    t.dir(".Trash");
    ::chmod(t.path(".Trash").constData(), 0777);
    ASSERT_EQ(p.moveToTrash(t.file("sub/b.txt", QByteArray("b"))), 0);
    EXPECT_EQ(contents(trash + "/files/b.txt"), "b");

    // A sticky one is: the user's folder in it is made.
    ::chmod(t.path(".Trash").constData(), 01777);
    ASSERT_EQ(p.moveToTrash(t.file("sub/c.txt", QByteArray("c"))), 0);
    EXPECT_EQ(contents(t.path(".Trash/" + uid + "/files/c.txt")), "c");
    EXPECT_EQ(infoLine(contents(t.path(".Trash/" + uid + "/info/c.txt.trashinfo")), "Path"),
              "sub/c.txt");
}

TEST_F(DriveTrash, SharedTrashInUseGetsNoTrashOfTheUsersOwnBeside) {
    t.dir(".Trash");
    ::chmod(t.path(".Trash").constData(), 01777);
    ASSERT_EQ(p.moveToTrash(t.file("sub/a.txt", QByteArray("a"))), 0);
    EXPECT_EQ(contents(t.path(".Trash/" + uid + "/files/a.txt")), "a");
    EXPECT_FALSE(exists(t.path(".Trash-" + uid)));
}

TEST_F(DriveTrash, NoUsableTrashLeavesTheFileWhereItIs) {
    const QByteArray a = t.file("sub/a.txt", QByteArray("a"));
    // The trash's name taken by a file, the shared one a link to a sticky folder.
    t.file(".Trash-" + uid, QByteArray("not a folder"));
    t.dir("elsewhere");
    ::chmod(t.path("elsewhere").constData(), 01777);
    t.symlink(".Trash", t.path("elsewhere"));

    EXPECT_FALSE(p.offersTrash(t.path("sub")));
    EXPECT_NE(p.moveToTrash(a), 0);
    EXPECT_EQ(contents(a), "a");
    EXPECT_FALSE(exists(t.path("elsewhere/" + uid)));
}

TEST(Trash, FolderMovedWholeIsRecordedInTheSizeCacheBesideOtherClientsLines) {
    ScopedDataHome home;
    TempTree t;
    TestPlatform p;
    ASSERT_TRUE(QDir().mkpath(QFile::decodeName(home.trash())));
    {
        QFile cache(QFile::decodeName(home.trash() + "/directorysizes"));
        ASSERT_TRUE(cache.open(QIODevice::WriteOnly));
        // Another client's folder, and a stale line of the name the new folder will take.
        cache.write("4096 1 Other one\n999 2 a%20b%25\n");
    }
    const QByteArray folder = t.path("x/a b%");
    t.file("x/a b%/f", QByteArray("f"));
    const OpenedFolder x = p.openFolder(t.path("x"));

    ASSERT_EQ(p.moveFolderToTrash(x.handle, "a b%", folder, 12345), 0);
    EXPECT_FALSE(exists(folder));
    EXPECT_EQ(contents(home.trash() + "/files/a b%/f"), "f");
    struct stat info {};
    ASSERT_EQ(::stat((home.trash() + "/info/a b%.trashinfo").constData(), &info), 0);
    EXPECT_EQ(
        contents(home.trash() + "/directorysizes"),
        "4096 1 Other one\n12345 " + QByteArray::number(qlonglong(info.st_mtime)) + " a%20b%25\n");
    // Written aside and renamed over the cache: nothing of the writing is left.
    EXPECT_EQ(
        QDir(QFile::decodeName(home.trash())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList({"directorysizes", "files", "info"}));
}

TEST(Trash, InfoTextEscapesAsUrlsAndReadsBackExactly) {
    const QByteArray text = trashInfoText("dir/with space/#1?.txt", 0);
    EXPECT_EQ(infoLine(text, "Path"), "dir/with%20space/%231%3F.txt");
    const QByteArray awkward("/a\nPath=/etc\n[x]\0%zz\xff", 22);
    const std::optional<TrashInfo> back = parseTrashInfo(trashInfoText(awkward, 0));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->path, awkward);
    EXPECT_FALSE(parseTrashInfo("[Trash Info]\nPath=/a%2\n"));  // a broken escape
    EXPECT_FALSE(parseTrashInfo("[Other]\nPath=/a\n"));
}

TEST(Trash, ThousandsOfFilesOfOneNameCostAFewNamesEach) {
    ScopedDataHome home;
    TempTree t;
    TestPlatform p;
    constexpr int count = 3000;
    std::vector<QByteArray> files;
    for (int i = 0; i < count; ++i)
        files.push_back(t.file("d" + QByteArray::number(i) + "/same.txt", QByteArray::number(i)));
    const std::uint64_t before = Trash::namesTried();
    for (const QByteArray& f : files)
        ASSERT_EQ(p.moveToTrash(f), 0) << f.constData();
    EXPECT_LE(Trash::namesTried() - before, std::uint64_t(count) * 5);
    const QDir trashed(QFile::decodeName(home.trash() + "/files"));
    EXPECT_EQ(trashed.entryList(QDir::Files).size(), count);
}

}  // namespace
}  // namespace rk
