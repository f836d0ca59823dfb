#include "common/ResultGrid.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "common/ScanRecord.h"

namespace rk {

namespace {

// Large enough that a million records need a few hundred allocations, small enough that the
// unused end of the last one does not matter.
constexpr std::uint32_t chunkSize = 1u << 20;

}  // namespace

ResultGrid::ResultGrid(QObject* parent) : QAbstractTableModel(parent) {
    rows_.emplace_back();
    order_.push_back(0);
}

ResultGrid::~ResultGrid() = default;

void ResultGrid::setColumns(const QStringList& titles, const QList<int>& widths) {
    QList<int> newWidths;
    for (qsizetype c = 0; c < titles.size(); ++c)
        newWidths.append(c < widths.size() ? widths[c] : defaultColumnWidth);
    if (titles.size() != titles_.size()) {
        beginResetModel();
        titles_ = titles;
        widths_ = newWidths;
        rewritten_.clear();
        for (Row& r : rows_) {
            r.rewritten = false;
            r.markColumn = -1;
        }
        endResetModel();
    } else {
        titles_ = titles;
        widths_ = newWidths;
        if (!titles_.isEmpty()) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }
    emit columnWidthsChanged();
}

void ResultGrid::setSchema(const ColumnSchema& schema) {
    schema_ = schema;
    QList<int> widths;
    for (const ResultColumn& c : schema.columns)
        widths.append(c.width > 0 ? c.width : defaultColumnWidth);
    setColumns(schema.titles(), widths);
    rightAligned_.clear();
    for (int c = 0; c < schema.count(); ++c)
        if (schema.columns[std::size_t(c)].rightAligned) rightAligned_.append(c);
    if (columnCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int ResultGrid::columnWidth(int column) const {
    return column >= 0 && column < widths_.size() ? widths_[column] : defaultColumnWidth;
}

void ResultGrid::setColumnWidth(int column, int width) {
    if (column < 0 || column >= widths_.size() || widths_[column] == width) return;
    widths_[column] = width;
    emit columnWidthsChanged();
}

void ResultGrid::setRowCount(int rows) {
    rows = std::max(rows, 1);
    const int current = rowCount();
    if (rows > current) {
        beginInsertRows({}, current, rows - 1);
        for (int r = current; r < rows; ++r) {
            order_.push_back(std::uint32_t(rows_.size()));
            rows_.emplace_back();
        }
        endInsertRows();
    } else if (rows < current) {
        beginRemoveRows({}, rows, current - 1);
        const std::size_t kept = std::size_t(rows);
        bool tailOnly = true;
        for (std::size_t i = kept; i < order_.size(); ++i) {
            dropRewritten(order_[i]);
            tailOnly = tailOnly && order_[i] >= kept;
        }
        order_.resize(kept);
        // The arena keeps the texts of rows cut here until clear(): a scan cuts only the
        // empty rows of its last growth step.
        // Rows cut after a sort need not be the last made; then renumber the survivors.
        if (tailOnly)
            rows_.resize(kept);
        else
            compactSlots();
        filled_ = std::min(filled_, rows);
        endRemoveRows();
    }
}

void ResultGrid::compactSlots() {
    std::deque<Row> rows;
    QHash<quint64, QString> rewritten;
    for (std::size_t i = 0; i < order_.size(); ++i) {
        const Row& r = rows_[order_[i]];
        if (r.rewritten)
            for (int c = 0; c < columnCount(); ++c) {
                const auto found = rewritten_.constFind(cellKey(order_[i], c));
                if (found != rewritten_.cend())
                    rewritten.insert(cellKey(std::uint32_t(i), c), *found);
            }
        rows.push_back(r);
        order_[i] = std::uint32_t(i);
    }
    rows_ = std::move(rows);
    rewritten_ = std::move(rewritten);
}

int ResultGrid::addRecord(const QString& record, const QByteArray& path) {
    return addRecordUtf8(record.toUtf8(), path);
}

int ResultGrid::addRecordUtf8(QByteArrayView record, const QByteArray& path) {
    const int row = filled_;
    if (row >= rowCount()) setRowCount(rowCount() + growthStep);
    setRecordUtf8(row, record, path);
    filled_ = row + 1;
    return row;
}

int ResultGrid::addRecord(const ScanRecord& record, const QByteArray& path) {
    const QByteArrayView text = record.text();
    const QByteArray& bytes = record.bytes();
    qsizetype pathAt = path.isEmpty() ? 0 : text.indexOf(path);
    // A record keeps an exact path that its text cannot show after a NUL.
    if (pathAt < 0 && QByteArrayView(bytes).sliced(text.size()).startsWith('\0') &&
        QByteArrayView(bytes).sliced(text.size() + 1) == path)
        pathAt = text.size() + 1;
    if (pathAt < 0 || text.isEmpty()) return addRecordUtf8(text, path);
    const int row = filled_;
    Row& r = startRow(row);
    r.shared = true;
    r.chunk = std::uint32_t(shared_.size());
    r.recordSize = std::uint32_t(text.size());
    r.pathAt = std::uint32_t(pathAt);
    r.pathSize = std::uint32_t(path.size());
    shared_.push_back(bytes);
    endRow(row);
    return row;
}

int ResultGrid::addSourceRow(const std::shared_ptr<const RowSource>& source, std::uint32_t at) {
    if (!source || at >= source->size()) return -1;
    if (sources_.empty() || sources_.back() != source) sources_.push_back(source);
    const int row = filled_;
    Row& r = startRow(row);
    r.sourced = true;
    r.chunk = std::uint32_t(sources_.size() - 1);
    r.at = at;
    endRow(row);
    return row;
}

ResultGrid::Row& ResultGrid::startRow(int row) {
    if (row >= rowCount()) setRowCount(rowCount() + growthStep);
    const std::uint32_t slot = slotOf(row);
    Row& r = rows_[slot];
    dropRewritten(slot);
    if (r.shared) shared_[r.chunk] = QByteArray();
    r = Row();
    return r;
}

void ResultGrid::endRow(int row) {
    filled_ = row + 1;
    if (columnCount() > 0) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void ResultGrid::setRecord(int row, const QString& record, const QByteArray& path) {
    setRecordUtf8(row, record.toUtf8(), path);
}

void ResultGrid::setRecordUtf8(int row, QByteArrayView text, const QByteArray& path) {
    if (!isDataRow(row)) return;
    Row& r = startRow(row);
    const qsizetype inside = path.isEmpty() ? 0 : text.indexOf(path);
    if (inside >= 0) {
        store(r, text, {});
        r.pathAt = std::uint32_t(inside);
    } else {
        store(r, text, path);
        r.pathAt = r.recordSize;
    }
    r.pathSize = std::uint32_t(path.size());
    if (columnCount() > 0) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void ResultGrid::store(Row& r, QByteArrayView record, QByteArrayView path) {
    const std::size_t need = std::size_t(record.size()) + std::size_t(path.size());
    r.recordSize = std::uint32_t(record.size());
    r.chunk = r.at = 0;
    if (need == 0) return;
    if (chunks_.empty() || chunks_.back().size - chunks_.back().used < need) {
        Chunk c;
        c.size = std::uint32_t(std::max<std::size_t>(chunkSize, need));
        c.bytes = std::make_unique_for_overwrite<char[]>(c.size);
        chunks_.push_back(std::move(c));
    }
    Chunk& c = chunks_.back();
    r.chunk = std::uint32_t(chunks_.size() - 1);
    r.at = c.used;
    std::memcpy(c.bytes.get() + c.used, record.data(), std::size_t(record.size()));
    if (!path.isEmpty())
        std::memcpy(c.bytes.get() + c.used + record.size(), path.data(), std::size_t(path.size()));
    c.used += std::uint32_t(need);
}

void ResultGrid::clear() {
    beginResetModel();
    rows_.clear();
    rows_.emplace_back();
    order_.assign(1, 0);
    order_.shrink_to_fit();
    chunks_.clear();
    shared_.clear();
    sources_.clear();
    rewritten_.clear();
    filled_ = 0;
    endResetModel();
}

QByteArrayView ResultGrid::recordText(const Row& r, QByteArray& scratch) const {
    if (r.sourced) {
        sources_[r.chunk]->writeRecord(r.at, scratch);
        return scratch;
    }
    if (r.shared) return {shared_[r.chunk].constData(), r.recordSize};
    if (r.recordSize == 0) return QByteArrayView("");
    return {chunks_[r.chunk].bytes.get() + r.at, r.recordSize};
}

QByteArrayView ResultGrid::pathBytes(const Row& r, QByteArray& scratch) const {
    if (r.sourced) {
        scratch = sources_[r.chunk]->recordPath(r.at);
        return scratch;
    }
    if (r.pathSize == 0) return {};
    const char* record =
        r.shared ? shared_[r.chunk].constData() : chunks_[r.chunk].bytes.get() + r.at;
    return {record + r.pathAt, r.pathSize};
}

QByteArrayView ResultGrid::fieldOf(const Row& r, int column, QByteArray& scratch) const {
    if (r.sourced && sources_[r.chunk]->writeField(r.at, column, scratch)) return scratch;
    // Fields are short: a plain loop beats a library call per tab.
    const QByteArrayView record = recordText(r, scratch);
    const char* p = record.data();
    const char* const end = p + record.size();
    for (int field = 0; field < column; ++field) {
        while (p != end && *p != '\t')
            ++p;
        if (p == end) return {};
        ++p;
    }
    const char* stop = p;
    while (stop != end && *stop != '\t')
        ++stop;
    return QByteArrayView(p, stop);
}

QByteArrayView ResultGrid::cellOfSlot(std::uint32_t slot, int column, QByteArray& scratch) const {
    const Row& r = rows_[slot];
    if (r.rewritten) {
        const auto found = rewritten_.constFind(cellKey(slot, column));
        if (found != rewritten_.cend()) {
            scratch = found->toUtf8();
            return scratch;
        }
    }
    return fieldOf(r, column, scratch);
}

QByteArrayView ResultGrid::cellUtf8(int column, int row, QByteArray& scratch) const {
    if (column < 0 || column >= columnCount() || !isDataRow(row)) return {};
    return cellOfSlot(slotOf(row), column, scratch);
}

QString ResultGrid::cell(int column, int row) const {
    if (column < 0 || column >= columnCount() || !isDataRow(row)) return {};
    const std::uint32_t slot = slotOf(row);
    const Row& r = rows_[slot];
    if (r.rewritten) {
        const auto found = rewritten_.constFind(cellKey(slot, column));
        if (found != rewritten_.cend()) return *found;
    }
    return QString::fromUtf8(fieldOf(r, column, scratch_));
}

void ResultGrid::setCell(int column, int row, const QString& text) {
    if (column < 0 || column >= columnCount() || !isDataRow(row)) return;
    const std::uint32_t slot = slotOf(row);
    Row& r = rows_[slot];
    // Writing back the record's own text costs nothing: only texts that differ are kept.
    const quint64 key = cellKey(slot, column);
    if (text == QString::fromUtf8(fieldOf(r, column, scratch_))) {
        if (r.rewritten) rewritten_.remove(key);
    } else {
        rewritten_.insert(key, text);
        r.rewritten = true;
    }
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i);
}

void ResultGrid::setTitle(int column, const QString& text) {
    if (column < 0 || column >= columnCount()) return;
    titles_[column] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void ResultGrid::dropRewritten(std::uint32_t slot) {
    Row& r = rows_[slot];
    if (!r.rewritten) return;
    for (int c = 0; c < columnCount(); ++c)
        rewritten_.remove(cellKey(slot, c));
    r.rewritten = false;
}

QString ResultGrid::recordOf(int row) const {
    if (!isDataRow(row)) return {};
    return QString::fromUtf8(recordText(rows_[slotOf(row)], scratch_));
}

QByteArray ResultGrid::pathOf(int row) const {
    if (!isDataRow(row)) return {};
    const Row& r = rows_[slotOf(row)];
    if (r.sourced) return sources_[r.chunk]->recordPath(r.at);
    return pathBytes(r, scratch_).toByteArray();
}

QStringList ResultGrid::records() const {
    QStringList list;
    visitRecords(
        [&](QByteArrayView record, QByteArrayView) { list.append(QString::fromUtf8(record)); });
    return list;
}

bool ResultGrid::isMarked(int row) const {
    return isDataRow(row) && rows_[slotOf(row)].markColumn >= 0;
}

bool ResultGrid::isMarked(int column, int row) const {
    return column >= 0 && isDataRow(row) && rows_[slotOf(row)].markColumn == column;
}

void ResultGrid::setMark(int row, int column, bool marked) {
    if (!isDataRow(row) || column < 0 || column >= columnCount()) return;
    Row& r = rows_[slotOf(row)];
    const int old = r.markColumn;
    if (marked)
        r.markColumn = std::int16_t(column);
    else if (old == column)
        r.markColumn = -1;
    if (old == r.markColumn) return;
    const int from = old < 0 ? column : std::min(old, column);
    const int to = old < 0 ? column : std::max(old, column);
    emit dataChanged(index(row, from), index(row, to), {ResultGrid::MarkRole});
}

void ResultGrid::setShaded(int row, bool shaded) {
    if (!isDataRow(row) || rows_[slotOf(row)].shaded == shaded) return;
    rows_[slotOf(row)].shaded = shaded;
    if (columnCount() > 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1), {ResultGrid::ShadeRole});
}

bool ResultGrid::isShaded(int row) const {
    return isDataRow(row) && rows_[slotOf(row)].shaded;
}

void ResultGrid::reorderRows(int firstRow, const std::vector<int>& rows) {
    if (rows.empty() || firstRow < 0 || std::size_t(firstRow) + rows.size() > order_.size()) return;
    std::vector<bool> seen(rows.size(), false);
    for (int r : rows) {
        const std::size_t i = std::size_t(r - firstRow);
        if (r < firstRow || i >= rows.size() || seen[i]) return;
        seen[i] = true;
    }
    std::vector<std::uint32_t> moved(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        moved[i] = slotOf(rows[i]);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::copy(moved.begin(), moved.end(), order_.begin() + firstRow);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ResultGrid::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount();
}

int ResultGrid::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCount();
}

QVariant ResultGrid::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return cell(index.column(), index.row());
    if (role == MarkRole) return isMarked(index.column(), index.row());
    if (role == ShadeRole) return isShaded(index.row());
    if (role == Qt::ToolTipRole && tipOf_) {
        const QByteArray path = pathOf(index.row());
        const QString tip = path.isEmpty() ? QString() : tipOf_(path);
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    if (role == Qt::TextAlignmentRole && rightAligned_.contains(index.column()))
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

void ResultGrid::setRightAligned(int column, bool right) {
    rightAligned_.removeAll(column);
    if (right) rightAligned_.append(column);
    if (column >= 0 && column < columnCount())
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

QVariant ResultGrid::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return section >= 0 && section < columnCount() ? titles_[section] : QVariant();
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ResultGrid::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace rk
