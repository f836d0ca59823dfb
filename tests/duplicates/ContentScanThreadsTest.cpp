#include <sys/stat.h>

#include <QDir>
#include <atomic>

#include "ContentScanFixture.h"
#include "InstalledPlatform.h"
#include "TestPlatform.h"
#include "common/DriveWalk.h"
#include "common/Services.h"

namespace rk {
namespace {

// The race checker's test program installs no services of its own: a platform without drives
// for the tree's to stand on (the whole suite's environment, set up later, replaces it).
class BasePlatform : public ::testing::Environment {
public:
    void SetUp() override {
        platform_ = std::make_unique<test::TestPlatform>();
        setPlatform(platform_.get());
    }

private:
    std::unique_ptr<test::TestPlatform> platform_;
};
[[maybe_unused]] const auto* const basePlatform =
    ::testing::AddGlobalTestEnvironment(new BasePlatform);

// The content search's reading handed to worker threads: these run under the race checker too.
class ContentScanThreads : public ContentScanTest {
protected:
    void TearDown() override { setWalkThreads(previousThreads); }
    const int previousThreads = walkThreads();
};

// Whatever reads the files (this thread alone, one worker or several), the same groups, the
// same files skipped and the same blocks hashed; with files that fail or change at each stage
// and a hash that makes every file of a size collide with its like.
TEST_F(ContentScanThreads, TheSameGroupsAndSkipsWhateverTheWorkers) {
    std::atomic<int> hashed = 0;
    hashBlock = [&](QByteArrayView b) {
        ++hashed;
        return ContentHash{std::uint64_t(b.size()), b.isEmpty() ? 0u : std::uint8_t(b[0])};
    };
    const QByteArray mid = bytes(200000, 'm', 'n');
    const std::int64_t big = 2 * (1 << 20) + 10;
    QString first;
    for (const int threads : {-1, 1, 4}) {
        // Made anew for each run: some change as they are read.
        tree.file("t/a", bytes(3000, 's', '1'));
        tree.file("t/b", bytes(3000, 's', '2'));
        tree.file("t/c", bytes(3000, 's', '1'));
        tree.file("t/d", bytes(3000, 'r', '1'));
        for (const char* name :
             {"m/a", "m/b", "m/locked", "m/gone", "m/broken", "m/grows", "m/touched"})
            tree.file(name, mid);
        tree.file("m/c", bytes(200000, 'm', 'o'));
        sparse("L/a", big, 7, true);
        sparse("L/b", big, 8, false);
        sparse("L/c", big, 7, false);
        sparse("L/d", big, 7, true);
        sparse("L/late1", big, 7, true);
        sparse("L/late2", big, 7, false);
        // Times of their own, so that each run lists the same dates.
        for (const char* folder : {"t", "m", "L"})
            for (const QString& name : QDir(tree.path(folder)).entryList(QDir::Files)) {
                const struct timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
                ::utimensat(AT_FDCWD, tree.path(folder) + '/' + name.toUtf8(), times, 0);
            }
        contents.failOpen = {{tree.path("m/locked"), EACCES}, {tree.path("m/gone"), ENOENT}};
        contents.failRead = {{tree.path("m/broken"), EIO}};
        contents.growOnOpen = tree.path("m/grows");
        contents.touchOnRead = tree.path("m/touched");
        // Hashed, then unreadable when the byte check comes to them.
        contents.opensLeft = {{tree.path("L/late1"), 2}, {tree.path("L/late2"), 2}};
        setWalkThreads(threads);
        hashed = 0;
        SCOPED_TRACE(threads);
        EXPECT_EQ(run(), "{L/a L/c L/d} {m/a m/b} {t/a t/c}");
        EXPECT_EQ(scan->unreadableFiles(), 4u);
        EXPECT_EQ(scan->changedFiles(), 3u);
        QString lines;
        scan->writeListed([&](QByteArrayView text, bool start) {
            lines += (start ? "\n" : "") + QString::fromUtf8(text);
        });
        lines += QString::number(hashed) + ' ' + QString::number(scan->freeableBytes());
        if (threads < 0) first = lines;
        EXPECT_EQ(lines, first);
    }
}

// Abort seen by this thread stops the workers inside the file each is reading, and no other
// file is begun; nothing half-checked is listed.
TEST_F(ContentScanThreads, AbortStopsInsideTheReadingAndListsNothingUnchecked) {
    const std::int64_t big = 8 * (1 << 20);
    for (const char* name : {"a", "b", "c", "d"})
        sparse(name, big, 1, true);
    ContentScan::Query q;
    q.sizeLimitKb = 0;
    q.drives = installed.table().drives();
    for (const int threads : {2, -1}) {
        SCOPED_TRACE(threads);
        setWalkThreads(threads);
        // The workers wait inside their first segment until Abort has been seen.
        contents.reads = 0;
        contents.gateAfter = 4;
        std::int64_t now = 0;
        ContentScan* running = nullptr;
        int readsAtAbort = -1;
        EventPump pump(
            [&] {
                if (contents.reads > 4 && readsAtAbort < 0) {
                    running->abort = true;
                    readsAtAbort = contents.reads;
                } else if (readsAtAbort >= 0) {
                    contents.openGate();
                }
            },
            0, [&] { return ++now; });
        ContentScan s(installed.platform(), &pump, &contents);
        running = &s;
        s.run(q);
        EXPECT_TRUE(s.incomplete());
        EXPECT_EQ(s.listedCount(), 0u);
        // Not the rest of an 8 MiB file, nor the next file: a block more by the other worker.
        EXPECT_LE(contents.reads, readsAtAbort + 1);
        EXPECT_FALSE(contents.gateTimedOut());
    }
}

}  // namespace
}  // namespace rk
