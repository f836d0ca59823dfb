#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "common/ColumnSchema.h"
#include "common/RowSource.h"

namespace rk {

class ScanRecord;

// The rows behind every result grid: rows 0 to rowCount() - 1, the column titles in
// headerData, so a view's current row is a grid row. An emptied grid keeps one empty row.
//
// Memory, per data row, because a scan may list millions: the record's UTF-8 bytes in a
// shared arena; the path's bytes only when the record does not already show them as they are
// (otherwise the path is a slice of the record); 24 bytes of bookkeeping (`Row`) and 4 bytes
// of display order (the mark's column and the group shade fit in the 24). Rewritten cells sit in a
// side table that only rows holding one pay for. A file-hog record of about 100 bytes thus costs
// about 1.3 times its text. A row added from a scan's own record shares that record's bytes instead
// (24 bytes more for the handle), so a result list is never held twice while the scan's list is let
// go. A row from a RowSource holds no text at all, only its index there: its record is written
// when asked, and the grid keeps the source as long as it keeps rows.
class ResultGrid : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int growthStep = 50;
    static constexpr int defaultColumnWidth = 90;  // pixels at 96 dpi
    // Data role of a cell: true when it carries the mark glyph.
    static constexpr int MarkRole = Qt::UserRole + 1;
    // Data role of a cell: true when its row is drawn with the group shade.
    static constexpr int ShadeRole = Qt::UserRole + 2;

    explicit ResultGrid(QObject* parent = nullptr);
    ~ResultGrid() override;

    // ColCount, the titles, and each column's width in pixels at 96 dpi (90 where
    // `widths` gives none). The rows keep their records; a change in the number of columns
    // drops their marks and rewritten cells.
    void setColumns(const QStringList& titles, const QList<int>& widths = {});
    // The same from a tool's schema, with its alignments; the schema stays for the windows,
    // the sort menu and marking to read.
    void setSchema(const ColumnSchema& schema);
    [[nodiscard]] const ColumnSchema& schema() const { return schema_; }
    [[nodiscard]] int columnCount() const { return int(titles_.size()); }
    [[nodiscard]] int columnWidth(int column) const;
    // Numbers padded with blanks line up only when drawn against the right edge; every
    // column starts left-aligned, and setColumns keeps what was set.
    void setRightAligned(int column, bool right);
    void setColumnWidth(int column, int width);

    [[nodiscard]] int rowCount() const { return int(order_.size()); }
    // Adds empty rows or cuts rows off the end with their records, marks and cells; never
    // below one row.
    void setRowCount(int rows);
    // Room for this many rows to come, so a long list does not regrow the row order.
    void reserveRows(std::size_t rows) { order_.reserve(rows); }
    // The data rows written by addRecord since the last clear.
    [[nodiscard]] int rowsFilled() const { return filled_; }
    // Writes the record into row rowsFilled(), growing the grid by 50 rows when that row
    // does not exist yet, and returns the row. `path` is the exact path the row stands for.
    int addRecord(const QString& record, const QByteArray& path = {});
    // The same for a record already in UTF-8, as the scans keep theirs.
    int addRecordUtf8(QByteArrayView record, const QByteArray& path = {});
    // The same for a scan's record, whose bytes the row shares rather than copies.
    int addRecord(const ScanRecord& record, const QByteArray& path);
    // The same for record `index` of a source, which the grid keeps; -1 when it has no such
    // record. Rows added from one source one after the other share one handle.
    int addSourceRow(const std::shared_ptr<const RowSource>& source, std::uint32_t index);
    // Gives an existing data row a new record and path, without mark or rewritten cells.
    void setRecord(int row, const QString& record, const QByteArray& path = {});
    void setRecordUtf8(int row, QByteArrayView record, const QByteArray& path = {});
    // Cuts the grid to `rowsFilled` rows (at least one), as a scan does at its end.
    void trim(int rowsFilled) { setRowCount(rowsFilled); }
    // Back to one empty row, rowsFilled() = 0; titles and widths stay.
    void clear();

    // A cell gives its rewritten text, else field `column` of the record. Out of range gives
    // an empty text, and setCell ignores it.
    [[nodiscard]] QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);
    [[nodiscard]] QString title(int column) const { return titles_.value(column); }
    void setTitle(int column, const QString& text);
    [[nodiscard]] QString recordOf(int row) const;
    [[nodiscard]] QByteArray pathOf(int row) const;
    // The records of the rows that have one, in the order the grid listed them before
    // any sort: the tool's result list.
    [[nodiscard]] QStringList records() const;
    // Calls visit(record, path) in that order, both in UTF-8 / exact bytes.
    template <class Visit>
    void visitRecords(Visit visit) const;

    // At most one cell of a row carries the mark glyph; the row is marked when one does.
    [[nodiscard]] bool isMarked(int row) const;
    [[nodiscard]] bool isMarked(int column, int row) const;
    void setMark(int row, int column, bool marked);

    // Alternate groups of rows (duplicates of one file) are told apart by a shade, which the
    // view draws for ShadeRole. The shade moves with its row.
    void setShaded(int row, bool shaded);
    [[nodiscard]] bool isShaded(int row) const;

    // Puts the rows now numbered rows[0], rows[1], ... at firstRow, firstRow + 1, ...;
    // `rows` must be a permutation of those row numbers, else nothing moves. Records, paths,
    // marks, shades and rewritten cells move with their rows; a view's selection keeps its numbers.
    void reorderRows(int firstRow, const std::vector<int>& rows);

    // The cell's text in UTF-8, without a copy where the grid holds it; otherwise the text
    // (or a source's record) is put into `scratch`. Valid until the grid changes.
    [[nodiscard]] QByteArrayView cellUtf8(int column, int row, QByteArray& scratch) const;
    // Calls visit(row, cellUtf8) for each row of firstRow..lastRow (clipped to the rows)
    // in the order the rows lie in memory, not on screen: after a sort the screen order
    // jumps all over memory, and a sort of a million rows reads every cell once.
    template <class Visit>
    void visitColumn(int column, int firstRow, int lastRow, Visit visit) const;

    [[nodiscard]] int rowCount(const QModelIndex& parent) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent) const override;
    // A row's tool tip, from the exact path it stands for; asked only when a tip shows.
    void setToolTips(std::function<QString(const QByteArray& path)> tipOf) {
        tipOf_ = std::move(tipOf);
    }
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // setColumns or setColumnWidth changed a width: a view applies them again.
    void columnWidthsChanged();

