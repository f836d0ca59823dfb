#include "platform/SplitPath.h"

namespace rk {

PathParts splitPath(const QByteArray& path) {
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == '/')
        --end;
    const qsizetype slash = path.lastIndexOf('/', end - 1);
    if (slash < 0) return {QByteArray(), path.left(end)};
    return {slash == 0 ? QByteArray("/") : path.left(slash),
            path.sliced(slash + 1, end - slash - 1)};
}

}  // namespace rk
