#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

namespace rk {

// A line as drawn: one cell per character on screen, and for each cell the column of the
// line's text it stands for. Text lines are read as UTF-8; a byte that is not part of a valid
// sequence is one Latin-1 cell; control characters are drawn as a placeholder (the text keeps
// its bytes); a tab, when expanded, fills the cells up to the next tab stop.
struct LineCells {
    QString text;
    std::vector<std::int32_t> column;  // per cell, plus one past the end (the text's length)

    [[nodiscard]] int cellCount() const { return int(text.size()); }
    // The first cell of a column (the end for a column past it).
    [[nodiscard]] int cellOf(std::int64_t textColumn) const;
    // The column a cell stands for.
    [[nodiscard]] std::int64_t columnOf(int cell) const;
};

struct CellRules {
    bool utf8 = true;  // false: every byte is one Latin-1 cell (hex lines)
    bool expandTabs = true;
    int tabSize = 8;
    bool placeholders = true;  // false: control characters kept as they are (copied text)
};

// The placeholder drawn for a control character.
constexpr char16_t controlPlaceholder = u'\u00B7';

[[nodiscard]] LineCells lineCells(QByteArrayView text, const CellRules& rules);

}  // namespace rk
