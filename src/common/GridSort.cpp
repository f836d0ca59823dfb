#include "common/GridSort.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/ResultGrid.h"
#include "common/TextHelpers.h"
#include "common/TimeHelpers.h"

namespace rk {

namespace {

// Each sort computes one key per row, sorts (key, row) pairs and then moves the rows once.
template <class Key>
struct Entry {
    Key key;
    std::uint32_t index;  // from firstRow
};

struct Range {
    int first = 0;
    int last = -1;
};

// The rows worth sorting, clipped to the grid's rows; empty when fewer than two.
Range sortRange(const ResultGrid& grid, int firstRow, int lastRow, int column) {
    if (column < 0 || column >= grid.columnCount()) return {};
    Range r{std::max(firstRow, 0), std::min(lastRow, grid.rowCount() - 1)};
    if (r.last <= r.first) return {};
    return r;
}

template <class E, class Less>
void sortAndMove(ResultGrid& grid, int firstRow, std::vector<E>& entries, bool descending,
                 Less less) {
    if (descending)
        std::stable_sort(entries.begin(), entries.end(),
                         [&less](const E& a, const E& b) { return less(b, a); });
    else
        std::stable_sort(entries.begin(), entries.end(), less);
    std::vector<int> rows(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        rows[i] = firstRow + int(entries[i].index);
    grid.reorderRows(firstRow, rows);
}

template <class Key, class KeyOf>
void sortByValue(ResultGrid& grid, int firstRow, int lastRow, bool descending, int column,
                 KeyOf keyOf) {
    const Range range = sortRange(grid, firstRow, lastRow, column);
    if (range.last <= range.first) return;
    std::vector<Entry<Key>> entries(std::size_t(range.last - range.first + 1));
    grid.visitColumn(column, range.first, range.last, [&](int r, QByteArrayView cell) {
        entries[std::size_t(r - range.first)] = {keyOf(cell), std::uint32_t(r - range.first)};
    });
    sortAndMove(grid, range.first, entries, descending,
                [](const Entry<Key>& a, const Entry<Key>& b) { return a.key < b.key; });
}

// The usual number cell, blanks, a sign, digits and ",", read without leaving its bytes;
// anything else takes the general way.
double numberKeyOf(QByteArrayView cell) {
    qsizetype i = 0;
    const qsizetype n = cell.size();
    while (i < n && cell[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (cell[i] == '-' || cell[i] == '+')) negative = cell[i++] == '-';
    std::int64_t value = 0;
    int digits = 0;
    for (; i < n; ++i) {
        const char c = cell[i];
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            ++digits;
        } else if (c != ',') {
            break;
        }
    }
    while (i < n && cell[i] == ' ')
        ++i;
    if (i == n && digits > 0 && digits <= 18) return double(negative ? -value : value);
    return numberKey(QString::fromUtf8(cell));
}

// Text keys live in one buffer. Sixteen bytes of each, from where the keys first differ,
// sit big-endian in the entry and settle most comparisons without touching the buffer.
struct TextEntry {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::uint64_t at = 0;  // in the buffer; rows of the same text share it
    std::uint32_t size = 0;
    std::uint32_t index = 0;  // from firstRow
};

struct TransparentHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

std::uint64_t bigEndian(std::string_view bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i)
        value = (value << 8) | (i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u);
    return value;
}

}  // namespace

double numberKey(const QString& text) {
    if (const std::int64_t whole = readThousands(text)) return double(whole);
    QString number = text.trimmed();
    number.remove(QLatin1Char(','));
    if (number.isEmpty()) return 0;
    bool ok = false;
    const double value = textLocale().toDouble(number, &ok);
    // "nan" reads as a number but has no place in an order.
    return ok && !std::isnan(value) ? value : 0;
}

std::int64_t sizeKey(QByteArrayView cell) {
    qsizetype i = 0;
    while (i < cell.size() && cell[i] == ' ')
        ++i;
    if (i == cell.size() || cell[i] < '0' || cell[i] > '9')
        return std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; i < cell.size() && value < std::numeric_limits<std::int64_t>::max() / 10; ++i) {
        const char c = cell[i];
        if (c >= '0' && c <= '9')
            value = value * 10 + (c - '0');
        else if (c != ',')
            break;
    }
    return value;
}

QDate dateKey(const QString& text) {
    static const QDate none(1900, 1, 1);
    return readShortDate(text).value_or(none);
}

