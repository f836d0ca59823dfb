// The folder walk over a tree, with a per-folder step that adds up the sizes of its files:
// prints the files, bytes and folders seen, the wall time of the walk and the peak memory.
//
//   bench_walk DIR
#include <sys/resource.h>

#include <QElapsedTimer>
#include <cstdio>

#include "common/FolderWalk.h"
#include "platform/LinuxPlatform.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_walk DIR\n");
        return 2;
    }
    rk::LinuxPlatform platform(rk::LinuxPlatform::Options{false, {argv[1]}});
    bool abort = false;
    rk::FolderWalk walk(platform, abort);
    std::uint64_t files = 0;
    std::int64_t bytes = 0;
    QElapsedTimer timer;
    timer.start();
    const rk::WalkResult result = walk.walk(rk::LinuxPlatform::resolveDriveFolder(argv[1]), true,
                                            {}, [&](const rk::FolderVisit& v) {
                                                for (const rk::SearchRecord& r : v.entries) {
                                                    if (r.isDotEntry()) continue;
                                                    ++files;
                                                    bytes += r.size;
                                                }
                                            });
    const qint64 ms = timer.elapsed();
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("entries %llu bytes %lld folders %llu skipped %llu time_ms %lld peak_kb %ld\n",
                (unsigned long long)files, (long long)bytes, (unsigned long long)result.folders,
                (unsigned long long)result.skippedFolders, (long long)ms, usage.ru_maxrss);
    return 0;
}
