#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <QSet>

#include "InstalledPlatform.h"
#include "RawTimePlatform.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "bydate/DateColumns.h"
#include "bydate/DateScan.h"
#include "common/Services.h"
#include "common/TextHelpers.h"
#include "common/TimeHelpers.h"

namespace rk {
namespace {

using test::localInstant;
using test::RawTimePlatform;
using test::ScopedZone;
using test::scriptedDialogs;
using test::TempTree;

// A drive made of a temporary tree whose files have the time stamps the test gives them.
class DateScanTest : public ::testing::Test {
protected:
    // A file whose three times are `tested` where `what` says, and 1 June 2001 elsewhere.
    void file(const QByteArray& name, DateField what, std::int64_t tested) {
        const std::int64_t other = localInstant(2001, 6, 1);
        RawTimes t{other, other, other};
        (what == DateField::Accessed  ? t.access
         : what == DateField::Created ? t.creation
                                      : t.write) = tested;
        raw.setRaw(tree.file(name), t);
    }
    // The names found, and the records with their exact paths.
    QSet<QString> run(DateField what, DateRelation when, QDate start, QDate end = {},
                      const QString& pattern = QStringLiteral("*.*")) {
        DateQuery q;
        q.what = what;
        q.when = when;
        q.start = start;
        q.end = end.isValid() ? end : start;
        q.pattern = pattern;
        q.drives = installed.table().drives();
        records.clear();
        paths.clear();
        scan = std::make_unique<DateScan>(raw);
        scan->listLimit = listLimit;
        scan->found = [this](QByteArrayView record, const QByteArray& exact) {
            records.append(record.toByteArray());
            paths.append(exact);
        };
        scan->run(q);
        QSet<QString> names;
        for (const QByteArray& r : records)
            names.insert(QString::fromUtf8(r.left(r.indexOf('\t'))));
        return names;
    }

