#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>

#include "InstalledPlatform.h"
#include "common/Deletion.h"
#include "common/Drives.h"
#include "common/MarkedFileList.h"
#include "common/Services.h"
#include "common/TextHelpers.h"
#include "platform/TrashInfo.h"
#include "support/FileChecks.h"
#include "support/MountHelper.h"
#include "support/RoomTree.h"
#include "support/ScopedDataHome.h"
#include "support/ScriptedDialogs.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "ui/FolderDeletionFlow.h"
#include "ui/Services.h"

namespace rk {
namespace {

using test::contents;
using test::exists;
using test::PlatformScope;
using test::ScopedDataHome;
using test::ScopedMounts;
using test::scriptedDialogs;
using test::TempTree;
using test::TestPlatform;

// The summary as the windows show it after a folder deletion.
void showSummary(const FolderTreeResult& result, bool recycledWording) {
    DriveTable drives(platform());
    showDeletionSummary(Services(platform(), scriptedDialogs(), drives), result, recycledWording);
}

// A platform that lets a test change the tree right after a folder has been read, as
// another program might while a deletion runs.
class MeddlingPlatform : public TestPlatform {
public:
    std::function<void(const QByteArray& path, std::vector<SearchRecord>& entries)> afterRead;

    int readFolder(const FolderHandle& folder, bool isDriveRoot,
                   std::vector<SearchRecord>& entries) const override {
        const int err = TestPlatform::readFolder(folder, isDriveRoot, entries);
        if (err == 0 && afterRead) afterRead(lastReadPath, entries);
        return err;
    }
};

QString question(const QByteArray& file, const char* what) {
    return QFile::decodeName(file) + QLatin1String(what) +
           QStringLiteral("delete this file and continue deleting other files? ");
}

class DeleteFolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override { scriptedDialogs().failWhenAsked = true; }
    FolderTreeResult deleteTree(const QByteArray& path, bool toBin = false) {
        return DeleteFolderTree(platform(), path, toBin, nullptr, std::nullopt, questions.ask());
    }
    FolderDeletion deleteFolder(const QByteArray& path, bool toBin) {
        return DeleteFolder(platform(), path, toBin, nullptr, std::nullopt, questions.ask());
    }
    TempTree t;
    test::ScriptedQuestions questions;
};

TEST_F(DeleteFolderTreeTest, HiddenFileAnsweredYesRemovesTheWholeTree) {
    const QByteArray old = t.dir("OLD");
    const QByteArray x = t.file("OLD/A/.x.txt", QByteArray(100, 'x'));
    const std::int64_t room = test::duBytes({x, t.file("OLD/y.txt", QByteArray(50, 'y'))});
    questions.answers.push_back(true);

    const FolderTreeResult r = deleteTree(old, false);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.files, 2);
    EXPECT_EQ(r.bytes, room);
    EXPECT_EQ(r.filesNotRemoved, 0);
    EXPECT_FALSE(exists(old));
    EXPECT_EQ(questions.asked, QStringList{question(x, " is hidden, ")});
    EXPECT_EQ(questions.cancelOffered, std::vector<bool>{true});
}

TEST_F(DeleteFolderTreeTest, HiddenFileAnsweredNoStopsTheRun) {
    const QByteArray old = t.dir("OLD");
    const QByteArray x = t.file("OLD/A/.x.txt", 100);
    const QByteArray y = t.file("OLD/y.txt", 50);
    std::vector<SearchRecord> listing;
    ASSERT_EQ(platform().listFolder(old, false, NamePattern(), includeEverything, listing), 0);
    const bool yFirst = listing[2].name == "y.txt";
    questions.answers.push_back(false);

    const FolderTreeResult r = deleteTree(old, false);
    EXPECT_FALSE(r.completed);
    EXPECT_TRUE(exists(x));
    EXPECT_TRUE(exists(t.path("OLD/A")));
    EXPECT_TRUE(exists(old));
    EXPECT_EQ(exists(y), !yFirst);
    EXPECT_EQ(r.files, yFirst ? 1 : 0);
    EXPECT_EQ(questions.asked.size(), 1);
}

