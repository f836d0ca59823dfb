#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace rk {

class EventPump;

// One line a scan lists: the tab-separated record the grid shows and the clipboard copies.
// A scan may list millions, so a record is one allocation of its UTF-8 text, followed by a
// NUL and the exact path only where the text does not show the path as it is (names that
// are not UTF-8, or that hold a tab or a line break). No name holds a NUL.
class ScanRecord {
public:
    ScanRecord() = default;
    explicit ScanRecord(QByteArray text, const QByteArray& exactPath = {});

    [[nodiscard]] QByteArrayView text() const { return {data_.constData(), textSize_}; }
    // The text, then a NUL and the exact path where it has one: what a grid row shares.
    [[nodiscard]] const QByteArray& bytes() const { return data_; }
    // Empty when the record's text gives the path.
    [[nodiscard]] QByteArray exactPath() const;
    // The whole number the record begins with: its size in K, where a ranked record has it.
    [[nodiscard]] std::int64_t kilobytes() const;

private:
    QByteArray data_;
    qsizetype textSize_ = 0;
};

// "   12 K": a size in whole K, right-aligned to `width` places when it fits, written whole
// otherwise (five in the file records, seven in the folder records).
[[nodiscard]] QString sizeInKText(std::int64_t bytes, int width = 5);

// Byte order with ASCII letters upper-cased: the order of the program's sorted lists, in
// which blanks come before digits and letters and equal keys end up next to each other.
[[nodiscard]] int compareFolded(QByteArrayView a, QByteArrayView b);
// The first eight bytes of a text folded, big-endian, zeros past its end: texts whose keys
// differ compare as their keys do, so a sort compares the texts only on ties.
[[nodiscard]] std::uint64_t foldedKey(QByteArrayView text);
// The same for texts made of pieces (a folder, a name, a mark...), compared as if joined:
// a sort's tie-break then builds no text.
[[nodiscard]] int compareFolded(std::initializer_list<QByteArrayView> a,
                                std::initializer_list<QByteArrayView> b);

// Ascending in that order, as a sorted list of the records would hold them. With a pump,
// the window's events are handled while a long list is sorted.
void sortFolded(std::vector<ScanRecord>& records, EventPump* pump = nullptr);

// Largest first by the number of K, then by the rest of the record, descending.
void rankLargestFirst(std::vector<ScanRecord>& records, EventPump* pump = nullptr);

// Puts items[order[i]] at i for every i, along the permutation's cycles: no second list. The
// pump (an EventPump, complete where this is used) is polled as items move.
template <typename Items, typename Pump = EventPump>
void permuteInPlace(Items& items, const std::vector<std::uint32_t>& order, Pump* pump = nullptr) {
    std::vector<bool> placed(order.size());
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (placed[start]) continue;
        auto held = std::move(items[start]);
        std::size_t at = start;
        for (;;) {
            placed[at] = true;
            const std::size_t from = order[at];
            if (from == start) {
                items[at] = std::move(held);
                break;
            }
            items[at] = std::move(items[from]);
            at = from;
            if (pump) pump->poll();
        }
    }
}

// How a name or path is shown in a record: tabs and line breaks, which would break the
// record, and undecodable bytes are replaced.
[[nodiscard]] QString recordText(const QByteArray& bytes);
// Whether the record text of these bytes gives them back exactly.
[[nodiscard]] bool recordShowsExactly(const QByteArray& bytes, const QString& text);

// Field n (from 0) of a record's text; empty when it has fewer fields.
[[nodiscard]] QByteArrayView recordFieldBytes(QByteArrayView record, int field);
// The record with field n (from 0) replaced: how a report writes a name or path as the exact
// bytes its record shows as text. Exact bytes may hold tabs, so of two fields the later one
// is replaced first.
[[nodiscard]] QByteArray withField(QByteArrayView record, int field, QByteArrayView bytes);

}  // namespace rk
