// What a deletion of content duplicates pays for checking the copy it keeps. Searches DIR by
// content, then makes, for every group, the check the window makes before the group's first
// marked copy goes (the first listed copy kept, the second going; nothing is deleted):
//   identity  the kept copy's size, device, inode and last write in seconds (a stat): the
//             check before the bytes were compared;
//   bytes     its identity to the nanosecond of its last write and last change, and its bytes
//             compared with those of the copy going, both read now.
// cold: the page cache is dropped before each pass (as root), as for a deletion long after
// the search.
//   bench_kept_copy DIR [cold]
// The generator's files are mostly holes, which are not read: copies of random bytes show
// the full price, as 50 pairs of 4 MiB made in DIR by
//   for i in $(seq 50); do head -c 4M /dev/urandom >g$i.a; cp g$i.a g$i.b; done
#include <unistd.h>

#include <QElapsedTimer>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

#include "common/FileListDeletion.h"
#include "common/Services.h"
#include "duplicates/ContentScan.h"
#include "platform/LinuxPlatform.h"

namespace {

void dropCaches() {
    ::sync();
    std::FILE* f = std::fopen("/proc/sys/vm/drop_caches", "w");
    if (!f) {
        std::perror("drop_caches");
        return;
    }
    std::fputs("3\n", f);
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_kept_copy DIR [cold]\n");
        return 2;
    }
    const bool cold = argc > 2 && std::strcmp(argv[2], "cold") == 0;
    const QByteArray root = rk::LinuxPlatform::resolveDriveFolder(argv[1]);
    rk::LinuxPlatform platform(rk::LinuxPlatform::Options{false, {root}});
    rk::ContentScan scan(platform);
    QElapsedTimer timer;
    timer.start();
    scan.run({0, QStringLiteral("*.*"), platform.drives(), {}});
    const qint64 scanMs = timer.elapsed();

    // The first two listed files of each group: the one kept and the one going.
    std::vector<std::size_t> firsts;
    std::int64_t bytes = 0;
    for (std::size_t i = 0; i < scan.listedCount(); ++i)
        if (i == 0 || scan.groupOf(i) != scan.groupOf(i - 1)) {
            firsts.push_back(i);
            bytes += scan.hashedFile(i).size;
        }

    // One pass of a check over every group: how long it took and how many kept copies held.
    const auto pass = [&](const std::function<bool(std::size_t kept, const rk::MarkedFile& was,
                                                   const rk::MarkedFile& now)>& check) {
        if (cold) dropCaches();
        timer.start();
        std::size_t held = 0;
        for (const std::size_t k : firsts) {
            const rk::MarkedFile was = scan.hashedFile(k);
            const std::optional<rk::MarkedFile> now = rk::markFile(platform, was.path);
            held += now && check(k, was, *now);
        }
        return std::pair(timer.elapsed(), held);
    };
    const auto [identityMs, byIdentity] =
        pass([](std::size_t, const rk::MarkedFile& was, const rk::MarkedFile& now) {
            return now.size == was.size && now.modified == was.modified &&
                   now.device == was.device && now.inode == was.inode;
        });
    const auto [bytesMs, byBytes] =
        pass([&](std::size_t k, const rk::MarkedFile& was, const rk::MarkedFile& now) {
            const rk::MarkedFile going = scan.hashedFile(k + 1);
            return now == was && scan.keptCopyHolds(k, going.path, going.device, going.inode);
        });

    std::printf("groups %zu listed %zu kept_bytes %lld scan_ms %lld %s\n", firsts.size(),
                scan.listedCount(), (long long)bytes, (long long)scanMs, cold ? "cold" : "warm");
    std::printf("check identity_ms %lld (%zu held)  identity+bytes_ms %lld (%zu held)\n",
                (long long)identityMs, byIdentity, (long long)bytesMs, byBytes);
    return 0;
}
