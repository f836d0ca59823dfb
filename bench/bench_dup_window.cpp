// The file-hog window over a tree, offscreen: scans with the size limit 0 and reports how long
// the scan took, how many rows it showed, and the longest time the window went without
// handling its events (a timer asks every 10 ms). With "folders", the folder-hog window lists
// all folders instead; with "names" (or "content"), the duplicate window searches by name (or
// by contents); with "sort", the file hogs are then sorted as the sort menu does, by path, size
// and date, each sort timed (its memory comes after the peak reported).
//
//   QT_QPA_PLATFORM=offscreen bench_dup_window DIR [folders|names|content|sort]
//
// Its memory beside the report's, on the same tree in one run:
//   build/bench/peak build/src/roomkin --report hogs --min-kb 0 --drive DIR >/dev/null
//   QT_QPA_PLATFORM=offscreen build/bench/peak build/bench/bench_dup_window DIR
#include <sys/resource.h>

#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QSpinBox>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/Drives.h"
#include "common/GridSort.h"
#include "common/ScanJob.h"
#include "duplicates/DupColumns.h"
#include "duplicates/TfrmDup.h"
#include "folderhogs/TfrmDirHog.h"
#include "platform/LinuxPlatform.h"
#include "ui/QtDialogService.h"
#include "ui/ResultGridView.h"
#include "ui/Services.h"

// The window's handler only starts its scan: the event loop runs it to its end.
static void waitForScans() {
    while (rk::ScanJob::runningCount() > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_dup_window DIR\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QByteArray root = rk::LinuxPlatform::resolveDriveFolder(argv[1]);
    rk::LinuxPlatform platform(rk::LinuxPlatform::Options{false, {root}});
    rk::QtDialogService dialogs;
    // The drive the window offers checked is the one the program starts in.
    if (::chdir(root.constData()) != 0) {
        std::perror(argv[1]);
        return 2;
    }
    rk::DriveTable drives(platform);
    const rk::Services services(platform, dialogs, drives);

    const bool folders = argc > 2 && std::strcmp(argv[2], "folders") == 0;
    const bool content = argc > 2 && std::strcmp(argv[2], "content") == 0;
    const bool sort = argc > 2 && std::strcmp(argv[2], "sort") == 0;
    std::unique_ptr<rk::ResultWindow> window;
    if (folders) {
        window = std::make_unique<rk::TfrmDirHog>(services);
    } else {
        const bool names = content || (argc > 2 && std::strcmp(argv[2], "names") == 0);
        auto dup = std::make_unique<rk::TfrmDup>(services, names);
        dup->findChild<QSpinBox*>(QStringLiteral("SpinEdit1"))->setValue(0);
        window = std::move(dup);
    }
    window->show();

    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longest = std::max(longest, sinceTick.restart()); });
    sinceTick.start();
    ticker.start();
    QElapsedTimer total;
    total.start();
    if (folders)
        static_cast<rk::TfrmDirHog&>(*window).btAllClick();
    else
        content ? static_cast<rk::TfrmDup&>(*window).btContentClick()
                : static_cast<rk::TfrmDup&>(*window).btScanClick();
    waitForScans();
    const qint64 ms = total.elapsed();
    longest = std::max(longest, sinceTick.elapsed());
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("rows %d scan_ms %lld longest_pause_ms %lld peak_kb %ld\n",
                window->grid->results().rowCount(), (long long)ms, (long long)longest,
                usage.ru_maxrss);
    if (sort) {
        rk::ResultGrid& rows = window->grid->results();
        const struct {
            const char* what;
            rk::SortKind kind;
            int column;
            bool descending;
        } sorts[] = {{"path", rk::SortKind::Text, rk::HogColumns::FileName, false},
                     {"size", rk::SortKind::Size, rk::HogColumns::Size, false},
                     {"modified", rk::SortKind::Date, rk::HogColumns::Modified, true}};
        for (const auto& s : sorts) {
            QElapsedTimer timer;
            timer.start();
            rk::SortGrid(rows, s.kind, 0, rows.rowCount() - 1, s.descending, s.column);
            std::printf("sort_%s_ms %lld\n", s.what, (long long)timer.elapsed());
        }
    }
    return 0;
}
