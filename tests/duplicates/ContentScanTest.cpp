#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ContentScanFixture.h"
#include "FileChecks.h"
#include "RoomTree.h"
#include "common/TextHelpers.h"

namespace rk {
namespace {

TEST_F(ContentScanTest, ContentsDecideWhateverTheNamesAndTheFirstBlock) {
    const QByteArray text = bytes(6000, 'a', 'z');
    tree.file("one/report.txt", text);
    tree.file("two/copy of it.bak", text);
    tree.file("two/last byte differs", bytes(6000, 'a', 'y'));  // same first 4 KiB
    tree.file("three/one byte longer", text + 'z');
    tree.file("small/a", QByteArray("tiny"));
    tree.file("small/b", QByteArray("tiny"));
    tree.file("small/c", QByteArray("tiny"));
    tree.file("small/d", QByteArray("tinz"));
    // What could be freed is room on disk: the 6000 bytes' blocks once and a tiny file's
    // block twice. Where that ties, the longer files come first.
    const std::int64_t freeable = test::duBytes({tree.path("two/copy of it.bak")}) +
                                  2 * test::duBytes({tree.path("small/b")});
    EXPECT_EQ(run(), "{one/report.txt two/copy of it.bak} {small/a small/b small/c}");
    EXPECT_EQ(scan->groupCount(), 2u);
    EXPECT_EQ(scan->freeableBytes(), freeable);
    EXPECT_EQ(scan->unreadableFiles() + scan->changedFiles(), 0u);
}

TEST_F(ContentScanTest, AHardLinkIsTheSameFileNotACopy) {
    const QByteArray original = tree.file("a/original", bytes(5000, 'q', 'r'));
    ASSERT_EQ(::link(original.constData(), tree.path("b/link").constData()), -1);  // no folder
    tree.dir("b");
    ASSERT_EQ(::link(original.constData(), tree.path("b/link").constData()), 0);
    EXPECT_EQ(run(), "");
    tree.file("c/copy", bytes(5000, 'q', 'r'));
    const QString listed = run();
    // One name of the linked file and the copy: never both names.
    EXPECT_TRUE(listed == "{a/original c/copy}" || listed == "{b/link c/copy}")
        << listed.toStdString();
}

TEST_F(ContentScanTest, EmptyFilesAndTheSizeLimit) {
    tree.file("e1", std::int64_t(0));
    tree.file("e2", std::int64_t(0));
    tree.file("at1", bytes(1024, 'k', 'k'));
    tree.file("at2", bytes(1024, 'k', 'k'));
    tree.file("over1", bytes(1025, 'k', 'k'));
    tree.file("over2", bytes(1025, 'k', 'k'));
    EXPECT_EQ(run(1), "{over1 over2}");
    EXPECT_EQ(run(0), "{over1 over2} {at1 at2}");
}

TEST_F(ContentScanTest, ASparseFileEqualsADenseFileOfTheSameBytes) {
    const std::int64_t size = 3 * (1 << 20) + 123;  // segments, holes and a short tail
    sparse("sparse", size, 2 * (1 << 20) + 5, false);
    sparse("dense", size, 2 * (1 << 20) + 5, true);
    sparse("moved", size, 2 * (1 << 20) + 6, false);
    sparse("tail", size, size - 1, false);
    EXPECT_EQ(run(), "{dense sparse}");
}

TEST_F(ContentScanTest, FilesThatCannotBeReadOrChangeAreSkippedAndCounted) {
    const QByteArray text = bytes(9000, 'm', 'n');
    for (const char* name : {"keep1", "keep2", "locked", "broken", "grows", "touched"})
        tree.file(name, text);
    contents.failOpen[tree.path("locked")] = EACCES;
    contents.failRead[tree.path("broken")] = EIO;
    contents.growOnOpen = tree.path("grows");
    contents.touchOnRead = tree.path("touched");
    EXPECT_EQ(run(), "{keep1 keep2}");
    EXPECT_EQ(scan->unreadableFiles(), 2u);
    EXPECT_EQ(scan->changedFiles(), 2u);
    EXPECT_EQ(skippedFilesNote(2, 2), " (2 files could not be read, 2 files changed while read)");
    // The deletion's re-check knows each listed file as it was read.
    const MarkedFile hashed = scan->hashedFile(0);
    EXPECT_EQ(hashed.path, tree.path("keep1"));
    EXPECT_EQ(hashed.size, 9000);
    EXPECT_NE(hashed.inode, 0u);
}

TEST_F(ContentScanTest, AHashCollisionNeverMakesACopy) {
    collide = true;  // every block hashes alike
    tree.file("small/a", bytes(3000, 's', '1'));
    tree.file("small/b", bytes(3000, 's', '2'));
    tree.file("small/c", bytes(3000, 's', '1'));
    const std::int64_t big = 2 * (1 << 20) + 10;  // compared a segment at a time
    sparse("big/a", big, 7, true);
    sparse("big/b", big, 8, false);
    sparse("big/c", big, 7, false);
    EXPECT_EQ(run(), "{big/a big/c} {small/a small/c}");
    // Large files with one partner are compared without their whole hash.
    sparse("pair/a", big, big - 1, false);
    sparse("pair/b", big, big - 1, true);
    sparse("odd/a", big + 1, big, false);
    sparse("odd/b", big + 1, big - 1, false);
    EXPECT_EQ(run(), "{big/a big/c} {pair/a pair/b} {small/a small/c}");
}

// Files read whole once, at the size that skips the first block's hash and just beyond it; and
// more distinct files of a size than the first files kept: those beyond are read again to be
// compared, and one that cannot be then is skipped and its class goes.
TEST_F(ContentScanTest, FilesReadOnceAtTheBoundsAndBeyondTheKeptFirstFiles) {
    collide = true;
    for (const int size : {64 << 10, (64 << 10) + 1}) {
        const QByteArray folder = QByteArray::number(size);
        tree.file(folder + "/a", bytes(size, 'a', '1'));
        tree.file(folder + "/b", bytes(size, 'a', '2'));
        tree.file(folder + "/c", bytes(size, 'a', '1'));
    }
    for (int i = 0; i < 18; ++i)
        tree.file(QByteArray("w/") + char('a' + i), bytes(1 << 20, char('a' + i), 'x'));
    tree.file("w/s", bytes(1 << 20, 'r', 'x'));  // as w/r, the 18th, whose bytes are not kept
    tree.file("w/t", bytes(1 << 20, 'q', 'x'));  // as w/q, which fails when read again
    contents.opensLeft[tree.path("w/q")] = 1;
    tree.file("two/a", bytes(5000, 'p', '1'));  // two of a size are compared without a hash
    tree.file("two/b", bytes(5000, 'p', '2'));
    EXPECT_EQ(run(), "{w/r w/s} {65537/a 65537/c} {65536/a 65536/c}");
    EXPECT_EQ(scan->unreadableFiles(), 1u);
}

}  // namespace
}  // namespace rk

