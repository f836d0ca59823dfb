#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <vector>

#include "common/ScanRecord.h"
#include "common/SortWithEvents.h"

namespace rk {
namespace {

TEST(SortWithEvents, PiecesAndMergesGiveTheSameOrderAndLetEventsIn) {
    QRandomGenerator random(42);
    std::vector<int> values(200000);
    for (int& v : values)
        v = int(random.bounded(1000));
    std::vector<int> expected = values;
    std::stable_sort(expected.begin(), expected.end());
    int polls = 0;
    EventPump pump([&] { ++polls; }, 0);
    sortWithEvents(values.begin(), values.end(), std::less<>(), &pump);
    EXPECT_EQ(values, expected);
    EXPECT_GT(polls, 6);  // once a piece and once a merge
}

TEST(CompareFolded, PiecesCompareAsTheTextTheyJoinTo) {
    // Short pieces from few letters in both cases, so that differences fall on every kind of
    // boundary and one text is often the other's beginning.
    QRandomGenerator random(3);
    const auto piece = [&] {
        QByteArray p;
        for (int n = int(random.bounded(4)); n > 0; --n)
            p.append("aAb/\t\xc3"[random.bounded(6)]);
        return p;
    };
    for (int i = 0; i < 20000; ++i) {
        const QByteArray a[3] = {piece(), piece(), piece()};
        const QByteArray b[3] = {piece(), piece(), piece()};
        const int joined = compareFolded(a[0] + a[1] + a[2], b[0] + b[1] + b[2]);
        ASSERT_EQ(compareFolded({a[0], a[1], a[2]}, {b[0], b[1], b[2]}), joined)
            << (a[0] + '|' + a[1] + '|' + a[2] + " against " + b[0] + '|' + b[1] + '|' + b[2])
                   .toStdString();
    }
}

TEST(SortWithEvents, RankingIsTheSameWithAndWithoutAWindow) {
    QRandomGenerator random(7);
    std::vector<ScanRecord> plain;
    for (int i = 0; i < 70000; ++i) {
        const std::int64_t kb = random.bounded(50);
        const QByteArray text = QByteArray::number(kb).rightJustified(7, ' ') + " K\t" +
                                QByteArray::number(random.bounded(100000)) + "\t/x";
        plain.emplace_back(text);
    }
    std::vector<ScanRecord> stepped = plain;
    rankLargestFirst(plain);
    EventPump pump([] {}, 0);
    rankLargestFirst(stepped, &pump);
    ASSERT_EQ(plain.size(), stepped.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        ASSERT_EQ(plain[i].text(), stepped[i].text()) << i;
        if (i > 0) {
            ASSERT_GE(plain[i - 1].kilobytes(), plain[i].kilobytes());
            if (plain[i - 1].kilobytes() == plain[i].kilobytes()) {
                ASSERT_GE(compareFolded(plain[i - 1].text(), plain[i].text()), 0);
            }
        }
    }
}

}  // namespace
}  // namespace rk
