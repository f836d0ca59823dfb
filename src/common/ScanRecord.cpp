#include "common/ScanRecord.h"

#include <algorithm>

#include "common/SortWithEvents.h"
#include "common/TextHelpers.h"

namespace rk {

namespace {
inline unsigned char fold(char c) {
    return static_cast<unsigned char>((c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c);
}
}  // namespace

ScanRecord::ScanRecord(QByteArray text, const QByteArray& exactPath)
    : data_(std::move(text)), textSize_(data_.size()) {
    if (!exactPath.isEmpty()) {
        data_.append('\0');
        data_.append(exactPath);
    }
    data_.squeeze();  // a conversion to UTF-8 leaves room for three bytes a character
}

QByteArray ScanRecord::exactPath() const {
    return textSize_ < data_.size() ? data_.mid(textSize_ + 1) : QByteArray();
}

std::int64_t ScanRecord::kilobytes() const {
    std::int64_t value = 0;
    qsizetype i = 0;
    while (i < textSize_ && data_[i] == ' ')
        ++i;
    for (; i < textSize_ && data_[i] >= '0' && data_[i] <= '9'; ++i)
        value = value * 10 + (data_[i] - '0');
    return value;
}

QString sizeInKText(std::int64_t bytes, int width) {
    return QString::number(bytes / 1024).rightJustified(width, QLatin1Char(' ')) +
           QStringLiteral(" K");
}

int compareFolded(QByteArrayView a, QByteArrayView b) {
    // Records that tie share long beginnings (a size, a path): skip equal bytes at memory
    // speed and fold only where they differ, which letter case alone rarely makes them.
    const char* pa = a.data();
    const char* pb = b.data();
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype i = 0;
    while (i < n) {
        i = std::mismatch(pa + i, pa + n, pb + i).first - pa;
        if (i == n) break;
        const unsigned char ca = fold(pa[i]);
        const unsigned char cb = fold(pb[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int compareFolded(std::initializer_list<QByteArrayView> a,
                  std::initializer_list<QByteArrayView> b) {
    const QByteArrayView* pa = a.begin();
    const QByteArrayView* pb = b.begin();
    qsizetype ia = 0;  // within *pa
    qsizetype ib = 0;
    for (;;) {
        while (pa != a.end() && ia == pa->size()) {
            ++pa;
            ia = 0;
        }
        while (pb != b.end() && ib == pb->size()) {
            ++pb;
            ib = 0;
        }
        if (pa == a.end() || pb == b.end()) return int(pb == b.end()) - int(pa == a.end());
        const qsizetype n = std::min(pa->size() - ia, pb->size() - ib);
        const char* ca = pa->data() + ia;
        const qsizetype same = std::mismatch(ca, ca + n, pb->data() + ib).first - ca;
        ia += same;
        ib += same;
        if (same == n) continue;
        const unsigned char fa = fold((*pa)[ia]);
        const unsigned char fb = fold((*pb)[ib]);
        if (fa != fb) return fa < fb ? -1 : 1;
        ++ia;
        ++ib;
    }
}

namespace {

// Up to `count` folded bytes of a text from `from` on, big-endian: most comparisons end there.
std::uint64_t foldedBytes(QByteArrayView text, qsizetype from, int count) {
    std::uint64_t key = 0;
    for (qsizetype i = from; i < from + count; ++i)
        key = key << 8 | (i < text.size() ? fold(text[i]) : 0u);
    return key;
}

// What a sort compares first, held beside the record's number so that the sort reads the
// records themselves only for ties.
struct Keyed {
    std::uint64_t primary;
    std::uint32_t secondary;
    std::uint32_t index;
};

// Sorts through the keyed entries (ascending, or descending) and moves each record once.
// Records of a search often tie in their first bytes (one name, one size), and then their whole
// texts are compared: the window gets its turn every few thousand.
constexpr std::size_t piece = 2048;

template <typename KeyOf>
void sortRecords(std::vector<ScanRecord>& records, KeyOf keyOf, bool descending, EventPump* pump) {
    std::vector<Keyed> keys(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        keys[i] = keyOf(records[i]);
        keys[i].index = std::uint32_t(i);
        if (pump && (i & 4095) == 0) pump->poll();
    }
    sortWithEvents(
        keys.begin(), keys.end(),
        [&](const Keyed& a, const Keyed& b) {
            int order = 0;
            if (a.primary != b.primary)
                order = a.primary < b.primary ? -1 : 1;
            else if (a.secondary != b.secondary)
                order = a.secondary < b.secondary ? -1 : 1;
            else
                order = compareFolded(records[a.index].text(), records[b.index].text());
            return descending ? order > 0 : order < 0;
        },
        pump, piece);
    std::vector<std::uint32_t> order(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[i] = keys[i].index;
    keys = {};
    permuteInPlace(records, order);
}

}  // namespace

std::uint64_t foldedKey(QByteArrayView text) {
    return foldedBytes(text, 0, 8);
}

void sortFolded(std::vector<ScanRecord>& records, EventPump* pump) {
    sortRecords(
        records,
        [](const ScanRecord& r) {
            const QByteArrayView text = r.text();
            return Keyed{foldedBytes(text, 0, 8), std::uint32_t(foldedBytes(text, 8, 4)), 0};
        },
        false, pump);
}

void rankLargestFirst(std::vector<ScanRecord>& records, EventPump* pump) {
    // Equal sizes in K have equal size texts, so the rest of the record decides, from the
    // field after the size on.
    sortRecords(
        records,
        [](const ScanRecord& r) {
            const QByteArrayView text = r.text();
            const qsizetype tab = text.indexOf('\t');
            return Keyed{std::uint64_t(std::max<std::int64_t>(r.kilobytes(), 0)),
                         std::uint32_t(foldedBytes(text, tab < 0 ? text.size() : tab, 4)), 0};
        },
        true, pump);
}

QString recordText(const QByteArray& bytes) {
    QString text = displayPath(bytes);
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QChar(0xFFFD);
    return text;
}

bool recordShowsExactly(const QByteArray& bytes, const QString& text) {
    return text.toUtf8() == bytes;
}

namespace {

// Where field n begins and ends in a record; both at its end when it has fewer fields.
std::pair<qsizetype, qsizetype> fieldSpan(QByteArrayView record, int field) {
    qsizetype from = 0;
    for (int i = 0; i < field; ++i) {
        const qsizetype tab = record.indexOf('\t', from);
        if (tab < 0) return {record.size(), record.size()};
        from = tab + 1;
    }
    const qsizetype tab = record.indexOf('\t', from);
    return {from, tab < 0 ? record.size() : tab};
}

}  // namespace

QByteArrayView recordFieldBytes(QByteArrayView record, int field) {
    const auto [from, to] = fieldSpan(record, field);
    return record.sliced(from, to - from);
}

QByteArray withField(QByteArrayView record, int field, QByteArrayView bytes) {
    const auto [from, to] = fieldSpan(record, field);
    QByteArray out;
    out.reserve(record.size() + bytes.size());
    out.append(record.first(from)).append(bytes).append(record.sliced(to));
    return out;
}

}  // namespace rk
