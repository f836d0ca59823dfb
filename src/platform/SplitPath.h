#pragma once

#include <QByteArray>

namespace rk {

// A path as the folder that holds it and its last name, as exact bytes. Trailing slashes go
// first ("/a/b/" is "/a" and "b"); an entry of the root has "/" as its folder, and the root
// itself is "/" with no name. A path without a slash has no folder: callers that need one
// (a relative path was given) tell it by the empty folder.
struct PathParts {
    QByteArray folder;
    QByteArray name;
};
[[nodiscard]] PathParts splitPath(const QByteArray& path);

// Whether path is folder or lies anywhere below it, by whole names ("/a/bc" is not below
// "/a/b"); "/" and a folder written with a trailing slash hold what starts with them.
[[nodiscard]] inline bool folderHolds(const QByteArray& folder, const QByteArray& path) {
    if (!path.startsWith(folder)) return false;
    return path.size() == folder.size() || folder.endsWith('/') || path[folder.size()] == '/';
}

}  // namespace rk
