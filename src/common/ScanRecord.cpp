#include "common/ScanRecord.h"

#include <algorithm>

#include "common/TextHelpers.h"

namespace rk {

namespace {
inline unsigned char fold(char c) {
    return static_cast<unsigned char>((c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c);
}
}  // namespace

int compareFolded(QByteArrayView a, QByteArrayView b) {
    const qsizetype n = std::min(a.size(), b.size());
    const char* pa = a.data();
    const char* pb = b.data();
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char ca = fold(pa[i]);
        const unsigned char cb = fold(pb[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void rankLargestFirst(std::vector<ScanRecord>& records) {
    std::sort(records.begin(), records.end(), [](const ScanRecord& a, const ScanRecord& b) {
        if (a.kilobytes != b.kilobytes) return a.kilobytes > b.kilobytes;
        return compareFolded(a.text, b.text) > 0;
    });
}

QString recordText(const QByteArray& bytes) {
    QString text = displayPath(bytes);
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QChar(0xFFFD);
    return text;
}

bool recordShowsExactly(const QByteArray& bytes, const QString& text) {
    return text.toUtf8() == bytes;
}

}  // namespace rk