void SortGridByText(ResultGrid& grid, int firstRow, int lastRow, bool descending, int column) {
    const Range range = sortRange(grid, firstRow, lastRow, column);
    if (range.last <= range.first) return;
    std::string keys;
    std::vector<TextEntry> entries(std::size_t(range.last - range.first + 1));
    // Columns such as the type or the size hold few distinct texts: each is kept once, and
    // rows sharing it compare equal at once. The table stops growing where texts are unique.
    constexpr std::size_t maxShared = 4096;
    std::unordered_map<std::string, std::uint64_t, TransparentHash, std::equal_to<>> shared;
    std::string key;
    std::string first;
    std::size_t common = std::string::npos;  // bytes all keys begin with
    grid.visitColumn(column, range.first, range.last, [&](int r, QByteArrayView cell) {
        key.assign(cell.data(), std::size_t(cell.size()));
        for (char& c : key)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        TextEntry& e = entries[std::size_t(r - range.first)];
        e.index = std::uint32_t(r - range.first);
        e.size = std::uint32_t(key.size());
        if (const auto found = shared.find(std::string_view(key)); found != shared.end()) {
            e.at = found->second;
        } else {
            e.at = keys.size();
            keys += key;
            if (shared.size() < maxShared) shared.emplace(key, e.at);
        }
        if (common == std::string::npos) {
            first = key;
            common = key.size();
        }
        std::size_t same = 0;
        while (same < common && same < key.size() && key[same] == first[same])
            ++same;
        common = same;
    });
    const std::string_view all(keys);
    const auto textOf = [all](const TextEntry& e) { return all.substr(e.at, e.size); };
    for (TextEntry& e : entries) {
        const std::string_view rest = textOf(e).substr(common);
        e.high = bigEndian(rest);
        e.low = bigEndian(rest.size() > 8 ? rest.substr(8) : std::string_view());
    }
    const std::size_t inHead = common + 16;
    // std::string_view compares bytes as unsigned values, a beginning before the longer text.
    sortAndMove(grid, range.first, entries, descending,
                [&](const TextEntry& a, const TextEntry& b) {
                    if (a.high != b.high) return a.high < b.high;
                    if (a.low != b.low) return a.low < b.low;
                    if (a.size <= inHead || b.size <= inHead) return a.size < b.size;
                    if (a.at == b.at && a.size == b.size) return false;
                    return textOf(a).substr(inHead) < textOf(b).substr(inHead);
                });
}

void SortGridByNumber(ResultGrid& grid, int firstRow, int lastRow, bool descending, int column) {
    sortByValue<double>(grid, firstRow, lastRow, descending, column, numberKeyOf);
}

void SortGridByDate(ResultGrid& grid, int firstRow, int lastRow, bool descending, int column) {
    // A grid holds few distinct dates, and reading one is the slow part: remember each
    // date text of up to 16 bytes by its bytes.
    QHash<std::pair<quint64, quint64>, qint64> days;
    sortByValue<qint64>(grid, firstRow, lastRow, descending, column, [&days](QByteArrayView cell) {
        if (cell.size() > 16) return dateKey(QString::fromUtf8(cell)).toJulianDay();
        char bytes[16] = {};
        std::memcpy(bytes, cell.data(), std::size_t(cell.size()));
        std::pair<quint64, quint64> key;
        std::memcpy(&key.first, bytes, 8);
        std::memcpy(&key.second, bytes + 8, 8);
        auto found = days.constFind(key);
        if (found == days.cend())
            found = days.insert(key, dateKey(QString::fromUtf8(cell)).toJulianDay());
        return *found;
    });
}

void SortGridBySize(ResultGrid& grid, int firstRow, int lastRow, bool descending, int column) {
    sortByValue<std::int64_t>(grid, firstRow, lastRow, descending, column, sizeKey);
}

void SortGrid(ResultGrid& grid, SortKind kind, int firstRow, int lastRow, bool descending,
              int column) {
    switch (kind) {
        case SortKind::Text:
            SortGridByText(grid, firstRow, lastRow, descending, column);
            return;
        case SortKind::Number:
            SortGridByNumber(grid, firstRow, lastRow, descending, column);
            return;
        case SortKind::Date:
            SortGridByDate(grid, firstRow, lastRow, descending, column);
            return;
        case SortKind::Size:
            SortGridBySize(grid, firstRow, lastRow, descending, column);
            return;
    }
}

}  // namespace rk
