// The folder browser showing one folder, offscreen: the time from asking for the folder to
// the painted grid, the best of five warm showings.
//
//   QT_QPA_PLATFORM=offscreen bench_browse_window DIR

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

#include "browser/TfrmBrowse.h"
#include "common/Drives.h"
#include "platform/LinuxPlatform.h"
#include "ui/QtDialogService.h"
#include "ui/Services.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_browse_window DIR\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QByteArray folder = rk::LinuxPlatform::resolveDriveFolder(argv[1]);
    rk::LinuxPlatform platform;
    rk::QtDialogService dialogs;
    rk::DriveTable drives(platform);
    rk::TfrmBrowse window(rk::Services(platform, dialogs, drives));
    if (!window.openOn(folder, QStringLiteral("*.*"))) return 3;
    window.show();
    QCoreApplication::processEvents();
    qint64 best = 1 << 30;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        window.changeFolder(folder);
        window.grid->viewport()->repaint();
        QCoreApplication::processEvents();
        best = std::min(best, t.elapsed());
    }
    std::printf("window: %d rows shown in %lld ms (best of 5)\n", window.grid->results().rowCount(),
                static_cast<long long>(best));
    return 0;
}
