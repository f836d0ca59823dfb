// The space map's scan of a tree: the entries kept, the tree's own memory and what it comes to
// per file, the scan's wall time, and the squarified layout of the root's entries and of every
// folder below it (what painting the whole map lays out).
//
//   bench_spacemap DIR
#include <QElapsedTimer>
#include <cstdio>
#include <vector>

#include "platform/LinuxPlatform.h"
#include "spacemap/SpaceTree.h"
#include "spacemap/Treemap.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_spacemap DIR\n");
        return 2;
    }
    rk::LinuxPlatform platform(rk::LinuxPlatform::Options{true, {argv[1]}});
    rk::SpaceScan scan(platform);
    QElapsedTimer clock;
    clock.start();
    if (!scan.run(argv[1])) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const double scanMs = double(clock.nsecsElapsed()) / 1e6;
    const rk::SpaceTree& tree = scan.tree();
    const std::int64_t files = tree.files(tree.root());
    const std::int64_t folders = tree.folders(tree.root());
    std::printf("entries %zu  files %lld  folders %lld  room %lld\n", tree.size(), (long long)files,
                (long long)folders, (long long)tree.node(tree.root()).room);
    std::printf("tree memory %zu bytes: %.1f bytes per file, %.1f per entry\n", tree.memoryBytes(),
                double(tree.memoryBytes()) / double(std::max<std::int64_t>(files, 1)),
                double(tree.memoryBytes()) / double(tree.size()));
    std::printf("scan %.0f ms\n", scanMs);

    // Every folder laid out in its parent's rectangle, as the whole map is drawn.
    clock.restart();
    std::size_t rects = 0;
    struct Item {
        rk::SpaceTree::Index node;
        QRectF area;
    };
    std::vector<Item> stack{{tree.root(), QRectF(0, 0, 1920, 1080)}};
    while (!stack.empty()) {
        const Item item = stack.back();
        stack.pop_back();
        const std::vector<rk::SpaceTree::Index> children = tree.children(item.node);
        std::vector<std::int64_t> weights;
        weights.reserve(children.size());
        for (const rk::SpaceTree::Index c : children)
            weights.push_back(tree.node(c).room);
        const std::vector<QRectF> laid = rk::squarify(weights, item.area);
        rects += laid.size();
        for (std::size_t i = 0; i < children.size(); ++i)
            if (tree.folderOf(children[i]) && laid[i].width() >= 2 && laid[i].height() >= 2)
                stack.push_back({children[i], laid[i]});
    }
    std::printf("layout of the whole map: %zu rectangles in %.0f ms\n", rects,
                double(clock.nsecsElapsed()) / 1e6);
    return 0;
}