TEST_F(DeleteFolderTreeTest, ReadOnlyHiddenFileAsksTwiceAndKeepsItsBitWhenKept) {
    const QByteArray kept = t.file("KEEP/.ro", 10);
    ::chmod(kept.constData(), 0444);
    questions.answers.push_back(true);
    questions.answers.push_back(false);
    FolderTreeResult r = deleteTree(t.path("KEEP"), false);
    EXPECT_FALSE(r.completed);
    EXPECT_TRUE(exists(kept));
    struct stat st {};
    ::stat(kept.constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0444u);  // the user kept the file: it is left as it was

    questions = {};
    const QByteArray gone = t.file("OLD/.ro", 10);
    ::chmod(gone.constData(), 0444);
    questions.answers.push_back(true);
    questions.answers.push_back(true);
    r = deleteTree(t.path("OLD"), false);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.files, 1);
    EXPECT_FALSE(exists(t.path("OLD")));
    EXPECT_EQ(questions.asked,
              QStringList({question(gone, " is read-only, "), question(gone, " is hidden, ")}));
}

TEST_F(DeleteFolderTreeTest, LinkToAFolderOutsideIsRemovedAsALink) {
    const QByteArray outside = t.dir("outside");
    t.file("outside/keep/f1", 5);
    t.file("outside/f2", 7);
    const QByteArray link = t.symlink("OLD/link", outside);
    const std::int64_t room = test::duBytes({t.file("OLD/z", QByteArray("abc"))});
    questions.answers.push_back(true);

    const FolderTreeResult r = deleteTree(t.path("OLD"), false);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.files, 2);
    EXPECT_EQ(r.bytes, room);  // the link takes no room of its own
    EXPECT_FALSE(exists(t.path("OLD")));
    EXPECT_TRUE(exists(t.path("outside/keep/f1")));
    EXPECT_TRUE(exists(t.path("outside/f2")));
    EXPECT_EQ(questions.asked, QStringList({question(link, " is a system file, ")}));
}

TEST_F(DeleteFolderTreeTest, FolderReplacedByALinkAfterListingIsNotFollowed) {
    MeddlingPlatform p;
    PlatformScope scope(p);
    t.file("outside/precious", 9);
    t.file("OLD/S/inner", 4);
    t.file("OLD/T/U/deep", 4);
    t.dir("moved");
    p.afterRead = [&](const QByteArray& path, std::vector<SearchRecord>&) {
        if (path == t.path("OLD")) {  // S is listed as a folder, then swapped for a link
            ::rename(t.path("OLD/S").constData(), t.path("moved/S").constData());
            ::symlink(t.path("outside").constData(), t.path("OLD/S").constData());
        }
        if (path == t.path("OLD/T/U")) {  // T is swapped while the run is inside it
            ::rename(t.path("OLD/T").constData(), t.path("moved/T").constData());
            ::symlink(t.path("outside").constData(), t.path("OLD/T").constData());
        }
    };

    deleteTree(t.path("OLD"), false);
    EXPECT_TRUE(exists(t.path("outside/precious")));
    EXPECT_TRUE(exists(t.path("moved/S/inner")));
    EXPECT_TRUE(exists(t.path("OLD/S")));  // the links are nothing the user was asked about
    EXPECT_TRUE(exists(t.path("OLD/T")));
    EXPECT_TRUE(questions.asked.isEmpty());
}

TEST_F(DeleteFolderTreeTest, DeepFolderMovedAwayDuringTheRunStopsIt) {
    MeddlingPlatform p;
    PlatformScope scope(p);
    QByteArray rel = "OLD";
    std::vector<QByteArray> levels;
    for (int i = 1; i <= 40; ++i) {
        rel += "/d";
        levels.push_back(rel);
        t.file(rel + "/f", 1);
    }
    const QByteArray precious = t.file("elsewhere/f", 1);  // named as the files of the tree
    // Deep enough that the folders above are found again through "..", which now leads
    // out of the tree.
    p.afterRead = [&](const QByteArray& path, std::vector<SearchRecord>& entries) {
        if (path == t.path(levels[33]))  // its file comes after the sub-folder
            std::stable_partition(entries.begin(), entries.end(),
                                  [](const SearchRecord& e) { return e.name != "f"; });
        if (path == t.path(levels[35]))
            ::rename(t.path(levels[34]).constData(), t.path("elsewhere/moved").constData());
    };

    const FolderTreeResult r = deleteTree(t.path("OLD"), false);
    EXPECT_FALSE(r.completed);
    EXPECT_TRUE(exists(precious));
    EXPECT_TRUE(exists(t.path("elsewhere/moved")));
    EXPECT_TRUE(exists(t.path(levels[33])));
}

