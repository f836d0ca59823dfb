#include "statistics/StatisticsPages.h"

#include <algorithm>
#include <numeric>

#include "common/FileTypes.h"
#include "common/ScanRecord.h"
#include "common/TextHelpers.h"

namespace rk {

namespace {

// The truncated share of part in whole, 0 when the whole is 0.
int percentOf(std::int64_t part, std::int64_t whole) {
    if (whole <= 0) return 0;
    return std::clamp(int((long double)part * 100.0L / (long double)whole), 0, 100);
}

template <std::size_t N>
std::vector<GaugeRow> gaugeRows(const std::array<Tally, N>& tally, std::size_t first,
                                const QStringList& captions) {
    std::int64_t files = 0;
    std::int64_t bytes = 0;
    for (std::size_t i = first; i < N; ++i) {
        files += tally[i].files;
        bytes += tally[i].bytes;
    }
    std::vector<GaugeRow> rows;
    for (std::size_t i = first; i < N; ++i)
        rows.push_back(GaugeRow{captions[qsizetype(i - first)], percentOf(tally[i].files, files),
                                formatThousands(tally[i].files), percentOf(tally[i].bytes, bytes),
                                formatThousands(tally[i].bytes)});
    return rows;
}

}  // namespace

DiskFigures diskFigures(const DriveSpace& space, const QString& driveName) {
    DiskFigures d;
    d.total = std::max<std::int64_t>(space.total, 0);
    d.free = std::clamp<std::int64_t>(space.free, 0, d.total);
    d.reserved = std::clamp<std::int64_t>(space.reserved, 0, d.total - d.free);
    d.used = d.total - d.free - d.reserved;
    // The share as df gives it: of what the user could hold (used and free, the reserve left
    // out), rounded up, so a drive with a byte in use never shows 0 % used. A drive that
    // reports no capacity (FUSE, some network file systems) shows 0 % of both.
    if (const std::int64_t usable = d.used + d.free; usable > 0) {
        const auto scaled = (__int128)d.used * 100;
        d.usedPercent = int(scaled / usable + (scaled % usable != 0));
        d.freePercent = 100 - d.usedPercent;
        d.low = d.freePercent <= 5;
    }
    d.freeCaption = QStringLiteral("Free Space on Drive ") + driveName + QStringLiteral(": ");
    d.usedCaption = QStringLiteral("Used Space on Drive ") + driveName + QStringLiteral(": ");
    d.pctText = QStringLiteral("bytes (%1 %) ").arg(d.freePercent);
    d.pct2Text = QStringLiteral("bytes (%1 %) ").arg(d.usedPercent);
    if (d.reserved > 0)
        d.reservedText = QStringLiteral("Reserved for the administrator: ") +
                         formatThousands(d.reserved) + QStringLiteral(" bytes");
    return d;
}

const QStringList& sizeClassCaptions() {
    static const QStringList captions{
        QStringLiteral("0 - 16 K"),   QStringLiteral("16K - 32K"),  QStringLiteral("32K - 128K"),
        QStringLiteral("128K - 1Mb"), QStringLiteral("1Mb - 2Mb"),  QStringLiteral("2Mb - 4Mb"),
        QStringLiteral("4Mb - 8Mb"),  QStringLiteral("8Mb - 16Mb"), QStringLiteral("Over 16Mb")};
    return captions;
}

const QStringList& ageRowCaptions() {
    // Rows 4 to 9 say the bounds the tallies keep: 61-90, 91-120, 121-365, 366-730,
    // 731-1095 and over 1095 days.
    static const QStringList captions{
        QStringLiteral("Not recorded"), QStringLiteral("<= 7 days"),
        QStringLiteral("8 - 30 days"),  QStringLiteral("31 - 60 days"),
        QStringLiteral("61-90 days"),   QStringLiteral("91-120 days"),
        QStringLiteral("121-365 days"), QStringLiteral("1 - 2 years"),
        QStringLiteral("2 - 3 years"),  QStringLiteral("Over 3 years")};
    return captions;
}

const QStringList& gaugeColumnTitles() {
    static const QStringList titles{QStringLiteral("% of total # files"), QStringLiteral("# Files"),
                                    QStringLiteral("% of total size"),
                                    QStringLiteral("File Sizes")};
    return titles;
}

QString gaugeText(int percent) {
    return QString::number(percent) + QLatin1Char('%');
}

std::vector<GaugeRow> sizeRows(const StatisticsTallies& tallies) {
    return gaugeRows(tallies.sizes, 1, sizeClassCaptions());
}

std::vector<GaugeRow> ageRows(const std::array<Tally, ageRowCount>& tally) {
    return gaugeRows(tally, 0, ageRowCaptions());
}

std::vector<int> topTenRanks(const std::vector<std::int64_t>& values) {
    std::vector<std::size_t> order(values.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    const std::size_t placed = std::min<std::size_t>(10, order.size());
    std::partial_sort(order.begin(), order.begin() + std::ptrdiff_t(placed), order.end(),
                      [&](std::size_t a, std::size_t b) {
                          return values[a] != values[b] ? values[a] > values[b] : a < b;
                      });
    std::vector<int> ranks(values.size(), 0);
    for (std::size_t i = 0; i < placed; ++i)
        ranks[order[i]] = int(i) + 1;
    return ranks;
}

QString TypeRow::record() const {
    const QChar tab = QLatin1Char('\t');
    return extension + tab + type + tab + files + tab + filesRank + tab + bytes + tab + bytesRank;
}

const QStringList& typeColumnTitles() {
    static const QStringList titles{QStringLiteral("Extension"), QStringLiteral("Type"),
                                    QStringLiteral("# Files"),   QStringLiteral("Top Ten #"),
                                    QStringLiteral("Size"),      QStringLiteral("Top Ten Size")};
    return titles;
}

std::vector<TypeRow> typeRows(const StatisticsTallies& tallies, EventPump* pump) {
    std::vector<std::int64_t> files;
    std::vector<std::int64_t> bytes;
    for (const TypeTally& t : tallies.types) {
        files.push_back(t.tally.files);
        bytes.push_back(t.tally.bytes);
    }
    const std::vector<int> filesRank = topTenRanks(files);
    const std::vector<int> bytesRank = topTenRanks(bytes);
    const auto rankText = [](int rank) { return rank > 0 ? QString::number(rank) : QString(); };
    std::vector<TypeRow> rows;
    rows.reserve(tallies.types.size());
    for (std::size_t i = 0; i < tallies.types.size(); ++i) {
        const TypeTally& t = tallies.types[i];
        // An extension with a tab or a line break would split the record: shown replaced.
        const QString extension = recordText(t.extension);
        rows.push_back(TypeRow{extension, fileTypeName(extension), formatThousands(files[i]),
                               rankText(filesRank[i]), formatThousands(bytes[i]),
                               rankText(bytesRank[i])});
        if (pump) pump->poll();
    }
    return rows;
}

QString clusterNote(const QString& driveName, std::int64_t clusterSize) {
    const QString size = QString::number(clusterSize);
    return QStringLiteral("Since drive ") + driveName + QStringLiteral(" is partitioned into ") +
           size + QStringLiteral(" bytes per cluster, the smallest file of only 1 byte will ") +
           QStringLiteral("consume ") + size +
           QStringLiteral(" bytes.  The actual space that each file ") +
           QStringLiteral("uses will be rounded up to the next multiple of ") + size +
           QStringLiteral(" bytes.");
}

QString finishedText(std::int64_t files, bool incomplete) {
    QString text = QStringLiteral("Finished - ") + formatThousands(files) + QLatin1Char(' ') +
                   countNoun(files, "file") + QStringLiteral(" processed");
    if (incomplete) text += QStringLiteral(" INCOMPLETE ... ABORTED");
    return text;
}

QString runCaption(const QString& driveBoxText, bool incomplete) {
    if (incomplete)
        return QStringLiteral("File Statistics for drive ") + driveBoxText +
               QStringLiteral(" incomplete ... aborted.");
    return QStringLiteral("Statistics for drive ") + driveBoxText + QStringLiteral(" completed.");
}

QString runningCaption(const QString& driveBoxText) {
    return QStringLiteral("Collecting statistics for drive ") + driveBoxText +
           QStringLiteral(" ...");
}

const QStringList& pageTitles() {
    static const QStringList titles{
        QStringLiteral("Disk Space"),    QStringLiteral("File Types"),
        QStringLiteral("File Sizes"),    QStringLiteral("Files accessed"),
        QStringLiteral("Files created"), QStringLiteral("Files modified")};
    return titles;
}

QStringList statisticsReport(const StatisticsScan& scan, const Drive& drive, const QString& caption,
                             const QString& status) {
    const QChar tab = QLatin1Char('\t');
    const StatisticsTallies& t = scan.tallies();
    QStringList out{caption, status, QStringLiteral("Today ") + scan.today().toString(Qt::ISODate)};

    const DiskFigures d = diskFigures(scan.space(), drive.caption());
    out << pageTitles()[0]
        << QStringLiteral("Total Capacity") + tab + formatThousands(d.total) + tab +
               QStringLiteral("bytes")
        << d.freeCaption + tab + formatThousands(d.free) + tab + d.pctText
        << d.usedCaption + tab + formatThousands(d.used) + tab + d.pct2Text;
    if (!d.reservedText.isEmpty()) out << d.reservedText;

    out << pageTitles()[1] << typeColumnTitles().join(tab);
    for (const TypeRow& r : typeRows(t))
        out << r.record();

    const auto gaugePage = [&](const QString& title, const std::vector<GaugeRow>& rows) {
        out << title << tab + gaugeColumnTitles().join(tab);
        for (const GaugeRow& r : rows)
            out << r.caption + tab + gaugeText(r.filesPercent) + tab + r.files + tab +
                       gaugeText(r.bytesPercent) + tab + r.bytes;
    };
    gaugePage(pageTitles()[2], sizeRows(t));
    out << clusterNote(drive.caption(), scan.space().clusterSize);
    gaugePage(pageTitles()[3], ageRows(t.access));
    gaugePage(pageTitles()[4], ageRows(t.create));
    gaugePage(pageTitles()[5], ageRows(t.write));
    return out;
}

}  // namespace rk