namespace rk {
namespace {

// Before the first marked copy of a group goes, a kept copy must still stand as it was read
// and hold the same bytes as the copy going, read now.
TEST_F(ContentScanTest, AKeptCopyHoldsOnlyAsItWasReadAndWithTheBytesOfTheCopyGoing) {
    const QByteArray text = bytes(9000, 'k', 'l');
    const QByteArray going = tree.file("going", text);
    const QByteArray kept = tree.file("kept", text);
    const QByteArray spare = tree.file("spare", text);
    const std::int64_t big = 2 * (1 << 20) + 10;
    const QByteArray holes = sparse("holes", big, 7, false);
    const QByteArray zeros = sparse("zeros", big, 7, true);
    ASSERT_EQ(run(), "{holes zeros} {going kept spare}");
    const auto holds = [&](std::size_t k, const QByteArray& path) {
        struct stat st {};
        EXPECT_EQ(::lstat(path.constData(), &st), 0);
        return scan->keptCopyHolds(k, path, st.st_dev, st.st_ino);
    };
    // Each listed file as read is what a mark would take of it now, to the nanosecond.
    EXPECT_EQ(scan->hashedFile(3), *markFile(installed.platform(), kept));
    EXPECT_TRUE(holds(0, zeros));  // holes read as the zeros written out in the other
    EXPECT_TRUE(holds(3, going));

    // The copy going rewritten in place, size and times kept: only its bytes tell.
    test::rewriteInPlace(going, "K");
    EXPECT_FALSE(holds(3, going));
    test::rewriteInPlace(going, "k");
    EXPECT_TRUE(holds(3, going));

    // Another file put in place of the one to go after it was checked is not compared.
    struct stat before {};
    ::lstat(going.constData(), &before);
    ::rename(tree.file("new", text).constData(), going.constData());
    EXPECT_FALSE(scan->keptCopyHolds(3, going, before.st_dev, before.st_ino));

    // The kept copy rewritten in place, even with its own bytes and times: it no longer
    // stands as it was read, and a mark would tell it too.
    test::rewriteInPlace(kept, "k");
    EXPECT_FALSE(holds(3, going));
    EXPECT_NE(scan->hashedFile(3), *markFile(installed.platform(), kept));
    EXPECT_TRUE(holds(4, going));  // the other unmarked copy still does
}

}  // namespace
}  // namespace rk
