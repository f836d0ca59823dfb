// The folder walk over a tree, with a per-folder step that adds up the sizes of its files:
// prints the files, bytes and folders seen, the wall time of the walk and the peak memory.
// With --deep, DIR is first made (where it is missing) a chain of LEVELS folders, one inside
// the other, with a file at the bottom: the walk's memory must grow with the depth, not with
// its square.
//
//   bench_walk DIR
//   bench_walk --deep LEVELS DIR
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/FolderWalk.h"
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

int main(int argc, char** argv) {
    const bool deep = argc == 4 && std::strcmp(argv[1], "--deep") == 0;
    if (argc != 2 && !deep) {
        std::fprintf(stderr, "usage: bench_walk DIR | bench_walk --deep LEVELS DIR\n");
        return 2;
    }
    const char* dir = argv[argc - 1];
    if (deep && !makeChain(dir, std::atol(argv[2]))) {
        std::perror(dir);
        return 1;
    }
    rk::LinuxPlatform platform(rk::LinuxPlatform::Options{false, {dir}});
    bool abort = false;
    rk::FolderWalk walk(platform, abort);
    std::uint64_t files = 0;
    std::int64_t bytes = 0;
    int deepest = 0;
    QElapsedTimer timer;
    timer.start();
    const rk::WalkResult result = walk.walk(rk::LinuxPlatform::resolveDriveFolder(dir), true, {},
                                            [&](const rk::FolderVisit& v) {
                                                deepest = std::max(deepest, v.depth);
                                                for (const rk::SearchRecord& r : v.entries) {
                                                    if (r.isDotEntry()) continue;
                                                    ++files;
                                                    bytes += r.size;
                                                }
                                            });
    const qint64 ms = timer.elapsed();
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "entries %llu bytes %lld folders %llu depth %d skipped %llu time_ms %lld peak_kb %ld\n",
        (unsigned long long)files, (long long)bytes, (unsigned long long)result.folders, deepest,
        (unsigned long long)result.skippedFolders, (long long)ms, usage.ru_maxrss);
    return 0;
}
