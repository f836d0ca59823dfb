#include "platform/TrashInfo.h"

#include <QList>

namespace rk {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Strict percent-decoding: a "%" not followed by two hex digits makes the value unreadable
// rather than something else than was written.
std::optional<QByteArray> percentDecoded(const QByteArray& value) {
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '%') {
            out += value[i];
            continue;
        }
        if (i + 2 >= value.size()) return std::nullopt;
        const int hi = hexValue(value[i + 1]);
        const int lo = hexValue(value[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += char(hi * 16 + lo);
        i += 2;
    }
    return out;
}

}  // namespace

QByteArray trashInfoText(const QByteArray& path, std::time_t deletedAt) {
    struct tm local {};
    ::localtime_r(&deletedAt, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    // Everything but the unreserved characters and "/" is escaped, line breaks included, so
    // any name keeps to its one line.
    return "[Trash Info]\nPath=" + path.toPercentEncoding("/") + "\nDeletionDate=" + date + "\n";
}

std::optional<TrashInfo> parseTrashInfo(const QByteArray& text) {
    bool inGroup = false;
    std::optional<QByteArray> path;
    TrashInfo info;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        if (line.startsWith('[')) {
            inGroup = line == "[Trash Info]";
            continue;
        }
        if (!inGroup || line.startsWith('#')) continue;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1);
        if (key == "Path" && !path) {
            path = percentDecoded(value);
            if (!path) return std::nullopt;
        } else if (key == "DeletionDate") {
            info.deletionDate = value;
        }
    }
    if (!path) return std::nullopt;
    info.path = *path;
    return info;
}

}  // namespace rk
