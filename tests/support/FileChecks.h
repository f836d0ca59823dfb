#pragma once

#include <QByteArray>
#include <QFile>

#include <sys/stat.h>

#include "common/Services.h"

namespace rk::test {

// Whether anything, even a dangling link, is at path.
inline bool exists(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

inline QByteArray contents(const QByteArray& path) {
    QFile f(QFile::decodeName(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Installs a platform of the test's own for as long as it lives.
class PlatformScope {
public:
    explicit PlatformScope(Platform& p) : old_(&platform()) { setPlatform(&p); }
    ~PlatformScope() { setPlatform(old_); }
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;

private:
    Platform* old_;
};

}  // namespace rk::test
