// Builds a deterministic tree for the benchmarks: nested folders, files of spread-out sizes
// (mostly sparse, so a large tree costs little disk: each file takes a block, or a 256th of its
// length when that is more, so that ranking and totalling by room as the tools do means
// something; about 8 GB on disk for a million files), common names repeated across
// folders, hidden files and folders, symbolic links (to files, to folders, one loop), hard links,
// names that are not UTF-8, and dates from 1985 to 2026.
//
//   gentree DIR FILES [SEED]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const commonNames[] = {"readme.txt", "index.html", "setup.exe", "logo.png",
                                   "Makefile",   "notes.doc",  "data.csv",  "LICENSE",
                                   "config.ini", "thumbs.db"};
const char* const extensions[] = {".txt", ".c",   ".h",    ".jpg", ".png", ".mp3", ".pdf", ".zip",
                                  ".iso", ".doc", ".html", ".o",   ".so",  ".log", ""};

void die(const std::string& what) {
    std::perror(what.c_str());
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: gentree DIR FILES [SEED]\n");
        return 2;
    }
    const std::string root = argv[1];
    const long files = std::atol(argv[2]);
    std::mt19937_64 rng(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1995);
    const auto pick = [&](std::uint64_t n) { return std::uint64_t(rng() % n); };

    ::mkdir(root.c_str(), 0755);
    std::vector<std::string> folders{root};
    long made = 0;
    long folderCount = 0;
    const std::int64_t from = 473385600;  // 1985-01-01
    const std::int64_t to = 1796083200;   // 2026-12-01
    while (made < files) {
        // A new folder below a random existing one: the tree gets both depth and breadth.
        const std::string& parent = folders[pick(folders.size())];
        std::string folder =
            parent + "/" + (pick(40) == 0 ? ".hidden" : "dir") + std::to_string(folderCount++);
        if (pick(200) == 0) folder += "\xe9\xff";  // not UTF-8
        if (::mkdir(folder.c_str(), 0755) != 0) die(folder);
        folders.push_back(folder);
        const long here = 1 + long(pick(30));
        for (long i = 0; i < here && made < files; ++i, ++made) {
            std::string name;
            if (pick(8) == 0)
                name = commonNames[pick(10)];
            else
                name = "file" + std::to_string(made) + extensions[pick(15)];
            if (pick(50) == 0) name = "." + name;
            if (pick(500) == 0) name = "caf\xe9-" + name;
            const std::string path = folder + "/" + name;
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0) die(path);
            // Sizes spread over orders of magnitude, with a few files of several gigabytes.
            std::int64_t size = std::int64_t(1) << pick(24);
            size += std::int64_t(pick(std::uint64_t(size)));
            if (pick(20000) == 0) size = std::int64_t(3) << 30;
            if (::ftruncate(fd, size) != 0) die(path);
            // Room in proportion to the length, without writing it.
            const std::int64_t room = std::max(std::min<std::int64_t>(size, 4096), size / 256);
            if (room > 0 && ::posix_fallocate(fd, 0, room) != 0) die(path);
            ::close(fd);
            const std::int64_t when = from + std::int64_t(pick(std::uint64_t(to - from)));
            struct timespec times[2] = {{time_t(when + std::int64_t(pick(86400 * 30))), 0},
                                        {time_t(when), 0}};
            ::utimensat(AT_FDCWD, path.c_str(), times, 0);
            if (pick(100) == 0) ::symlink(name.c_str(), (path + ".lnk").c_str());
            if (pick(300) == 0)
                ::link(path.c_str(),
                       (folders[pick(folders.size())] + "/hard" + std::to_string(made)).c_str());
        }
        if (pick(150) == 0) ::symlink("..", (folder + "/up-loop").c_str());
        if (pick(150) == 0) ::symlink(root.c_str(), (folder + "/to-root").c_str());
    }
    std::printf("%ld files in %zu folders under %s\n", made, folders.size(), root.c_str());
    return 0;
}
