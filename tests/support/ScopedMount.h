#pragma once

#include <sys/mount.h>

#include <QByteArray>
#include <cerrno>
#include <cstring>
#include <string>

namespace rk::test {

// A mount made for one test and undone when it goes out of scope: a fresh tmpfs, or a bind
// mount of a folder. Mounting needs root (the tests run as root); where the system refuses,
// ok() is false and reason() says why, for a GTEST_SKIP. Declare it after the temporary
// trees it mounts into or from, so that it is undone before they are removed.
class ScopedMount {
public:
    static ScopedMount tmpfs(const QByteArray& target) {
        return ScopedMount(target,
                           ::mount("roomkin-test", target.constData(), "tmpfs", 0, "size=4m") == 0);
    }
    static ScopedMount bind(const QByteArray& source, const QByteArray& target) {
        return ScopedMount(target, ::mount(source.constData(), target.constData(), nullptr, MS_BIND,
                                           nullptr) == 0);
    }

    ScopedMount(ScopedMount&& other) noexcept
        : target_(other.target_), mounted_(other.mounted_), error_(other.error_) {
        other.mounted_ = false;
    }
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;
    ScopedMount& operator=(ScopedMount&&) = delete;
    // Detached, so that a test that failed with a folder still open cannot leave it mounted.
    ~ScopedMount() {
        if (mounted_) ::umount2(target_.constData(), MNT_DETACH);
    }

    [[nodiscard]] bool ok() const { return mounted_; }
    [[nodiscard]] std::string reason() const {
        return "cannot mount at " + target_.toStdString() + ": " + std::strerror(error_);
    }

private:
    ScopedMount(QByteArray target, bool mounted)
        : target_(std::move(target)), mounted_(mounted), error_(mounted ? 0 : errno) {}

    QByteArray target_;
    bool mounted_ = false;
    int error_ = 0;
};

}  // namespace rk::test
