// The statistics window over a tree, offscreen: one whole run, timed, with the longest time
// the window went without handling its events (a timer asks every 10 ms); then a run that
// Cancel stops after CANCEL_AFTER ms (default 300), with the time from the press to the end
// of the run (CANCEL_AFTER=0: no second run).
//
//   QT_QPA_PLATFORM=offscreen bench_stats_window DIR
//
// Its memory beside the report's, on the same tree in one run:
//   build/bench/peak build/src/roomkin --report statistics --drive DIR >/dev/null
//   QT_QPA_PLATFORM=offscreen build/bench/peak build/bench/bench_stats_window DIR
#include <sys/resource.h>

#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "app/StderrDialogs.h"
#include "common/Drives.h"
#include "common/ScanJob.h"
#include "platform/LinuxPlatform.h"
#include "statistics/TfrmStatistics.h"
#include "ui/Services.h"

// The window's handler only starts its scan: the event loop runs it to its end.
static void waitForScans() {
    while (rk::ScanJob::runningCount() > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_stats_window DIR\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QByteArray root = rk::LinuxPlatform::resolveDriveFolder(argv[1]);
    rk::LinuxPlatform platform(rk::LinuxPlatform::Options{false, {root}});
    rk::StderrDialogs dialogs;  // the "will be scanned" notice takes its OK
    // The drive the window offers checked is the one the program starts in.
    if (::chdir(root.constData()) != 0) {
        std::perror(argv[1]);
        return 2;
    }
    rk::DriveTable drives(platform);
    rk::TfrmStatistics window(rk::Services(platform, dialogs, drives));
    window.show();

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
    window.btOKClick();
    waitForScans();
    const qint64 ms = total.elapsed();
    longest = std::max(longest, sinceTick.elapsed());
    const long long files = window.scanner().tallies().fileCount;

    const int after = qEnvironmentVariableIsSet("CANCEL_AFTER")
                          ? qEnvironmentVariableIntValue("CANCEL_AFTER")
                          : 300;
    QElapsedTimer sinceCancel;
    if (after > 0) {
        QTimer::singleShot(after, [&] {
            sinceCancel.start();
            window.btCancelClick();
        });
        window.btOKClick();
        waitForScans();
    }
    const qint64 cancelMs = sinceCancel.isValid() ? sinceCancel.elapsed() : -1;
    const long long cancelledAt = window.scanner().tallies().fileCount;
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "files %lld run_ms %lld longest_pause_ms %lld cancel_ms %lld (at %lld files) peak_kb %ld\n",
        files, (long long)ms, (long long)longest, (long long)cancelMs, cancelledAt,
        usage.ru_maxrss);
    return 0;
}