TEST_F(DeleteFolderTreeTest, MountPointInsideIsNeitherEnteredNorRemoved) {
    MeddlingPlatform p;
    PlatformScope scope(p);
    t.file("OLD/mnt/on-other-drive", 8);
    t.dir("OLD/empty-mnt");
    t.file("OLD/a", 2);
    p.afterRead = [&](const QByteArray& path, std::vector<SearchRecord>& entries) {
        if (path != t.path("OLD")) return;
        for (SearchRecord& e : entries)
            if (e.name == "mnt" || e.name == "empty-mnt") ++e.device;
    };

    const FolderTreeResult r = deleteTree(t.path("OLD"), false);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.files, 1);
    EXPECT_TRUE(exists(t.path("OLD/mnt/on-other-drive")));
    EXPECT_TRUE(exists(t.path("OLD/empty-mnt")));
    EXPECT_FALSE(exists(t.path("OLD/a")));
}

TEST_F(DeleteFolderTreeTest, FileThatCannotBeDeletedIsNotCounted) {
    TestPlatform p;
    PlatformScope scope(p);
    const QByteArray a = t.file("OLD/a", QByteArray(100, 'a'));
    const QByteArray b = t.file("OLD/sub/b", QByteArray(1000, 'b'));
    const std::int64_t room = test::duBytes({a, t.file("OLD/c", QByteArray(200, 'c'))});
    p.failToRemove(b, EPERM);

    const FolderTreeResult r = deleteTree(t.path("OLD"), false);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.files, 2);
    EXPECT_EQ(r.bytes, room);
    EXPECT_EQ(r.filesNotRemoved, 1);
    EXPECT_TRUE(exists(b));
    EXPECT_EQ(deletionSummary(r, false), "Deleted 2 files for a savings of " +
                                             formatThousands(room) +
                                             " bytes. (1 file could not be deleted)");
}

TEST_F(DeleteFolderTreeTest, SavingsAreTheRoomFreedAndHardLinksKeepTheirs) {
    TestPlatform p;
    PlatformScope scope(p);
    const QByteArray plain = test::writeSparse(t, "OLD/plain.bin", 10000, {{0, 10000}});
    const QByteArray image = test::writeSparse(t, "OLD/image.img", 8 << 20, {{0, 4096}});
    const QByteArray kept = test::writeSparse(t, "OLD/kept.bin", 50000, {{0, 50000}});
    ASSERT_EQ(::link(kept.constData(), t.path("elsewhere.bin").constData()), 0);
    // Two names inside the tree: the second removed frees the file's room.
    const QByteArray both = test::writeSparse(t, "OLD/a/both.bin", 20000, {{0, 20000}});
    ASSERT_EQ(::link(both.constData(), (t.dir("OLD/b") + "/both.bin").constData()), 0);
    const std::int64_t freed = test::duBytes({plain, image, both});

    const FolderTreeResult r = deleteTree(t.path("OLD"), false);
    EXPECT_EQ(r.files, 5);
    EXPECT_EQ(r.bytes, freed);
    EXPECT_EQ(r.keptByLinks, 2);  // kept.bin, and the first name of both.bin
    EXPECT_TRUE(deletionSummary(r, false).contains(formatThousands(freed) + " bytes"));
    EXPECT_TRUE(deletionSummary(r, false).contains(keptByLinksNote(2)));
    EXPECT_GT(test::duBytes({t.path("elsewhere.bin")}), 0);
}

TEST(MarkedFileList, CountsTheRoomAFileFreesOnlyWhenEveryNameIsMarked) {
    TempTree t;
    const QByteArray one = test::writeWhole(t, "one.bin", 30000);
    const QByteArray twice = test::writeWhole(t, "twice.bin", 9000);
    const QByteArray again = t.path("again.bin");
    ASSERT_EQ(::link(twice.constData(), again.constData()), 0);
    MarkedFileList marks;
    marks.mark(platform(), one);
    marks.mark(platform(), twice);
    EXPECT_EQ(marks.bytes(), test::duBytes({one}));
    EXPECT_EQ(marks.keptByLinks(), 1);
    marks.mark(platform(), again);
    EXPECT_EQ(marks.bytes(), test::duBytes({one, twice}));
    EXPECT_EQ(marks.keptByLinks(), 0);
    ASSERT_TRUE(marks.unmark(twice));
    EXPECT_EQ(marks.bytes(), test::duBytes({one}));
    EXPECT_EQ(marks.keptByLinks(), 1);
}

