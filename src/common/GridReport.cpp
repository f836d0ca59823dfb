#include "common/GridReport.h"

#include <algorithm>

#include "common/ResultGrid.h"
#include "common/TimeHelpers.h"

namespace rk {

namespace {

qsizetype lengthWithoutTrailingBlanks(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == QLatin1Char(' '))
        --n;
    return n;
}

qsizetype leadingBlanks(const QString& s) {
    qsizetype n = 0;
    while (n < s.size() && s[n] == QLatin1Char(' '))
        ++n;
    return n;
}

template <class TextOf>
QStringList paddedFields(const ResultGrid& grid, TextOf textOf) {
    QStringList fields;
    fields.reserve(grid.columnCount());
    for (int c = 0; c < grid.columnCount(); ++c)
        fields.append(textOf(c).leftJustified(std::max(grid.columnWidth(c), 0) / 6) +
                      QLatin1Char(' '));
    return fields;
}

}  // namespace

QStringList gridReportFields(const ResultGrid& grid, int row) {
    return paddedFields(grid, [&](int c) { return grid.cell(c, row); });
}

QStringList gridReportTitles(const ResultGrid& grid) {
    return paddedFields(grid, [&](int c) { return grid.title(c); });
}

QStringList wrapReportFields(const QStringList& fields, qsizetype width, qsizetype indent) {
    width = std::max<qsizetype>(width, 1);
    // A continuation must leave room for at least half a line of its own.
    indent = std::clamp<qsizetype>(indent, 0, width / 2);
    QStringList out;
    QString line;
    const auto flush = [&] {
        line.truncate(lengthWithoutTrailingBlanks(line));
        out.append(line);
        line = QString(indent, QLatin1Char(' '));
    };
    for (QString field : fields) {
        if (lengthWithoutTrailingBlanks(field) == 0) {
            // Padding only: it keeps the columns of the first line, and never starts another.
            if (out.isEmpty() || lengthWithoutTrailingBlanks(line) > 0) line += field;
            continue;
        }
        while (lengthWithoutTrailingBlanks(field) > 0) {
            qsizetype room = width - line.size();
            if (lengthWithoutTrailingBlanks(field) <= room) {
                line += field;
                break;
            }
            if (lengthWithoutTrailingBlanks(line) > 0) {
                flush();
                continue;
            }
            if (room <= 0) {
                // Only padding so far, and more than the line holds: drop it.
                line = QString(out.isEmpty() ? 0 : indent, QLatin1Char(' '));
                room = width - line.size();
            }
            // Too wide for a line of its own: break before the last blank that fits.
            qsizetype cut = room;
            for (qsizetype i = room; i > 0; --i)
                if (field[i] == QLatin1Char(' ')) {
                    cut = i;
                    break;
                }
            line += QStringView(field).left(cut);
            field.remove(0, cut);
            field.remove(0, leadingBlanks(field));
            flush();
        }
    }
    if (out.isEmpty() || lengthWithoutTrailingBlanks(line) > 0) flush();
    return out;
}

QStringList wrapReportText(const QString& text, qsizetype width, qsizetype indent) {
    // Each word with the blanks after it is a field.
    QStringList words;
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype to = from;
        while (to < text.size() && text[to] != QLatin1Char(' '))
            ++to;
        while (to < text.size() && text[to] == QLatin1Char(' '))
            ++to;
        words.append(text.mid(from, to - from));
        from = to;
    }
    return wrapReportFields(words, width, indent);
}

void ReportFit::measure(const QStringList& fields) {
    if (std::size_t(fields.size()) > widest_.size()) {
        widest_.resize(std::size_t(fields.size()));
        longest_.resize(std::size_t(fields.size()));
    }
    for (qsizetype c = 0; c < fields.size(); ++c) {
        widest_[std::size_t(c)] = std::max(widest_[std::size_t(c)], fields[c].size());
        longest_[std::size_t(c)] =
            std::max(longest_[std::size_t(c)], lengthWithoutTrailingBlanks(fields[c]));
    }
}

void ReportFit::fitTo(qsizetype width) {
    column_ = -1;
    if (widest_.empty()) return;
    // The widest row: the last column's padding and blank are dropped from the line.
    const std::size_t last = widest_.size() - 1;
    std::vector<qsizetype> room = widest_;
    room[last] = longest_[last];
    qsizetype total = 0;
    for (qsizetype w : room)
        total += w;
    if (total <= width) return;
    const auto column =
        std::size_t(std::max_element(longest_.begin(), longest_.end()) - longest_.begin());
    // The blank after the column stays, unless it ends the line.
    const qsizetype keep = width - (total - room[column]) - (column < last ? 1 : 0);
    // Fewer characters than this tell too little of a name or a path.
    constexpr qsizetype shortestCut = 12;
    if (keep < shortestCut) return;
    column_ = int(column);
    keep_ = keep;
}

QStringList ReportFit::apply(QStringList fields) const {
    if (column_ < 0 || column_ >= fields.size()) return fields;
    QString& field = fields[column_];
    QString text = field.left(lengthWithoutTrailingBlanks(field));
    if (text.size() > keep_) {
        // The middle goes: a path's drive and its last names tell the most.
        const qsizetype head = (keep_ - 1) / 2;
        text = text.left(head) + QChar(0x2026) + text.right(keep_ - 1 - head);
    }
    field = text.leftJustified(keep_) + QLatin1Char(' ');
    return fields;
}

QString reportPrintedLine(const QDateTime& when) {
    return QStringLiteral("Printed : ") + textLocale().toString(when.date(), shortDateFormat()) +
           QStringLiteral("  ") + textLocale().toString(when.time(), longTimeFormat());
}

}  // namespace rk
