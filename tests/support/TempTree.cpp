#include "TempTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDateTime>
#include <QFile>

#include <stdexcept>

namespace rk::test {

TempTree::TempTree() {
    if (!dir_.isValid()) throw std::runtime_error("no temporary folder");
    // Qt's removal goes by decoded path names, so it leaves trees with names that are not
    // UTF-8, or deeper than a path may be long; rm takes any tree.
    dir_.setAutoRemove(false);
    char* real = ::realpath(QFile::encodeName(dir_.path()).constData(), nullptr);
    root_ = real;
    std::free(real);
}

TempTree::~TempTree() {
    // A plain fork, which the thread sanitizer follows: Qt's way of starting a process is
    // hidden from it and leaves its record of locks wrong for the tests that come after.
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execlp("rm", "rm", "-rf", "--", root_.constData(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    if (pid > 0) ::waitpid(pid, &status, 0);
}

QByteArray TempTree::path(const QByteArray& relative) const {
    return relative.isEmpty() ? root_ : root_ + '/' + relative;
}

QByteArray TempTree::dir(const QByteArray& relative) const {
    QByteArray p = root_;
    for (const QByteArray& part : relative.split('/')) {
        if (part.isEmpty()) continue;
        p += '/' + part;
        ::mkdir(p.constData(), 0755);
    }
    return p;
}

QByteArray TempTree::file(const QByteArray& relative, std::int64_t size) const {
    const qsizetype slash = relative.lastIndexOf('/');
    if (slash > 0) dir(relative.left(slash));
    const QByteArray p = path(relative);
    const int fd = ::open(p.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + p.toStdString());
    if (size > 0 && ::ftruncate(fd, size) != 0) throw std::runtime_error("cannot size file");
    ::close(fd);
    return p;
}

QByteArray TempTree::file(const QByteArray& relative, const QByteArray& content) const {
    const QByteArray p = file(relative, std::int64_t(0));
    const int fd = ::open(p.constData(), O_WRONLY | O_TRUNC);
    if (::write(fd, content.constData(), size_t(content.size())) != content.size())
        throw std::runtime_error("cannot write file");
    ::close(fd);
    return p;
}

QByteArray TempTree::symlink(const QByteArray& relative, const QByteArray& target) const {
    const qsizetype slash = relative.lastIndexOf('/');
    if (slash > 0) dir(relative.left(slash));
    const QByteArray p = path(relative);
    if (::symlink(target.constData(), p.constData()) != 0)
        throw std::runtime_error("cannot make link");
    return p;
}

void TempTree::setTimes(const QByteArray& relative, int y, int m, int d, int h, int mi,
                        int s) const {
    const QDateTime local(QDate(y, m, d), QTime(h, mi, s));
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = local.toSecsSinceEpoch();
    times[0].tv_nsec = times[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, path(relative).constData(), times, AT_SYMLINK_NOFOLLOW);
}

}  // namespace rk::test