TEST_F(DeleteFolderTreeTest, RecyclingPutsEveryFileInTheTrashAndRemovesTheFolders) {
    ScopedDataHome home;
    TestPlatform p;
    PlatformScope scope(p);
    const QByteArray f1 = t.file("OLD/sub/f1", QByteArray("one"));
    const QByteArray f2 = t.file("OLD/f2", QByteArray("two"));
    const QByteArray f3 = t.file("OLD/f3", QByteArray("three"));
    p.failToRemove(f3, EXDEV);
    p.failToTrashWhole(t.path("OLD"), EACCES);  // the trash will not take the folder whole
    const std::int64_t room = test::duBytes({f1, f2});

    const FolderTreeResult r = deleteTree(t.path("OLD"), true);
    EXPECT_FALSE(r.trashedWhole);
    EXPECT_EQ(r.piecemeal, TrashPiecemeal::TrashRefused);
    EXPECT_TRUE(deletionSummary(r, true).endsWith("(the trash could not take the folder whole (" +
                                                  QString::fromLocal8Bit(std::strerror(EACCES)) +
                                                  "), so its files went one by one)"));
    EXPECT_EQ(r.files, 2);
    EXPECT_EQ(r.bytes, room);
    EXPECT_EQ(r.filesNotRemoved, 1);
    EXPECT_TRUE(exists(home.trash() + "/files/f1"));
    EXPECT_TRUE(exists(home.trash() + "/files/f2"));
    EXPECT_TRUE(exists(home.trash() + "/info/f1.trashinfo"));
    EXPECT_FALSE(exists(t.path("OLD/sub")));
    EXPECT_TRUE(exists(f3));  // not trashed, and not deleted instead
    EXPECT_FALSE(exists(home.trash() + "/files/sub"));
}

