#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>

#include "TempTree.h"
#include "TestPlatform.h"
#include "common/TimeHelpers.h"
#include "platform/FileContents.h"

namespace rk {
namespace {

using test::TempTree;
using test::TestPlatform;

const SearchRecord* findEntry(const std::vector<SearchRecord>& entries, const QByteArray& name) {
    for (const SearchRecord& r : entries)
        if (r.name == name) return &r;
    return nullptr;
}

TEST(LinuxPlatform, ListingGivesAttributesSizesAndTimes) {
    TempTree t;
    t.file("plain.txt", std::int64_t(1234));
    t.file(".hidden", std::int64_t(1));
    t.file("readonly.txt", std::int64_t(5));
    ::chmod(t.path("readonly.txt").constData(), 0444);
    t.dir("sub");
    t.dir(".cache");
    t.symlink("link", "plain.txt");
    ::mkfifo(t.path("fifo").constData(), 0644);
    t.setTimes("plain.txt", 1998, 3, 14, 15, 9, 26);
    // A sparse file of 3 GB: its size is 64-bit and is not the room it takes.
    t.file("big.iso", std::int64_t(3) << 30);

    TestPlatform p;
    std::vector<SearchRecord> all;
    ASSERT_EQ(p.listFolder(t.root(), false, NamePattern(), includeEverything, all), 0);
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[0].name, ".");
    EXPECT_EQ(all[1].name, "..");
    EXPECT_EQ(all[0].attributes & attrDirectory, attrDirectory);
    EXPECT_EQ(all[0].attributes & attrHidden, 0);

    const SearchRecord* plain = findEntry(all, "plain.txt");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->size, 1234);
    EXPECT_EQ(plain->attributes, 0);
    EXPECT_EQ(fileDateText(plain->time), "3/14/98");
    EXPECT_EQ(fileTimeText(plain->time), "3:09:26 PM");
    EXPECT_EQ(findEntry(all, ".hidden")->attributes, attrHidden);
    EXPECT_EQ(findEntry(all, "readonly.txt")->attributes, attrReadOnly);
    EXPECT_EQ(findEntry(all, "sub")->attributes, attrDirectory);
    EXPECT_EQ(findEntry(all, ".cache")->attributes, attrDirectory | attrHidden);
    EXPECT_EQ(findEntry(all, "link")->attributes & (attrSystem | attrDirectory), attrSystem);
    EXPECT_EQ(findEntry(all, "link")->size, 0);  // the link, not its target
    EXPECT_EQ(findEntry(all, "fifo")->attributes & attrSystem, attrSystem);
    EXPECT_EQ(findEntry(all, "big.iso")->size, std::int64_t(3) << 30);

    // Include-set 16: folders and ordinary files; hidden and system entries are left out.
    std::vector<SearchRecord> walkSet;
    ASSERT_EQ(p.listFolder(t.root(), false, NamePattern(), includeWalk, walkSet), 0);
    EXPECT_TRUE(findEntry(walkSet, "sub"));
    EXPECT_TRUE(findEntry(walkSet, "readonly.txt"));
    EXPECT_FALSE(findEntry(walkSet, ".cache"));
    EXPECT_FALSE(findEntry(walkSet, "link"));
    // Include-set 41 with a pattern: files only.
    std::vector<SearchRecord> files;
    ASSERT_EQ(p.listFolder(t.root(), false, NamePattern("*.TXT"), 41, files), 0);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_TRUE(findEntry(files, "plain.txt") && findEntry(files, "readonly.txt"));
}

