#include "viewer/LineCells.h"

#include <algorithm>

namespace rk {

namespace {

// The length of the valid UTF-8 sequence at p, or 0.
int utf8Length(const unsigned char* p, qsizetype left, char32_t& out) {
    const unsigned char c = p[0];
    int length = 0;
    char32_t lowest = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        lowest = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        lowest = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (left < length) return 0;
    char32_t code = c & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    out = code;
    return length;
}

bool isControl(char32_t c) {
    return c < 32 || (c >= 127 && c < 160);
}

}  // namespace

int LineCells::cellOf(std::int64_t textColumn) const {
    const auto it = std::lower_bound(column.begin(), column.end(), textColumn);
    return int(it - column.begin());
}

std::int64_t LineCells::columnOf(int cell) const {
    if (column.empty()) return 0;
    return column[std::size_t(std::clamp(cell, 0, int(column.size()) - 1))];
}

LineCells lineCells(QByteArrayView text, const CellRules& rules) {
    LineCells cells;
    cells.text.reserve(text.size());
    cells.column.reserve(std::size_t(text.size()) + 1);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const int tab = std::max(1, rules.tabSize);
    for (qsizetype i = 0; i < text.size();) {
        const unsigned char c = bytes[i];
        if (c == '\t' && rules.expandTabs) {
            const int spaces = tab - int(cells.text.size() % tab);
            for (int k = 0; k < spaces; ++k) {
                cells.text.append(QLatin1Char(' '));
                cells.column.push_back(std::int32_t(i));
            }
            ++i;
            continue;
        }
        char32_t code = c;
        const int length =
            rules.utf8 && c >= 0x80 ? utf8Length(bytes + i, text.size() - i, code) : 0;
        if (rules.placeholders && isControl(code)) code = controlPlaceholder;
        const QString shown = QString::fromUcs4(&code, 1);
        for (qsizetype k = 0; k < shown.size(); ++k) {
            cells.text.append(shown[k]);
            cells.column.push_back(std::int32_t(i));
        }
        i += std::max(1, length);
    }
    cells.column.push_back(std::int32_t(text.size()));
    return cells;
}

}  // namespace rk