TEST_F(DeleteFolderTreeTest, DeepTreeNeedsFewDescriptors) {
    // Deeper than a path can be long, built relative to each folder.
    int fd = ::open(t.dir("OLD").constData(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 2500; ++i) {
        ASSERT_EQ(::mkdirat(fd, "dd", 0755), 0);
        const int next = ::openat(fd, "dd", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ::close(::openat(fd, "bottom", O_WRONLY | O_CREAT, 0644));
    ::close(fd);
    const int before = test::openDescriptorCount();

    const FolderTreeResult r = deleteTree(t.path("OLD"), false);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.files, 1);
    EXPECT_FALSE(exists(t.path("OLD")));
    EXPECT_EQ(test::openDescriptorCount(), before);
}

TEST_F(DeleteFolderTreeTest, EmptyFolderIsRemovedWithoutTheTreeDeletion) {
    ScopedDataHome home;
    const QByteArray empty = t.dir("EMPTY");
    const FolderDeletion d = deleteFolder(empty, true);
    EXPECT_TRUE(d.removedEmpty);
    EXPECT_FALSE(exists(empty));
    EXPECT_FALSE(exists(home.trash()));  // removed, not recycled
    EXPECT_TRUE(questions.asked.isEmpty());

    t.file("FULL/f", 4);
    const FolderDeletion full = deleteFolder(t.path("FULL"), false);
    EXPECT_FALSE(full.removedEmpty);
    EXPECT_EQ(full.tree.files, 1);
    EXPECT_FALSE(exists(t.path("FULL")));
}

TEST_F(DeleteFolderTreeTest, MountsInsideAreLeftAloneBindMountsOfTheSameFileSystemToo) {
    ScopedMounts mounts;
    t.file("OLD/a", 2);
    const QByteArray source = t.file("source/kept", 5);
    if (!mounts.tmpfs(t.dir("OLD/ram")))
        GTEST_SKIP() << "mounting is not allowed here: " << std::strerror(mounts.error);
    const QByteArray onRam = t.file("OLD/ram/inside", 3);
    ASSERT_TRUE(mounts.bind(t.path("source"), t.dir("OLD/sub/bound")));

    const FolderTreeResult r = deleteTree(t.path("OLD"), false);
    EXPECT_EQ(r.files, 1);
    EXPECT_TRUE(exists(onRam));
    EXPECT_TRUE(exists(t.path("OLD/sub/bound/kept")));
    EXPECT_TRUE(exists(source));
    EXPECT_FALSE(exists(t.path("OLD/a")));
}

TEST_F(DeleteFolderTreeTest, MountPointItselfIsRefusedLikeADriveRoot) {
    ScopedMounts mounts;
    const QByteArray mnt = t.dir("MNT");
    if (!mounts.tmpfs(mnt))
        GTEST_SKIP() << "mounting is not allowed here: " << std::strerror(mounts.error);
    const QByteArray inside = t.file("MNT/inside", 3);
    t.dir("MNT/empty");

    EXPECT_EQ(folderProtection(platform(), mnt), FolderProtection::DriveRoot);
    const FolderDeletion d = deleteFolder(mnt, true);
    EXPECT_FALSE(d.removedEmpty);
    EXPECT_EQ(deleteTree(mnt, false).refused, FolderProtection::DriveRoot);
    EXPECT_TRUE(exists(inside));
    EXPECT_TRUE(exists(t.path("MNT/empty")));
    scriptedDialogs().failWhenAsked = false;
    showSummary(d.tree, true);
    EXPECT_EQ(scriptedDialogs().texts(), QStringList({rootFolderText}));
}

TEST_F(DeleteFolderTreeTest, AncestorSwappedForALinkAfterListingSendsNothingElsewhere) {
    t.file("real/OLD/f", 1);
    t.dir("real/EMPTY");
    const QByteArray precious = t.file("elsewhere/OLD/precious", 1);
    t.dir("elsewhere/EMPTY");
    const std::optional<FolderIdentity> listed = folderIdentity(platform(), t.path("real/OLD"));
    const std::optional<FolderIdentity> listedEmpty =
        folderIdentity(platform(), t.path("real/EMPTY"));
    ASSERT_TRUE(listed && listedEmpty);
    ::rename(t.path("real").constData(), t.path("moved").constData());
    ::symlink(t.path("elsewhere").constData(), t.path("real").constData());

    const FolderDeletion d = DeleteFolder(platform(), t.path("real/OLD"), false, nullptr, listed);
    EXPECT_TRUE(d.tree.topChanged);
    EXPECT_FALSE(
        DeleteFolder(platform(), t.path("real/EMPTY"), false, nullptr, listedEmpty).removedEmpty);
    EXPECT_TRUE(exists(precious));
    EXPECT_TRUE(exists(t.path("elsewhere/EMPTY")));
    EXPECT_TRUE(exists(t.path("moved/OLD/f")));
}

TEST_F(DeleteFolderTreeTest, UnreadableFolderIsCountedForAnUnprivilegedUser) {
    const std::int64_t room = test::duBytes({t.file("OLD/a", QByteArray("ab"))});
    t.file("OLD/locked/x", 1);
    t.file("OLD/locked/y", 1);
    ASSERT_EQ(QProcess::execute("chown", {"-R", "65534:65534", QFile::decodeName(t.root())}), 0);
    ::chmod(t.root().constData(), 0755);
    ::chmod(t.path("OLD/locked").constData(), 0);

    // The deletion runs in a child that has dropped root, which ignores mode 0; it reports
    // its summary through a pipe.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(2);
        const QByteArray text = deletionSummary(deleteTree(t.path("OLD"), false), false).toUtf8();
        ::_exit(::write(pipeFds[1], text.constData(), size_t(text.size())) == text.size() ? 0 : 3);
    }
    ::close(pipeFds[1]);
    QByteArray text;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, n);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(text, "Deleted 1 file for a savings of " + formatThousands(room).toUtf8() +
                        " bytes. (1 folder could not be read)");
    EXPECT_TRUE(exists(t.path("OLD/locked/x")));
}

