#include "common/SearchPath.h"

#include <QFile>

#include "common/TextHelpers.h"

namespace rk {

SearchPathList::SearchPathList(const QByteArray& pathVariable, const QByteArray& systemFolder,
                               const QByteArray& windowsFolder) {
    if (!pathVariable.isNull()) {
        for (const QByteArray& piece : pathVariable.split(':'))
            entries_.append(asciiUpper(QFile::decodeName(piece)));
    }
    for (const QByteArray& folder : {systemFolder, windowsFolder})
        if (!folder.isEmpty()) entries_.append(asciiUpper(QFile::decodeName(folder)));
}

bool SearchPathList::contains(const QString& folder) const {
    const QString upper = asciiUpper(folder);
    for (const QString& entry : entries_)
        if (!entry.isEmpty() && entry == upper) return true;
    return false;
}

namespace {
SearchPathList& theList() {
    static SearchPathList list;
    return list;
}
}  // namespace

const SearchPathList& searchPathList() {
    return theList();
}
void setSearchPathList(SearchPathList list) {
    theList() = std::move(list);
}
bool IsOnSearchPath(const QString& folder) {
    return theList().contains(folder);
}

}  // namespace rk
