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

QString reportPrintedLine(const QDateTime& when) {
    return QStringLiteral("Printed : ") + textLocale().toString(when.date(), shortDateFormat()) +
           QStringLiteral("  ") + textLocale().toString(when.time(), longTimeFormat());
}

}  // namespace rk
