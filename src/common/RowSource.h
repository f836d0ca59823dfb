#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace rk {

// A list of records that writes each one when asked rather than keeping its text: a grid
// whose rows refer to one costs little more than the scan's own compact list, where rows
// holding their texts would hold the list a second time.
class RowSource {
public:
    virtual ~RowSource() = default;
    [[nodiscard]] virtual std::size_t size() const = 0;
    // Puts record `index` in UTF-8 into `out`, replacing what it held (and keeping its room).
    virtual void writeRecord(std::size_t index, QByteArray& out) const = 0;
    // Puts field `column` of record `index` into `out` and gives true, or gives false for the
    // grid to cut the field from the whole record: a sort reads one field of every row.
    virtual bool writeField(std::size_t /*index*/, int /*column*/, QByteArray& /*out*/) const {
        return false;
    }
    // The exact path record `index` stands for.
    [[nodiscard]] virtual QByteArray recordPath(std::size_t index) const = 0;
};

// Record `index` of a source, as a scan hands its rows to a grid.
struct SourceRow {
    const std::shared_ptr<const RowSource>& source;
    std::uint32_t index = 0;
};

}  // namespace rk