    TempTree tree;
    test::InstalledPlatform installed{{tree.root()}};
    RawTimePlatform raw{{tree.root()}};
    std::unique_ptr<DateScan> scan;
    QList<QByteArray> records;
    QList<QByteArray> paths;
    std::size_t listLimit = DateScan::defaultListLimit;
};

using Names = QSet<QString>;

TEST_F(DateScanTest, EachTimeAndRelationTakesWholeDaysWithBothEndsIncluded) {
    const QDate start(2024, 3, 10), end(2024, 3, 12);
    const std::vector<std::pair<DateField, QString>> whats{
        {DateField::Accessed, "A-"}, {DateField::Created, "C-"}, {DateField::Modified, "M-"}};
    const std::vector<std::pair<QString, std::int64_t>> stamps{
        {"before", localInstant(2024, 3, 9, 23, 59, 59)},
        {"start0", localInstant(2024, 3, 10, 0, 0, 0)},
        {"start1", localInstant(2024, 3, 10, 23, 59, 59)},
        {"middle", localInstant(2024, 3, 11, 12, 0, 0)},
        {"end0", localInstant(2024, 3, 12, 0, 0, 0)},
        {"end1", localInstant(2024, 3, 12, 23, 59, 59)},
        {"after", localInstant(2024, 3, 13, 0, 0, 0)}};
    for (const auto& [what, prefix] : whats)
        for (const auto& [name, stamp] : stamps)
            file((prefix + name).toUtf8(), what, stamp);
    for (const auto& [what, prefix] : whats) {
        SCOPED_TRACE(prefix.toStdString());
        // The files of the other times have 1 June 2001 here.
        const auto found = [&, &prefix = prefix, &what = what](DateRelation when, QDate s,
                                                               QDate e = {}) {
            Names mine;
            for (const QString& n : run(what, when, s, e))
                if (n.startsWith(prefix)) mine.insert(n.mid(2));
            return mine;
        };
        EXPECT_EQ(found(DateRelation::OnOrBefore, start), (Names{"before", "start0", "start1"}));
        EXPECT_EQ(found(DateRelation::Between, start, end),
                  (Names{"start0", "start1", "middle", "end0", "end1"}));
        EXPECT_EQ(found(DateRelation::OnOrAfter, start),
                  (Names{"start0", "start1", "middle", "end0", "end1", "after"}));
        EXPECT_EQ(found(DateRelation::Between, start, start), (Names{"start0", "start1"}));
        EXPECT_EQ(found(DateRelation::Between, end, start), Names{});
        EXPECT_EQ(found(DateRelation::OnOrAfter, end.addDays(1)), (Names{"after"}));
    }
}

TEST_F(DateScanTest, AnUnrecordedTimeMatchesOnOrBeforeOnlyAndIsCounted) {
    raw.setRaw(tree.file("nobirth"),
               RawTimes{localInstant(2024, 5, 1), 0, localInstant(2024, 5, 1)});
    raw.setRaw(tree.file("born"), RawTimes{localInstant(2024, 5, 1), localInstant(2024, 5, 1),
                                           localInstant(2024, 5, 1)});
    const QDate day(2024, 5, 1);
    EXPECT_EQ(run(DateField::Created, DateRelation::OnOrBefore, QDate(1990, 1, 1)),
              (Names{"nobirth"}));
    EXPECT_EQ(scan->withoutCreationDate(), 1u);
    EXPECT_EQ(run(DateField::Created, DateRelation::Between, day), (Names{"born"}));
    EXPECT_EQ(run(DateField::Created, DateRelation::OnOrAfter, QDate(1900, 1, 1)), (Names{"born"}));
    EXPECT_EQ(scan->withoutCreationDate(), 1u);  // tested, though not listed
    // By access date the creation date is only shown: its empty cell is what is counted.
    EXPECT_EQ(run(DateField::Accessed, DateRelation::Between, day), (Names{"nobirth", "born"}));
    EXPECT_EQ(scan->withoutCreationDate(), 1u);
    const QByteArray& nobirth = records[records[0].startsWith("nobirth") ? 0 : 1];
    EXPECT_EQ(nobirth.split('\t')[DateColumns::Created], "");
}

TEST_F(DateScanTest, YearsOutsideThePackedRangeCompareByTheirRealDate) {
    file("y1975", DateField::Modified, localInstant(1975, 6, 15));
    file("y2050", DateField::Modified, localInstant(2050, 6, 15));
    file("y2150", DateField::Modified, localInstant(2150, 6, 15));
    const auto m = DateField::Modified;
    EXPECT_EQ(run(m, DateRelation::Between, QDate(1975, 6, 15)), (Names{"y1975"}));
    EXPECT_EQ(run(m, DateRelation::OnOrBefore, QDate(1979, 12, 31)), (Names{"y1975"}));
    // Read as text with a two-digit year, 2050 would come back as 1950.
    EXPECT_EQ(run(m, DateRelation::Between, QDate(2050, 6, 15)), (Names{"y2050"}));
    EXPECT_EQ(run(m, DateRelation::OnOrAfter, QDate(2100, 1, 1)), (Names{"y2150"}));
    // Dates the packed time cannot hold are shown as the other tools show them: empty.
    const QList<QByteArray> fields = records[0].split('\t');
    EXPECT_EQ(fields[DateColumns::Modified], "");
    run(m, DateRelation::Between, QDate(2050, 6, 15));
    EXPECT_EQ(records[0].split('\t')[DateColumns::Modified], shortDateText(QDate(2050, 6, 15)));
}

TEST_F(DateScanTest, DaysFollowTheLocalZoneAcrossDaylightSavingAtMidnight) {
    // Three hours behind UTC, two in summer; the clocks change at local midnight, so
    // 10 March 2024 has no 00:00 and 2 November has its last hour twice.
    const ScopedZone zone("RKT3RKS,M3.2.0/0,M11.1.0/0");
    const std::int64_t springUtc = 1710039600;  // 2024-03-10 03:00:00 UTC, local 01:00
    file("lastOfMarch9", DateField::Modified, springUtc - 1);
    file("firstOfMarch10", DateField::Modified, springUtc);
    const std::int64_t fallUtc = 1730599200;  // 2024-11-03 02:00:00 UTC: back to 23:00
    file("secondHourOfNov2", DateField::Modified, fallUtc + 1800);
    file("firstOfNov3", DateField::Modified, fallUtc + 3600);
    const auto m = DateField::Modified;
    EXPECT_EQ(run(m, DateRelation::Between, QDate(2024, 3, 10)), (Names{"firstOfMarch10"}));
    EXPECT_EQ(run(m, DateRelation::Between, QDate(2024, 3, 9)), (Names{"lastOfMarch9"}));
    EXPECT_EQ(run(m, DateRelation::Between, QDate(2024, 11, 2)), (Names{"secondHourOfNov2"}));
    EXPECT_EQ(run(m, DateRelation::OnOrAfter, QDate(2024, 11, 3)), (Names{"firstOfNov3"}));
}

TEST_F(DateScanTest, AMidnightInsideAQuarterHourIsNotCachedForTheWholeQuarter) {
    // Local midnight at 18:29:40 UTC: two stamps of one quarter hour on two days.
    const ScopedZone zone("RKO-5:30:20");
    const std::int64_t midnight = 1718562580;  // 2024-06-16 18:29:40 UTC, 17 June local
    file("a16", DateField::Modified, midnight - 1);
    file("b17", DateField::Modified, midnight);
    file("c16", DateField::Modified, midnight - 300);
    EXPECT_EQ(run(DateField::Modified, DateRelation::Between, QDate(2024, 6, 17)), (Names{"b17"}));
    EXPECT_EQ(run(DateField::Modified, DateRelation::OnOrBefore, QDate(2024, 6, 16)),
              (Names{"a16", "c16"}));
}

TEST_F(DateScanTest, RecordsKeepCaseAndExactBytesAndTheLineIsPaddedWithCreationFirst) {
    const std::int64_t a = localInstant(2024, 1, 2), c = localInstant(2024, 1, 3),
                       w = localInstant(2024, 1, 4);
    raw.setRaw(tree.file("sub/Mixed.TXT"), RawTimes{a, c, w});
    raw.setRaw(tree.file("sub/a name much longer than 14.txt"), RawTimes{a, c, w});
    raw.setRaw(tree.file("sub/caf\xe9.txt"), RawTimes{a, c, w});
    tree.file(".hidden.txt");
    tree.file(".hid/inside.txt");
    tree.symlink("sub/link.txt", tree.path("sub/Mixed.TXT"));
    ASSERT_EQ(::chmod(tree.path("sub/Mixed.TXT").constData(), 0444), 0);
    run(DateField::Modified, DateRelation::Between, QDate(2024, 1, 4));
    ASSERT_EQ(records.size(), 3);
    const QString folder = QString::fromLocal8Bit(tree.path("sub"));
    QMap<QByteArray, std::pair<QByteArray, QByteArray>> byName;
    for (qsizetype i = 0; i < records.size(); ++i)
        byName[records[i].left(records[i].indexOf('\t'))] = {records[i], paths[i]};
    const QByteArray dates =
        (shortDateText(QDate(2024, 1, 2)) + '\t' + shortDateText(QDate(2024, 1, 3)) + '\t' +
         shortDateText(QDate(2024, 1, 4)))
            .toUtf8();
    const QByteArray mixed = byName["Mixed.TXT"].first;
    EXPECT_EQ(mixed,
              "Mixed.TXT\t" + dates + '\t' + folder.toUtf8() + '\t' + mixed.split('\t').last());
    EXPECT_TRUE(byName["Mixed.TXT"].second.isEmpty());  // the record gives the path
    EXPECT_FALSE(mixed.split('\t').last().isEmpty());
    EXPECT_EQ(clipboardLine(mixed), "Mixed.TXT     \t" + shortDateText(QDate(2024, 1, 3)).toUtf8() +
                                        '\t' + shortDateText(QDate(2024, 1, 2)).toUtf8() + '\t' +
                                        shortDateText(QDate(2024, 1, 4)).toUtf8() + '\t' +
                                        folder.toUtf8() + '\t' + mixed.split('\t').last());
    EXPECT_TRUE(clipboardLine(byName["a name much longer than 14.txt"].first)
                    .startsWith("a name much longer than 14.txt\t"));
    // Not UTF-8: shown with a replacement, deleted and browsed by its exact bytes.
    const auto odd = byName[QString(QStringLiteral("caf\uFFFD.txt")).toUtf8()];
    EXPECT_EQ(odd.second, tree.path("sub/caf\xe9.txt"));
    EXPECT_TRUE(
        clipboardLine(odd.first).startsWith(QStringLiteral("caf\uFFFD.txt      \t").toUtf8()));
}

TEST_F(DateScanTest, TheSearchReadsOnlyMetadataAndLeavesAccessTimesAlone) {
    // Access older than the last write: relatime would bring it forward on any read.
    const QByteArray f = tree.file("kept.txt", QByteArray("content"));
    struct timespec times[2] = {{946728000, 0}, {1700000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, f.constData(), times, 0), 0);
    DateQuery q;
    q.when = DateRelation::OnOrBefore;
    q.start = QDate(2030, 1, 1);
    q.drives = installed.table().drives();
    DateScan s(installed.platform());
    int found = 0;
    s.found = [&](QByteArrayView, const QByteArray&) { ++found; };
    s.run(q);
    EXPECT_EQ(found, 1);
    struct stat st {};
    ASSERT_EQ(::stat(f.constData(), &st), 0);
    EXPECT_EQ(st.st_atim.tv_sec, 946728000);
}

TEST_F(DateScanTest, AFullListStopsTheScanSaysSoInItsOutcomeAndCountsOnlyWhatItListed) {
    for (const char* n : {"a", "b", "c", "d"})
        file(n, DateField::Modified, localInstant(2024, 2, 2));
    listLimit = 2;
    scriptedDialogs().clear();
    scriptedDialogs().failWhenAsked = true;
    run(DateField::Modified, DateRelation::Between, QDate(2024, 2, 2));
    EXPECT_EQ(records.size(), 2);
    EXPECT_EQ(scan->listed(), 2u);
    EXPECT_TRUE(scan->outcome().limitReached);
    EXPECT_TRUE(scan->abort);
}

}  // namespace
}  // namespace rk
