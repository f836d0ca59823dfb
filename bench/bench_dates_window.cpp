// The files-by-date window over a tree, offscreen: a search that lists every file (last
// modified on or before 31 December 2999), then the whole list sorted by modification date.
// Reports the rows, the scan's time, the longest time the window went without handling its
// events (a timer asks every 10 ms), the sort's time, the bytes of the rows' records and the
// peak memory.
//
//   QT_QPA_PLATFORM=offscreen bench_dates_window DIR
//
// The peak of a search that lists nothing (NONE as a second argument) is the baseline the
// rows' memory is measured above: bench/dates.sh runs both.
#include <sys/resource.h>

#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "bydate/TfrmMods.h"
#include "common/Drives.h"
#include "common/ScanJob.h"
#include "common/TimeHelpers.h"
#include "platform/LinuxPlatform.h"
#include "ui/QtDialogService.h"
#include "ui/ResultGridView.h"
#include "ui/Services.h"
#include "ui/SortMenu.h"

namespace {

// Answers every message box at once, so a search that finds nothing does not wait.
class SilentDialogs : public rk::QtDialogService {
public:
    rk::Button message(const rk::MessageRequest& request) override { return request.defaultButton; }
};

}  // namespace

// The window's handler only starts its scan: the event loop runs it to its end.
static void waitForScans() {
    while (rk::ScanJob::runningCount() > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_dates_window DIR [NONE]\n");
        return 2;
    }
    const bool none = argc > 2 && std::strcmp(argv[2], "NONE") == 0;
    QApplication app(argc, argv);
    const QByteArray root = rk::LinuxPlatform::resolveDriveFolder(argv[1]);
    rk::LinuxPlatform platform(rk::LinuxPlatform::Options{false, {root}});
    SilentDialogs dialogs;
    // The drive the window offers checked is the one the program starts in.
    if (::chdir(root.constData()) != 0) {
        std::perror(argv[1]);
        return 2;
    }
    rk::DriveTable drives(platform);
    rk::TfrmMods window(rk::Services(platform, dialogs, drives));
    window.show();
    window.setWhat(int(rk::DateField::Modified));
    window.setWhen(int(none ? rk::DateRelation::OnOrAfter : rk::DateRelation::OnOrBefore));
    window.findChild<QLineEdit*>(QStringLiteral("dtStart"))
        ->setText(rk::shortDateText(QDate(2999, 12, 31)));

    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longest = std::max(longest, sinceTick.restart()); });
    sinceTick.start();
    ticker.start();
    QElapsedTimer clock;
    clock.start();
    window.btOKClick();
    waitForScans();
    const qint64 scanMs = clock.elapsed();
    longest = std::max(longest, sinceTick.elapsed());
    ticker.stop();

    std::int64_t recordBytes = 0;
    window.grid->results().visitRecords(
        [&](QByteArrayView record, QByteArrayView) { recordBytes += record.size(); });
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    clock.restart();
    window.findChild<rk::SortMenu*>(QStringLiteral("PopupMenu1"))
        ->choose(window.findChild<QAction*>(QStringLiteral("SortbyWrittentodate")));
    const qint64 sortMs = clock.elapsed();
    std::printf(
        "rows %d scan_ms %lld longest_pause_ms %lld sort_by_date_ms %lld "
        "record_bytes %lld peak_kb %ld\n",
        window.rowsFilled, (long long)scanMs, (long long)longest, (long long)sortMs,
        (long long)recordBytes, usage.ru_maxrss);
    return 0;
}