TEST_F(DeleteFolderTreeTest, TrashingFilesDeeperThanAPathCanBeLong) {
    ScopedDataHome home;
    TestPlatform p;
    PlatformScope scope(p);
    p.failToTrashWhole(t.path("OLD"), EACCES);  // the trash will not take the folder whole
    const QByteArray level = "a-folder-level-of-the-tree";
    QByteArray deepPath = t.dir("OLD");
    int fd = ::open(deepPath.constData(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 250; ++i) {  // about 7 KB of path
        ASSERT_EQ(::mkdirat(fd, level.constData(), 0755), 0);
        const int next = ::openat(fd, level.constData(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        deepPath += "/" + level;
        if (i == 1) ::close(::openat(fd, "shallow", O_WRONLY | O_CREAT, 0644));
    }
    ::close(::openat(fd, "deep", O_WRONLY | O_CREAT, 0644));
    ::close(fd);

    const FolderTreeResult r = deleteTree(t.path("OLD"), true);
    EXPECT_EQ(r.files, 2);
    EXPECT_EQ(r.filesNotRemoved, 0);
    EXPECT_FALSE(exists(t.path("OLD")));
    const std::optional<TrashInfo> info =
        parseTrashInfo(contents(home.trash() + "/info/deep.trashinfo"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->path, deepPath + "/deep");
}

TEST_F(DeleteFolderTreeTest, FolderHoldingTheTrashIsNeitherTrashedNorDeleted) {
    ScopedDataHome home;
    const QByteArray kept = t.file("x/kept", 3);
    ASSERT_EQ(platform().moveToTrash(kept), 0);
    const QByteArray holder = home.dataHome().left(home.dataHome().lastIndexOf('/'));

    EXPECT_EQ(folderProtection(platform(), holder), FolderProtection::HoldsTrash);
    EXPECT_EQ(deleteTree(holder, true).refused, FolderProtection::HoldsTrash);
    EXPECT_EQ(deleteFolder(home.trash(), false).tree.refused, FolderProtection::HoldsTrash);
    EXPECT_TRUE(exists(home.trash() + "/files/kept"));
}

TEST_F(DeleteFolderTreeTest, SummaryTellsWhereFilesWentWhenTheHomeTrashIsUnusable) {
    ScopedDataHome home;
    TestPlatform p;
    PlatformScope scope(p);
    p.setTrashMountPoints([&](const QByteArray&) { return t.path("top"); });
    const std::int64_t room = test::duBytes({t.file("top/old/f", QByteArray("four"))});
    QDir().mkpath(QFile::decodeName(home.dataHome()));
    QFile blocker(QFile::decodeName(home.trash()));  // a file where the trash should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));

    const FolderTreeResult r = deleteTree(t.path("top/old"), true);
    const QByteArray used = t.path("top/.Trash-" + QByteArray::number(::getuid()));
    EXPECT_EQ(r.files, 1);
    EXPECT_TRUE(exists(used + "/files/old/f"));
    EXPECT_EQ(deletionSummary(r, true),
              "Recycled 1 file for a savings of " + formatThousands(room) +
                  " bytes. (the home trash could not be used: files were sent to the trash in " +
                  QFile::decodeName(used) + ")");
}

std::int64_t roomOf(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 ? std::int64_t(st.st_blocks) * 512 : -1;
}

// What the folder confirmation shows is what the deletion walks: files only in sub-folders,
// a file of two names, a sparse file, a link and empty folders.
TEST_F(DeleteFolderTreeTest, CountIsWhatTheDeletionRemovesInRoomHardLinksOnce) {
    const QByteArray a = t.file("OLD/A/a", QByteArray(5000, 'a'));
    t.dir("OLD/B");
    ASSERT_EQ(::link(a.constData(), t.path("OLD/B/a-again").constData()), 0);
    t.file("OLD/A/C/sparse", 1 << 20);  // a megabyte long, no room on disk
    t.symlink("OLD/A/C/link", t.dir("outside"));
    t.file("outside/not-counted", QByteArray(5000, 'x'));
    t.dir("OLD/empty");

    const FolderTreeCount c = CountFolderTree(platform(), t.path("OLD"));
    EXPECT_EQ(c.files, 4);
    EXPECT_EQ(c.folders, 4);
    EXPECT_TRUE(c.complete);
    EXPECT_EQ(c.bytes, roomOf(a));
    EXPECT_TRUE(exists(t.path("OLD/A/C/link")));  // counting deletes nothing

    questions.answers.push_back(true);  // the link is a system file
    EXPECT_EQ(deleteTree(t.path("OLD"), false).files, c.files);
    EXPECT_FALSE(exists(t.path("OLD")));
}

TEST_F(DeleteFolderTreeTest, CountThatCannotFinishOrIsGivenALinkSaysSo) {
    TestPlatform p;
    PlatformScope scope(p);
    t.file("OLD/a", QByteArray("x"));
    t.file("OLD/locked/b", QByteArray("y"));
    p.failToRead(t.path("OLD/locked"), EACCES);

    const FolderTreeCount c = CountFolderTree(platform(), t.path("OLD"));
    EXPECT_FALSE(c.complete);
    EXPECT_EQ(c.foldersNotRead, 1);
    EXPECT_EQ(c.files, 1);
    const QString text = folderTreeCountText(c);
    EXPECT_TRUE(text.startsWith("It holds at least 1 files and 1 folders")) << text.toStdString();
    EXPECT_TRUE(text.contains("could not be read")) << text.toStdString();

    const FolderTreeCount link = CountFolderTree(platform(), t.symlink("LINK", t.path("OLD")));
    EXPECT_TRUE(link.isLink);
    EXPECT_TRUE(folderTreeCountText(link).contains("link, not a folder"));
}

// Reached only through a path that changed: the link is neither removed nor followed.
TEST_F(DeleteFolderTreeTest, LinkGivenAsTheFolderIsRefusedLikeAMountPoint) {
    ScopedDataHome home;
    const QByteArray inside = t.file("real/f", QByteArray("f"));
    const QByteArray link = t.symlink("LINK", t.path("real"));
    for (int i = 0; i < 4; ++i)
        questions.answers.push_back(true);  // what a question about the link as a file would get
    for (const bool toBin : {false, true}) {
        const FolderDeletion d = deleteFolder(link, toBin);
        EXPECT_TRUE(d.tree.topIsLink);
        EXPECT_EQ(d.tree.files, 0);
    }
    EXPECT_TRUE(exists(link));
    EXPECT_EQ(contents(inside), "f");
    EXPECT_TRUE(questions.asked.isEmpty());
    const FolderTreeResult refused = deleteTree(link, false);
    scriptedDialogs().failWhenAsked = false;
    showSummary(refused, false);
    ASSERT_EQ(scriptedDialogs().asked.size(), 1u);
    EXPECT_EQ(scriptedDialogs().asked[0].kind, MessageKind::Error);
}

TEST_F(DeleteFolderTreeTest, FolderGoesToTheTrashWholeAfterTheQuestionsOfItsFiles) {
    ScopedDataHome home;
    const QByteArray old = t.path("OLD");
    t.file("OLD/sub/f1", QByteArray("one"));
    const QByteArray hidden = t.file("OLD/.hidden", QByteArray(6000, 'h'));
    t.dir("OLD/empty/deeper");
    const QByteArray files = home.trash() + "/files";

    questions.answers.push_back(false);  // the user keeps the hidden file: nothing goes
    FolderTreeResult r = deleteTree(old, true);
    EXPECT_FALSE(r.completed);
    EXPECT_EQ(r.files, 0);
    EXPECT_EQ(contents(t.path("OLD/sub/f1")), "one");
    EXPECT_FALSE(exists(files + "/OLD"));

    questions.answers.push_back(true);
    r = deleteTree(old, true);
    EXPECT_TRUE(r.completed);
    EXPECT_TRUE(r.trashedWhole);
    EXPECT_EQ(r.files, 2);
    EXPECT_EQ(questions.asked,
              QStringList({question(hidden, " is hidden, "), question(hidden, " is hidden, ")}));
    EXPECT_FALSE(exists(old));
    const auto names = [](const QByteArray& folder) {
        return QDir(QFile::decodeName(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    };
    EXPECT_EQ(names(files), QStringList({"OLD"}));
    EXPECT_EQ(names(home.trash() + "/info"), QStringList({"OLD.trashinfo"}));
    const std::optional<TrashInfo> info =
        parseTrashInfo(contents(home.trash() + "/info/OLD.trashinfo"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->path, old);

    // The trash's cache of folder sizes: the room as du counts it, the time of the .trashinfo.
    QProcess du;
    du.start(QStringLiteral("du"), {"-s", "-B1", QFile::decodeName(files + "/OLD")});
    ASSERT_TRUE(du.waitForFinished(30000));
    const QByteArray duRoom = du.readAllStandardOutput().split('\t').value(0);
    struct stat infoStat {};
    ASSERT_EQ(::stat((home.trash() + "/info/OLD.trashinfo").constData(), &infoStat), 0);
    EXPECT_EQ(contents(home.trash() + "/directorysizes"),
              duRoom + ' ' + QByteArray::number(qlonglong(infoStat.st_mtime)) + " OLD\n");
}

// Every entry below folder with its contents ("/" for a folder), to compare trees byte for
// byte.
std::map<QByteArray, QByteArray> treeContents(const QByteArray& folder) {
    std::map<QByteArray, QByteArray> tree;
    QDirIterator it(QFile::decodeName(folder),
                    QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QByteArray path = QFile::encodeName(it.next());
        tree[path.mid(folder.size())] = it.fileInfo().isDir() ? QByteArray("/") : contents(path);
    }
    return tree;
}

QString runClient(const QString& program, const QByteArray& folder, const QByteArray& input) {
    QProcess client;
    client.setWorkingDirectory(QFile::decodeName(folder));
    client.start(program, {});
    client.write(input);
    client.closeWriteChannel();
    return client.waitForFinished(60000) ? QString::fromUtf8(client.readAllStandardOutput())
                                         : QStringLiteral("(did not finish)");
}

TEST_F(DeleteFolderTreeTest, FolderTrashedWholeIsOneEntryThatATrashClientRestores) {
    const QString list = QStandardPaths::findExecutable(QStringLiteral("trash-list"));
    const QString restore = QStandardPaths::findExecutable(QStringLiteral("trash-restore"));
    if (list.isEmpty() || restore.isEmpty()) GTEST_SKIP() << "trash-cli is not installed";
    ScopedDataHome home;
    const QByteArray old = t.path("OLD");
    t.file("OLD/a.txt", QByteArray("text\n"));
    t.file("OLD/sub/b.bin", QByteArray("\0\xff\x01"
                                       "binary",
                                       9));
    t.file("OLD/sub/deeper/c", QByteArray(70000, 'c'));
    t.dir("OLD/empty/emptier");
    const std::map<QByteArray, QByteArray> before = treeContents(old);

    ASSERT_TRUE(deleteTree(old, true).trashedWhole);
    const QString listed = runClient(list, t.root(), {});
    EXPECT_EQ(listed.count(QLatin1Char('\n')), 1) << listed.toStdString();
    EXPECT_TRUE(listed.trimmed().endsWith(QFile::decodeName(old))) << listed.toStdString();

    runClient(restore, t.root(), "0\n");
    EXPECT_EQ(treeContents(old), before);
    EXPECT_EQ(runClient(list, t.root(), {}), "");
}

TEST_F(DeleteFolderTreeTest, TreeWithAMountInsideIsTrashedFileByFileAndTheMountKeptWhole) {
    ScopedDataHome home;
    ScopedMounts mounts;
    t.file("OLD/a", QByteArray("a"));
    if (!mounts.tmpfs(t.dir("OLD/ram")))
        GTEST_SKIP() << "mounting is not allowed here: " << std::strerror(mounts.error);
    const QByteArray onRam = t.file("OLD/ram/inside", QByteArray("r"));

    const FolderTreeResult r = deleteTree(t.path("OLD"), true);
    EXPECT_FALSE(r.trashedWhole);
    EXPECT_EQ(r.piecemeal, TrashPiecemeal::MountInside);
    EXPECT_EQ(r.files, 1);
    EXPECT_EQ(contents(home.trash() + "/files/a"), "a");
    EXPECT_EQ(contents(onRam), "r");
    EXPECT_TRUE(deletionSummary(r, true).contains("mounted inside the folder"))
        << deletionSummary(r, true).toStdString();
}

TEST(DeletionSummary, TellsWhatWasRemovedCanceledAndLeft) {
    FolderTreeResult r;
    EXPECT_EQ(deletionSummary(r, false), "");
    r.files = 1234;
    r.bytes = 56789012;
    EXPECT_EQ(deletionSummary(r, false), "Deleted 1,234 files for a savings of 56,789,012 bytes.");
    r.completed = false;
    r.bytes = 5000000000LL;
    EXPECT_EQ(deletionSummary(r, true),
              "Recycled 1,234 files for a savings of 5,000,000,000 bytes. (Note: Deletion "
              "operation canceled ... not all files deleted)");

    r = FolderTreeResult{};
    r.filesNotRemoved = 3;
    EXPECT_EQ(deletionSummary(r, false), "3 files could not be deleted.");
    scriptedDialogs().clear();
    showSummary(r, false);
    ASSERT_EQ(scriptedDialogs().asked.size(), 1u);
    EXPECT_EQ(scriptedDialogs().asked[0].kind, MessageKind::Error);

    scriptedDialogs().clear();
    showSummary(FolderTreeResult{}, false);
    EXPECT_TRUE(scriptedDialogs().asked.empty());
}

}  // namespace
}  // namespace rk
