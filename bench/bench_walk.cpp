// The folder walk over a tree, with a per-folder step that adds up the sizes of its files:
// prints the files, bytes and folders seen, the wall time of the walk and the peak memory.
// With --deep, DIR is first made (where it is missing) a chain of LEVELS folders, one inside
// the other, with a file at the bottom: the walk's memory must grow with the depth, not with
// its square. With --threads, the parallel walk reads ahead with N workers (0: as many as the
// machine has hardware threads, at most 8) and prints its CPU time too.
//
//   bench_walk [--threads N] DIR
//   bench_walk [--threads N] --deep LEVELS DIR
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/FolderWalk.h"
#include "common/ParallelWalk.h"
#include "platform/LinuxPlatform.h"

namespace {

// Far deeper than a path the system opens in one piece, so each level is made from the last.
bool makeChain(const char* root, long levels) {
    if (::access(root, F_OK) == 0) return true;
    if (::mkdir(root, 0755) != 0) return false;
    int fd = ::open(root, O_RDONLY | O_DIRECTORY);
    for (long i = 0; i < levels && fd >= 0; ++i) {
        if (::mkdirat(fd, "d", 0755) != 0) return false;
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    if (fd < 0) return false;
    ::close(::openat(fd, "leaf.txt", O_WRONLY | O_CREAT, 0644));
    ::close(fd);
    return true;
}

}  // namespace

// Adds up what the walk hands to its step.
struct Totals {
    std::uint64_t files = 0;
    std::int64_t bytes = 0;
    int deepest = 0;
    void add(const rk::FolderVisit& v) {
        deepest = std::max(deepest, v.depth);
        for (const rk::SearchRecord& r : v.entries) {
            if (r.isDotEntry()) continue;
            ++files;
            bytes += r.size;
        }
    }
};

int main(int argc, char** argv) {
    int threads = -1;  // the one-thread walk
    if (argc > 2 && std::strcmp(argv[1], "--threads") == 0) {
        threads = std::atoi(argv[2]);
        argc -= 2;
        argv += 2;
    }
    const bool deep = argc == 4 && std::strcmp(argv[1], "--deep") == 0;
    if (argc != 2 && !deep) {
        std::fprintf(stderr,
                     "usage: bench_walk [--threads N] DIR | bench_walk [--threads N] --deep LEVELS "
                     "DIR\n");
        return 2;
    }
    const char* dir = argv[argc - 1];
    if (deep && !makeChain(dir, std::atol(argv[2]))) {
        std::perror(dir);
        return 1;
    }
    rk::LinuxPlatform platform(rk::LinuxPlatform::Options{false, {dir}});
    const QByteArray root = rk::LinuxPlatform::resolveDriveFolder(dir);
    Totals totals;
    rk::WalkResult result;
    QElapsedTimer timer;
    timer.start();
    if (threads < 0) {
        bool abort = false;
        rk::FolderWalk walk(platform, abort);
        result = walk.walk(root, true, {}, [&](const rk::FolderVisit& v) { totals.add(v); });
    } else {
        rk::FolderStep step = [&](const rk::FolderVisit& v) { totals.add(v); };
        rk::StepSink sink(step);
        rk::ReaderSettings reader;
        reader.threads = threads;
        rk::ParallelWalk walk(platform, sink, reader);
        walk.start(root, true, {});
        result = walk.run();
    }
    const qint64 ms = timer.elapsed();
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const long cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
    std::printf(
        "entries %llu bytes %lld folders %llu depth %d skipped %llu time_ms %lld cpu_ms %ld "
        "peak_kb %ld\n",
        (unsigned long long)totals.files, (long long)totals.bytes,
        (unsigned long long)result.folders, totals.deepest,
        (unsigned long long)result.skippedFolders, (long long)ms, cpuMs, usage.ru_maxrss);
    return 0;
}
