#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/Platform.h"
#include "statistics/StatisticsScan.h"

namespace rk {

// What the statistics pages show, computed once for the window and the command-line report
// alike. Counts and byte values are written with formatThousands.

// The Disk Space page of a drive. Space reserved for the administrator is neither used nor
// free: the percentages are of used + free, as df gives them.
struct DiskFigures {
    std::int64_t total = 0;
    std::int64_t free = 0;
    std::int64_t used = 0;
    std::int64_t reserved = 0;
    int usedPercent = 0;   // rounded up; 0 on a drive that reports no capacity
    int freePercent = 0;   // 100 - usedPercent, or 0 without a capacity
    bool low = false;      // 5 % free or less: the free space is shown in red
    QString freeCaption;   // lblFreeC, "Free Space on Drive /home: "
    QString usedCaption;   // Label26
    QString pctText;       // lblPct, "bytes (33 %) "
    QString pct2Text;      // lblPct2
    QString reservedText;  // lblReserved; empty when nothing is reserved
};
[[nodiscard]] DiskFigures diskFigures(const DriveSpace& space, const QString& driveName);

// One row of the File Sizes page or of an age page: caption, count gauge, count, size gauge,
// byte sum. A gauge's percentage is truncated, 0 when its column's total is 0.
struct GaugeRow {
    QString caption;
    int filesPercent = 0;
    QString files;
    int bytesPercent = 0;
    QString bytes;
};
[[nodiscard]] std::vector<GaugeRow> sizeRows(const StatisticsTallies& tallies);
[[nodiscard]] std::vector<GaugeRow> ageRows(const std::array<Tally, ageRowCount>& tally);

[[nodiscard]] const QStringList& sizeClassCaptions();  // classes 1..9
[[nodiscard]] const QStringList& ageRowCaptions();     // rows 0..9
[[nodiscard]] const QStringList& gaugeColumnTitles();  // the four column heads
// A gauge's text: "42%".
[[nodiscard]] QString gaugeText(int percent);

// One row of the File Types grid, in extension-table order.
struct TypeRow {
    QString extension;
    QString type;
    QString files;
    QString filesRank;  // "1" to "10", or empty
    QString bytes;
    QString bytesRank;
    [[nodiscard]] QString record() const;  // the grid's tab-separated record
};
// The rows of the types page; each type's name is looked up the first time it is met, in the
// system's type database, so a window waiting on a drive of thousands gives its turns.
[[nodiscard]] std::vector<TypeRow> typeRows(const StatisticsTallies& tallies,
                                            EventPump* pump = nullptr);
[[nodiscard]] const QStringList& typeColumnTitles();

// Top-ten ranks of the values, by the numbers themselves: 1 for the largest, equal values
// in their order in the list; 0 for an entry outside the ten.
[[nodiscard]] std::vector<int> topTenRanks(const std::vector<std::int64_t>& values);

// Texts the window and the report share.
[[nodiscard]] QString clusterNote(const QString& driveName, std::int64_t clusterSize);
[[nodiscard]] QString finishedText(std::int64_t files, bool incomplete);
[[nodiscard]] QString runCaption(const QString& driveBoxText, bool incomplete);
// The caption while a run goes on.
[[nodiscard]] QString runningCaption(const QString& driveBoxText);

// The page titles in the window's order.
[[nodiscard]] const QStringList& pageTitles();

// The command-line report: the window's caption, the status, the day ages are counted
// from, then each page's title and rows, cells tab-separated as the window shows them.
[[nodiscard]] QStringList statisticsReport(const StatisticsScan& scan, const Drive& drive,
                                           const QString& caption, const QString& status);

}  // namespace rk
