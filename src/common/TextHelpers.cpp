#include "common/TextHelpers.h"

#include <QFile>

#include "common/TimeHelpers.h"

namespace rk {

QString formatThousands(std::int64_t n) {
    // Grouping is asked for explicitly: some locales omit it by default.
    QLocale locale = textLocale();
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(qint64(n));
}

std::int64_t readThousands(const QString& text) {
    QString digits = text.trimmed();
    digits.remove(QLatin1Char(','));
    digits.remove(textLocale().groupSeparator());
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    return ok ? value : 0;
}

QString countNoun(std::int64_t n, const char* noun) {
    QString word = QLatin1String(noun);
    if (n != 1) word += QLatin1Char('s');
    return word;
}

QString tabField(const QString& text, int n) {
    if (n < 1 || text.isEmpty()) return {};
    qsizetype start = 0;
    for (int field = 1; field < n; ++field) {
        const qsizetype tab = text.indexOf(QLatin1Char('\t'), start);
        if (tab < 0) return {};
        start = tab + 1;
    }
    const qsizetype end = text.indexOf(QLatin1Char('\t'), start);
    return text.mid(start, end < 0 ? -1 : end - start);
}

QString JoinPath(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QByteArray JoinPath(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QString displayPath(const QByteArray& path) {
    return QFile::decodeName(path);
}

QString asciiUpper(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 32);
    return out;
}

}  // namespace rk
