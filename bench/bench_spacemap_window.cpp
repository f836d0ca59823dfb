// The space map's picture of a whole scanned tree: the first layout and paint at one size, and
// the repaint after the window is resized (laid out anew), offscreen.
//
//   bench_spacemap_window DIR [PICTURE.png]    (the map at 1600x1000, to look at)
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "platform/LinuxPlatform.h"
#include "spacemap/SpaceMapView.h"
#include "spacemap/SpaceTree.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: bench_spacemap_window DIR [PICTURE.png]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    rk::LinuxPlatform platform(rk::LinuxPlatform::Options{true, {argv[1]}});
    rk::SpaceScan scan(platform);
    if (!scan.run(argv[1])) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const rk::SpaceTree tree = scan.takeTree();
    rk::SpaceMapView view;
    view.resize(1200, 800);
    view.setTree(&tree);
    view.zoomTo(tree.root());
    QElapsedTimer clock;
    clock.start();
    (void)view.grab();
    const double firstMs = double(clock.nsecsElapsed()) / 1e6;
    std::printf("entries %zu  first paint at 1200x800 %.0f ms\n", tree.size(), firstMs);
    // Each size twice: the first time also sorts the folders it reaches first.
    for (int round = 0; round < 2; ++round)
        for (const QSize size : {QSize(1000, 700), QSize(1600, 1000), QSize(800, 600)}) {
            view.resize(size);
            clock.restart();
            (void)view.grab();
            std::printf("repaint after a resize to %dx%d: %.0f ms\n", size.width(), size.height(),
                        double(clock.nsecsElapsed()) / 1e6);
        }
    if (argc == 3) {
        view.resize(1600, 1000);
        view.grab().save(QString::fromLocal8Bit(argv[2]));
    }
    return 0;
}
