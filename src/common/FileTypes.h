#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace rk {

// What the file-type database says of one extension.
struct FileType {
    QString name;         // the MIME type name, such as "text/plain"
    QString description;  // its comment in the user's language; may be empty
};

// The description the system shows for files of this extension (".doc", any letter case):
// the type's description, else its type name, else the extension's letters upper-cased
// followed by " File". Empty for an empty extension or one holding "*" (from "*.*").
[[nodiscard]] QString fileTypeName(const QString& extension);

// Replaces the list with "*.*" followed by "*" + every registered extension of one to four
// characters after the dot, sorted without regard to letter case, each once.
void listRegisteredExtensions(QStringList& list);

// The same rules over any source of types and glob patterns; the functions above use the
// shared-mime-info database. `lookup` receives the extension in lower case.
using FileTypeLookup = std::function<std::optional<FileType>(const QString& extension)>;
[[nodiscard]] QString fileTypeNameFrom(const QString& extension, const FileTypeLookup& lookup);
[[nodiscard]] QStringList registeredExtensionPatterns(const QStringList& globPatterns);

}  // namespace rk
