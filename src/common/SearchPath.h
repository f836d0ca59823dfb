#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace rk {

// The folders on the program search path, in upper case: the PATH pieces in order (an empty
// piece stays as an entry that matches nothing), then the two system-folder stand-ins.
class SearchPathList {
public:
    SearchPathList() = default;
    SearchPathList(const QByteArray& pathVariable, const QByteArray& systemFolder,
                   const QByteArray& windowsFolder);

    // Whole-string comparison after ASCII upper-casing: "/usr/bin" and "/usr/bin/" differ.
    [[nodiscard]] bool contains(const QString& folder) const;
    [[nodiscard]] const QStringList& entries() const { return entries_; }

private:
    QStringList entries_;
};

// The list the main window built at start-up.
[[nodiscard]] const SearchPathList& searchPathList();
void setSearchPathList(SearchPathList list);
[[nodiscard]] bool IsOnSearchPath(const QString& folder);

}  // namespace rk
