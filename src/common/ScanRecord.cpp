#include "common/ScanRecord.h"

#include <algorithm>

#include "common/TextHelpers.h"

namespace rk {

namespace {
inline unsigned char fold(char c) {
    return static_cast<unsigned char>((c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c);
}
}  // namespace

ScanRecord::ScanRecord(QByteArray text, std::int64_t kilobytes, const QByteArray& exactPath)
    : data_(std::move(text)), kilobytes_(kilobytes) {
    if (!exactPath.isEmpty()) {
        data_.append('\0');
        data_.append(exactPath);
    }
    data_.squeeze();  // a conversion to UTF-8 leaves room for three bytes a character
}

QByteArrayView ScanRecord::text() const {
    const qsizetype end = data_.indexOf('\0');
    return QByteArrayView(data_.constData(), end < 0 ? data_.size() : end);
}

QByteArray ScanRecord::exactPath() const {
    const qsizetype end = data_.indexOf('\0');
    return end < 0 ? QByteArray() : data_.mid(end + 1);
}

int compareFolded(QByteArrayView a, QByteArrayView b) {
    const qsizetype n = std::min(a.size(), b.size());
    const char* pa = a.data();
    const char* pb = b.data();
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char ca = fold(pa[i]);
        const unsigned char cb = fold(pb[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

namespace {

// The first eight folded bytes of a record, big-endian: most comparisons end there.
std::uint64_t foldedPrefix(QByteArrayView text) {
    std::uint64_t key = 0;
    for (qsizetype i = 0; i < 8; ++i)
        key = key << 8 | (i < text.size() ? fold(text[i]) : 0u);
    return key;
}

struct Keyed {
    std::uint64_t prefix;
    std::uint32_t index;
};

// Sorts through small keyed entries and moves each record once.
template <typename Less>
void sortRecords(std::vector<ScanRecord>& records, Less less) {
    std::vector<Keyed> keys(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        keys[i] = {foldedPrefix(records[i].text()), std::uint32_t(i)};
    std::sort(keys.begin(), keys.end(), [&](const Keyed& a, const Keyed& b) {
        return less(a, b, records[a.index], records[b.index]);
    });
    std::vector<std::uint32_t> order(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[i] = keys[i].index;
    keys = {};
    // Put the records in place along the permutation's cycles: no second list of records.
    std::vector<bool> placed(order.size());
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (placed[start]) continue;
        ScanRecord held = std::move(records[start]);
        std::size_t at = start;
        for (;;) {
            placed[at] = true;
            const std::size_t from = order[at];
            if (from == start) {
                records[at] = std::move(held);
                break;
            }
            records[at] = std::move(records[from]);
            at = from;
        }
    }
}

int compareKeyed(const Keyed& a, const Keyed& b, const ScanRecord& ra, const ScanRecord& rb) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
    return compareFolded(ra.text(), rb.text());
}

}  // namespace

void sortFolded(std::vector<ScanRecord>& records) {
    sortRecords(records, [](const Keyed& a, const Keyed& b, const ScanRecord& ra,
                            const ScanRecord& rb) { return compareKeyed(a, b, ra, rb) < 0; });
}

void rankLargestFirst(std::vector<ScanRecord>& records) {
    sortRecords(records,
                [](const Keyed& a, const Keyed& b, const ScanRecord& ra, const ScanRecord& rb) {
                    if (ra.kilobytes() != rb.kilobytes()) return ra.kilobytes() > rb.kilobytes();
                    return compareKeyed(a, b, ra, rb) > 0;
                });
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

}  // namespace rk
