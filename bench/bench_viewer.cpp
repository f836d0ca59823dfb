// Times the viewer's model on one file, as the viewer window uses it, and prints the figures:
//   bench_viewer open FILE          opening and drawing the first screen (ms)
//   bench_viewer scroll FILE        a scroll step of one line, then of one screen (ms)
//   bench_viewer last FILE          going to the last line (s), with the line count
//   bench_viewer find FILE TEXT [i] a whole-file search (s); i folds letters
#include <QByteArray>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "viewer/FileViewModel.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int screen = 40;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::size_t drawScreen(rk::FileViewModel& model, std::int64_t top) {
    std::size_t bytes = 0;
    // As the window paints: down to the first line not (yet) known to be there.
    for (std::int64_t l = top; l < top + screen && model.lineExists(l); ++l)
        bytes += std::size_t(model.lineText(l).size());
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_viewer open|scroll|last|find FILE [TEXT [i]]\n");
        return 2;
    }
    const QByteArray what = argv[1];
    rk::FileViewModel model;
    const auto start = Clock::now();
    model.open(argv[2]);
    std::size_t sink = 0;
    if (what == "open") {
        // As the window paints: a scan into unknown lines gives up after its slice.
        model.scanSlice = 8 << 20;
        sink += drawScreen(model, 0);
        std::printf("open and first screen: %.3f ms (%lld bytes)\n", since(start) * 1000,
                    static_cast<long long>(model.fileSize()));
    } else if (what == "scroll") {
        // Start a long way in, as after dragging the bar, then step down.
        const std::int64_t from = 200000;
        sink += drawScreen(model, from);
        auto t = Clock::now();
        constexpr int steps = 2000;
        for (int i = 1; i <= steps; ++i) {
            model.noteCaretLine(from + i);
            sink += drawScreen(model, from + i);
        }
        std::printf("line step: %.4f ms\n", since(t) * 1000 / steps);
        t = Clock::now();
        for (int i = 1; i <= steps / 10; ++i) {
            model.noteCaretLine(from + steps + i * screen);
            sink += drawScreen(model, from + steps + i * screen);
        }
        std::printf("screen step: %.4f ms\n", since(t) * 1000 / (steps / 10));
    } else if (what == "last") {
        const std::int64_t lines = model.scanToEnd();
        sink += drawScreen(model, std::max<std::int64_t>(0, lines - screen));
        std::printf("last line: %.3f s (%lld lines)\n", since(start),
                    static_cast<long long>(lines));
    } else if (what == "find" && argc >= 4) {
        const bool fold = argc >= 5 && std::strcmp(argv[4], "i") == 0;
        const bool found = model.findInWholeFile(argv[3], false, !fold).has_value();
        std::printf("find%s: %.3f s (%s)\n", fold ? " -i" : "", since(start),
                    found ? "found" : "not found");
    } else {
        return 2;
    }
    return sink == 42 ? 1 : 0;
}
