#pragma once

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <string>

#include "TempTree.h"

namespace rk::test {

// A file written out in full, never cloned from another (as cp may do on these file systems),
// its folders made as needed, last written at `second` since the epoch.
inline QByteArray plantFile(const QByteArray& path, const QByteArray& bytes,
                            std::int64_t second = 1'000'000'000) {
    QDir().mkpath(QFileInfo(QString::fromLocal8Bit(path)).path());
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return {};
    f.close();
    const timespec times[2] = {{second, 0}, {second, 250}};
    ::utimensat(AT_FDCWD, path.constData(), times, 0);
    return path;
}

// A small file system of the type named ("btrfs", "xfs") made in a sparse image and mounted
// through a loop device for one test; unmounted (lazily) and removed at the end. Mounting
// needs root and the type's mkfs: where either is missing, ok() is false and reason() says
// why, for a GTEST_SKIP.
class LoopImage {
public:
    explicit LoopImage(const QByteArray& type) : reason_(make(type)) { mounted_ = reason_.empty(); }
    ~LoopImage() {
        if (mounted_) ::umount2(root_.constData(), MNT_DETACH);
    }
    LoopImage(const LoopImage&) = delete;
    LoopImage& operator=(const LoopImage&) = delete;

    [[nodiscard]] bool ok() const { return mounted_; }
    [[nodiscard]] const std::string& reason() const { return reason_; }
    [[nodiscard]] const QByteArray& root() const { return root_; }

private:
    // Why the image could not be made and mounted; empty when it was.
    std::string make(const QByteArray& type) {
        const QByteArray image = tree_.path("fs.img");
        root_ = tree_.dir("mnt");
        // XFS takes no less than 300 MB; the image is sparse, so it costs what is written.
        QStringList args{QStringLiteral("-q"), QStringLiteral("-f"), QString::fromLocal8Bit(image)};
        if (type == "xfs") args << QStringLiteral("-m") << QStringLiteral("reflink=1");
        if (!QFile(args[2]).open(QIODevice::WriteOnly) ||
            !QFile::resize(args[2], type == "xfs" ? 300 << 20 : 128 << 20) ||
            !run(QStringLiteral("mkfs.") + QString::fromLatin1(type), args))
            return "cannot make a " + type.toStdString() + " image (mkfs." + type.toStdString() +
                   " needed)";
        if (!run(QStringLiteral("mount"),
                 {QStringLiteral("-o"), QStringLiteral("loop"), QString::fromLocal8Bit(image),
                  QString::fromLocal8Bit(root_)}))
            return "cannot mount a " + type.toStdString() + " image (root and loop devices needed)";
        return {};
    }
    static bool run(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }

    TempTree tree_;
    QByteArray root_;
    std::string reason_;  // made after the members above
    bool mounted_ = false;
};

}  // namespace rk::test
