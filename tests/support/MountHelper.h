#pragma once

#include <QByteArray>
#include <vector>

#include <sys/mount.h>

#include <cerrno>

namespace rk::test {

// Real mounts for a test, undone (lazily, so a busy one goes too) when it ends. Tests run as
// root; where mounting is not allowed the first mount fails and error says why.
class ScopedMounts {
public:
    ScopedMounts() = default;
    ScopedMounts(const ScopedMounts&) = delete;
    ScopedMounts& operator=(const ScopedMounts&) = delete;
    ~ScopedMounts() {
        for (auto it = targets_.rbegin(); it != targets_.rend(); ++it)
            ::umount2(it->constData(), MNT_DETACH);
    }

    bool tmpfs(const QByteArray& at) {
        return done(at, ::mount("roomkin-test", at.constData(), "tmpfs", 0, "size=1m"));
    }
    bool bind(const QByteArray& from, const QByteArray& at) {
        return done(at, ::mount(from.constData(), at.constData(), nullptr, MS_BIND, nullptr));
    }

    int error = 0;

private:
    bool done(const QByteArray& at, int rc) {
        if (rc != 0) {
            error = errno;
            return false;
        }
        targets_.push_back(at);
        return true;
    }

    std::vector<QByteArray> targets_;
};

}  // namespace rk::test
