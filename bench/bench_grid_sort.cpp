// Builds a result grid of file-hog records and sorts it by text, number and date, reporting
// the times, the grid's memory beside its records' text, and the process's peak memory.
//
//   bench_grid_sort [rows]      (1,000,000 by default)

#include <sys/resource.h>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>
#include <cstdio>

#include "common/GridSort.h"
#include "common/ResultGrid.h"
#include "common/TextHelpers.h"
#include "common/TimeHelpers.h"

using namespace rk;

namespace {

long residentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : 0;  // pages of 4 KiB
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const char* const words[] = {"report",  "backup", "photo", "video", "archive", "notes",
                             "project", "build",  "cache", "mail",  "music",   "data"};
const char* const types[] = {"plain text document",           "JPEG image",     "MPEG-4 video",
                             "Tar archive (gzip-compressed)", "ELF executable", "PDF document"};
const char* const extensions[] = {".txt", ".jpg", ".mp4", ".tar.gz", "", ".pdf"};

// A file-hog record: size in K right-aligned to 5, modified date and time, access date, the
// full path, the type; and, as the browser's Size column has it, the size in bytes.
QString record(QRandomGenerator& random, QByteArray& path) {
    const qint64 bytes = 250 * 1024 + qint64(random.bounded(2'000'000'000));
    const QString sizeK = QString::number(bytes / 1024).rightJustified(5) + QStringLiteral(" K");
    const QDate epoch(1990, 1, 1);
    const QDate modified = epoch.addDays(random.bounded(13000));
    const QDate accessed = modified.addDays(random.bounded(400));
    const QTime time(random.bounded(24), random.bounded(60), random.bounded(60));
    const int kind = random.bounded(6);
    path = QByteArrayLiteral("/home/user");
    for (int depth = random.bounded(1, 5); depth > 0; --depth)
        path +=
            '/' + QByteArray(words[random.bounded(12)]) + QByteArray::number(random.bounded(100));
    path += '/' + QByteArray(words[random.bounded(12)]) +
            QByteArray::number(random.bounded(100000)) + extensions[kind];
    const QLocale locale = textLocale();
    return sizeK + QLatin1Char('\t') + locale.toString(modified, shortDateFormat()) +
           QLatin1Char('\t') + locale.toString(time, longTimeFormat()) + QLatin1Char('\t') +
           locale.toString(accessed, shortDateFormat()) + QLatin1Char('\t') +
           QString::fromUtf8(path) + QLatin1Char('\t') + QLatin1String(types[kind]) +
           QLatin1Char('\t') + formatThousands(bytes);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 1'000'000;
    QTextStream out(stdout);
    QRandomGenerator random(1995);

    const long before = residentKiB();
    ResultGrid grid;
    grid.setColumns({"Size in K", "Modified", "Time", "Access", "FileName", "Type", "Bytes"});
    qint64 textBytes = 0;
    QElapsedTimer timer;
    timer.start();
    QByteArray path;
    QElapsedTimer adding;
    qint64 addNs = 0;
    for (int i = 0; i < rows; ++i) {
        const QString r = record(random, path);
        textBytes += r.toUtf8().size();
        adding.start();
        grid.addRecord(r, path);
        addNs += adding.nsecsElapsed();
    }
    grid.trim(grid.rowsFilled());
    const qint64 fillMs = timer.elapsed();
    const long gridKiB = residentKiB() - before;

    out << "rows: " << formatThousands(rows) << "\n"
        << "records' text: " << formatThousands(textBytes / 1024) << " KiB as UTF-8 ("
        << formatThousands(textBytes / rows) << " bytes a row), "
        << formatThousands(2 * textBytes / 1024) << " KiB as QString\n"
        << "grid resident: " << formatThousands(gridKiB)
        << " KiB = " << QString::number(double(gridKiB) * 1024 / double(textBytes), 'f', 2)
        << " x the UTF-8 text\n"
        << "fill (records made and added): " << fillMs << " ms, of which addRecord "
        << addNs / 1'000'000 << " ms\n";
    out.flush();

    struct Run {
        const char* what;
        SortKind kind;
        int column;
        bool descending;
    };
    const Run runs[] = {{"text, FileName ascending", SortKind::Text, 4, false},
                        {"text, Size in K descending", SortKind::Text, 0, true},
                        {"text, Type ascending", SortKind::Text, 5, false},
                        {"number, Bytes descending", SortKind::Number, 6, true},
                        {"date, Modified descending", SortKind::Date, 1, true},
                        {"date, Access ascending", SortKind::Date, 3, false}};
    for (const Run& run : runs) {
        timer.restart();
        SortGrid(grid, run.kind, 0, grid.rowCount() - 1, run.descending, run.column);
        out << "sort " << run.what << ": " << timer.elapsed()
            << " ms (first: " << grid.cell(run.column, 0) << ")\n";
        out.flush();
    }
    out << "peak resident (ru_maxrss): " << formatThousands(peakKiB()) << " KiB, of which "
        << formatThousands(before) << " KiB before the grid\n";
    return 0;
}
