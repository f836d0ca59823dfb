#include "common/FileTypes.h"

#include <QHash>
#include <QMimeDatabase>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>

#include "common/TextHelpers.h"

namespace rk {

namespace {

std::optional<FileType> mimeTypeOf(const QString& extension) {
    const QMimeDatabase db;
    // A name that no prefix pattern ("README*", "Makefile*") can claim.
    const QString probe = QStringLiteral("name") + extension;
    // Only a matching glob pattern counts: the best match by name would fall back to
    // application/octet-stream, which is no registration. The first match is the one the
    // database picks by name; one query, as each matches the name against every pattern.
    const QList<QMimeType> types = db.mimeTypesForFileName(probe);
    if (types.isEmpty()) return std::nullopt;
    const QMimeType& type = types.first();
    if (!type.isValid() || type.isDefault()) return std::nullopt;
    return FileType{type.name(), type.comment()};
}

bool isPlainExtensionPattern(const QString& glob) {
    if (!glob.startsWith(QLatin1String("*."))) return false;
    const qsizetype letters = glob.size() - 2;
    if (letters < 1 || letters > 4) return false;
    for (qsizetype i = 2; i < glob.size(); ++i) {
        const QChar c = glob.at(i);
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('[') ||
            c == QLatin1Char(']'))
            return false;
    }
    return true;
}

}  // namespace

QString fileTypeNameFrom(const QString& extension, const FileTypeLookup& lookup) {
    if (extension.isEmpty() || extension.contains(QLatin1Char('*'))) return {};
    if (const std::optional<FileType> type = lookup(extension.toLower())) {
        if (!type->description.isEmpty()) return type->description;
        if (!type->name.isEmpty()) return type->name;
    }
    return asciiUpper(extension.mid(1)) + QStringLiteral(" File");
}

QString fileTypeName(const QString& extension) {
    // The database does not change while the program runs, and the grids ask once per row.
    static QMutex mutex;
    static QHash<QString, QString> cache;
    const QString key = extension.toLower();
    QMutexLocker lock(&mutex);
    const auto found = cache.constFind(key);
    if (found != cache.cend()) return *found;
    const QString name = fileTypeNameFrom(extension, mimeTypeOf);
    cache.insert(key, name);
    return name;
}

QStringList registeredExtensionPatterns(const QStringList& globPatterns) {
    QStringList patterns;
    for (const QString& glob : globPatterns)
        if (isPlainExtensionPattern(glob)) patterns.append(glob);
    // Letter case decides nothing here, but where the database holds both "*.C" and "*.c"
    // the lower-case spelling is the one kept.
    std::sort(patterns.begin(), patterns.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.compare(b) > 0;
    });
    QStringList list{QStringLiteral("*.*")};
    for (const QString& p : patterns)
        if (list.last().compare(p, Qt::CaseInsensitive) != 0) list.append(p);
    return list;
}

void listRegisteredExtensions(QStringList& list) {
    static const QStringList patterns = [] {
        QStringList globs;
        for (const QMimeType& type : QMimeDatabase().allMimeTypes())
            globs.append(type.globPatterns());
        return registeredExtensionPatterns(globs);
    }();
    list = patterns;
}

}  // namespace rk
