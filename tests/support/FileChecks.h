#pragma once

#include <QByteArray>
#include <QFile>

#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "InstalledPlatform.h"
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

// Overwrites the start of the file at path in place, then gives it back its last access and
// last write to the nanosecond, as a program that keeps times would: only its change time
// (which no one can set) tells.
inline void rewriteInPlace(const QByteArray& path, const QByteArray& bytes) {
    struct stat st {};
    const int fd = ::open(path.constData(), O_WRONLY);
    const bool done = fd >= 0 && ::fstat(fd, &st) == 0 &&
                      ::pwrite(fd, bytes.constData(), size_t(bytes.size()), 0) == bytes.size();
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (done) ::futimens(fd, times);
    if (fd >= 0) ::close(fd);
    if (!done) throw std::runtime_error("cannot rewrite " + path.toStdString());
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