private:
    struct Row {
        std::uint32_t chunk = 0;  // arena chunk holding the record
        std::uint32_t at = 0;     // the record's first byte in that chunk
        std::uint32_t recordSize = 0;
        std::uint32_t pathAt = 0;  // from `at`: inside the record, or just after it
        std::uint32_t pathSize = 0;
        std::int16_t markColumn = -1;
        bool rewritten : 1 = false;  // some cell of the row has a text of its own in rewritten_
        bool shared : 1 = false;     // the record lies in shared_[chunk], not in the arena
        bool shaded : 1 = false;     // drawn with the group shade
        bool sourced : 1 = false;    // record `at` of sources_[chunk], written when asked
    };
    static_assert(sizeof(Row) == 24);

    struct Chunk {
        std::unique_ptr<char[]> bytes;
        std::uint32_t size = 0;
        std::uint32_t used = 0;
    };

    [[nodiscard]] bool isDataRow(int row) const { return row >= 0 && row < rowCount(); }
    [[nodiscard]] std::uint32_t slotOf(int row) const { return order_[std::size_t(row)]; }
    [[nodiscard]] static quint64 cellKey(std::uint32_t slot, int column) {
        return (quint64(slot) << 16) | quint64(column);
    }
    // The record's bytes, or a source's record written into `scratch`.
    [[nodiscard]] QByteArrayView recordText(const Row& r, QByteArray& scratch) const;
    [[nodiscard]] QByteArrayView pathBytes(const Row& r, QByteArray& scratch) const;
    [[nodiscard]] QByteArrayView fieldOf(const Row& r, int column, QByteArray& scratch) const;
    [[nodiscard]] QByteArrayView cellOfSlot(std::uint32_t slot, int column,
                                            QByteArray& scratch) const;
    // Row `row` (grown into when it does not exist yet) as a fresh row: no record, mark,
    // shade or rewritten cells.
    Row& startRow(int row);
    // Row `row` got its record: it is filled, and a view shows it.
    void endRow(int row);
    // Copies the two byte runs one after the other into the arena; returns where they start.
    void store(Row& r, QByteArrayView record, QByteArrayView path);
    void dropRewritten(std::uint32_t slot);
    void compactSlots();

    ColumnSchema schema_;
    QStringList titles_;
    QList<int> widths_;
    QList<int> rightAligned_;
    // Rows by slot, in the order they were made; a deque grows without moving its rows.
    std::deque<Row> rows_;
    // The slot shown at row r is order_[r]: sorting rearranges these numbers only.
    std::vector<std::uint32_t> order_;
    std::vector<Chunk> chunks_;
    std::deque<QByteArray> shared_;  // scans' records the rows share
    std::vector<std::shared_ptr<const RowSource>> sources_;
    QHash<quint64, QString> rewritten_;  // by cellKey
    std::function<QString(const QByteArray&)> tipOf_;
    mutable QByteArray scratch_;  // a source's record while a cell is read from it
    int filled_ = 0;
};

template <class Visit>
void ResultGrid::visitRecords(Visit visit) const {
    // Slots are in the order the rows were made, which sorting leaves alone.
    QByteArray record, path;
    for (const Row& r : rows_)
        if (r.recordSize > 0 || r.sourced) {
            const QByteArrayView text = recordText(r, record);
            visit(text, pathBytes(r, path));
        }
}

template <class Visit>
void ResultGrid::visitColumn(int column, int firstRow, int lastRow, Visit visit) const {
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, rowCount() - 1);
    if (column < 0 || column >= columnCount() || lastRow < firstRow) return;
    std::vector<int> rowOfSlot(rows_.size(), -1);
    for (int r = firstRow; r <= lastRow; ++r)
        rowOfSlot[slotOf(r)] = r;
    QByteArray scratch;
    for (std::size_t slot = 0; slot < rowOfSlot.size(); ++slot)
        if (rowOfSlot[slot] >= 0)
            visit(rowOfSlot[slot], cellOfSlot(std::uint32_t(slot), column, scratch));
}

}  // namespace rk