// A listing's names share blocks, one a read of the folder; each must still behave as a name
// of its own: kept after the listing goes, ended by a NUL, changed without changing another.
TEST(LinuxPlatform, NamesOfALargeListingOutliveItAndChangeAlone) {
    TempTree t;
    const QByteArray stem(200, 'n');
    for (int i = 0; i < 500; ++i)
        t.file(stem + QByteArray::number(i), std::int64_t(0));
    TestPlatform p;
    OpenedFolder opened = p.openFolder(t.root());
    std::vector<SearchRecord> entries;
    ASSERT_EQ(p.readFolder(opened.handle, false, entries), 0);
    ASSERT_EQ(entries.size(), 502u);
    EXPECT_EQ(entries[0].name, ".");
    EXPECT_EQ(entries[1].name, "..");
    std::vector<QByteArray> kept;
    for (const SearchRecord& e : entries)
        kept.push_back(e.name);
    entries.clear();
    entries.shrink_to_fit();
    kept[2].append("-changed");
    kept[3].truncate(1);
    std::sort(kept.begin() + 4, kept.end());
    for (std::size_t i = 4; i < kept.size(); ++i) {
        EXPECT_TRUE(kept[i].startsWith(stem)) << i;
        EXPECT_EQ(std::strlen(kept[i].constData()), std::size_t(kept[i].size()));
        EXPECT_TRUE(i + 1 == kept.size() || kept[i] != kept[i + 1]);
    }
    EXPECT_TRUE(kept[2].endsWith("-changed"));
    EXPECT_EQ(kept[3], "n");
}

TEST(LinuxPlatform, ADriveRootListsOnlyItsRealEntries) {
    TempTree t;
    t.file("a", std::int64_t(1));
    TestPlatform p({t.root()});
    std::vector<SearchRecord> entries;
    ASSERT_EQ(p.listFolder(t.root(), true, NamePattern(), includeEverything, entries), 0);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "a");
}

TEST(LinuxPlatform, VirtualDrivesAreResolvedFolders) {
    TempTree t;
    t.dir("one");
    t.symlink("alias", t.path("one"));
    TestPlatform p({t.path("alias"), t.path("missing"), t.path("one")});
    const std::vector<Drive> drives = p.drives();
    ASSERT_EQ(drives.size(),
              1u);  // the link resolves to the same folder; the missing one is dropped
    EXPECT_EQ(drives[0].mountPoint, t.path("one"));
    EXPECT_TRUE(drives[0].isVirtual);
    const std::optional<DriveSpace> space = p.driveSpace(drives[0].mountPoint);
    ASSERT_TRUE(space);
    EXPECT_GT(space->total, 0);
    EXPECT_GE(space->total, space->free);
    EXPECT_FALSE(p.driveSpace(t.path("missing")));
}

TEST(LinuxPlatform, SystemDriveTableHoldsTheRootFileSystem) {
    LinuxPlatform p;
    const std::vector<Drive> drives = p.drives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front().mountPoint, "/");
    for (const Drive& d : drives) {
        EXPECT_FALSE(d.mountPoint.startsWith("/proc")) << d.mountPoint.constData();
        EXPECT_FALSE(d.mountPoint.startsWith("/sys")) << d.mountPoint.constData();
    }
}

TEST(LinuxPlatform, OpeningNeverFollowsALink) {
    TempTree t;
    t.dir("real");
    t.symlink("link", t.path("real"));
    TestPlatform p;
    const int error = p.openFolder(t.path("link")).error;
    EXPECT_TRUE(error == ELOOP || error == ENOTDIR) << error;
    OpenedFolder parent = p.openFolder(t.root());
    ASSERT_TRUE(parent.handle.isOpen());
    EXPECT_FALSE(p.openSubFolder(parent.handle, "link", t.path("link")).handle.isOpen());
    EXPECT_TRUE(p.openSubFolder(parent.handle, "real", t.path("real")).handle.isOpen());
}

}  // namespace
}  // namespace rk

namespace rk {
namespace {

TEST(FileContents, ReadingLeavesTheLastAccessAlone) {
    // The files-by-access search must not find a file accessed because a search read it.
    test::TempTree t;
    const QByteArray path = t.file("seen.txt", QByteArray("some bytes"));
    const timespec twoDaysAgo{::time(nullptr) - 2 * 86400, 0};
    const timespec times[2] = {twoDaysAgo, {0, UTIME_OMIT}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
    FileContents contents;
    const OpenedFile file = contents.open(path, false);
    ASSERT_TRUE(file.isOpen());
    char bytes[16];
    EXPECT_EQ(contents.read(file, bytes, sizeof bytes, 0), 10);
    struct stat st {};
    ASSERT_EQ(::stat(path.constData(), &st), 0);
    if (::geteuid() != 0 && st.st_uid != ::geteuid()) GTEST_SKIP() << "not the file's owner";
    EXPECT_EQ(st.st_atim.tv_sec, twoDaysAgo.tv_sec);
}

}  // namespace
}  // namespace rk
