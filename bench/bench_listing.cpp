// The browser's listing of one flat folder: the time to read it and fill the grid (warm, the
// best of five), the time of each sort item over those rows, and the grid's memory per row.
//
//   bench_listing DIR            measure the folder
//   bench_listing --make DIR N   first make DIR with N files (names, sizes, dates spread)

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "browser/BrowseColumns.h"
#include "browser/FolderListing.h"
#include "common/ResultGrid.h"
#include "platform/LinuxPlatform.h"

using namespace rk;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void make(const std::string& dir, long n) {
    ::mkdir(dir.c_str(), 0755);
    const char* const ext[] = {".txt", ".c", ".jpg", ".pdf", ".zip", ".log", ".doc", ""};
    for (long i = 0; i < n; ++i) {
        const std::string name = dir + "/File" + std::to_string((i * 7919) % n) + ext[i % 8];
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            std::perror(name.c_str());
            std::exit(1);
        }
        if (::ftruncate(fd, (i * 104729) % 5000000) != 0) std::exit(1);
        const std::int64_t t = 315532800 + (i * 86413) % 1400000000;  // 1980 onwards
        const struct timespec times[2] = {{t + 3600, 0}, {t, 0}};
        ::futimens(fd, times);
        ::close(fd);
    }
}

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::string(argv[1]) == "--make") {
        make(argv[2], std::atol(argv[3]));
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_listing DIR | bench_listing --make DIR N\n");
        return 2;
    }
    const QByteArray folder(argv[1]);
    LinuxPlatform platform;
    ResultGrid grid;
    grid.setSchema(BrowseColumns::schema());

    double best = 1e9;
    std::size_t files = 0;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const FolderListing listing = listBrowsedFolder(platform, folder, NamePattern());
        fillBrowseGrid(grid, folder, listing.files);
        best = std::min(best, secondsSince(start));
        files = listing.files.size();
    }
    std::printf("listing and grid: %zu files in %.3f s (best of 5)\n", files, best);

    const char* const names[] = {"name", "date", "access", "size", "type"};
    for (const char* name : names) {
        const FolderListing listing = listBrowsedFolder(platform, folder, NamePattern());
        fillBrowseGrid(grid, folder, listing.files);
        const auto start = std::chrono::steady_clock::now();
        sortBrowseGrid(grid, *browseSortNamed(name));
        std::printf("sort by %-6s %.3f s\n", name, secondsSince(start));
    }

    // The grid alone, once the listing it came from is gone.
    grid.clear();
    grid.trim(0);
    const std::size_t before = heapInUse();
    {
        const FolderListing listing = listBrowsedFolder(platform, folder, NamePattern());
        fillBrowseGrid(grid, folder, listing.files);
    }
    const std::size_t after = heapInUse();
    std::printf("grid memory: %.0f bytes per row (path %d bytes)\n",
                double(after - before) / double(std::max<std::size_t>(files, 1)),
                int(folder.size() + 12));
    return 0;
}
