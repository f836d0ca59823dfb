#include "RoomTree.h"

#include <fcntl.h>
#include <unistd.h>
#include <QFile>
#include <QProcess>

#include <stdexcept>

namespace rk::test {

QByteArray writeSparse(const TempTree& tree, const QByteArray& relative, std::int64_t length,
                       const QList<std::pair<std::int64_t, std::int64_t>>& extents) {
    const QByteArray p = tree.file(relative, length);
    const int fd = ::open(p.constData(), O_WRONLY);
    for (const auto& [offset, size] : extents) {
        const QByteArray bytes(size, '\0');  // zeros, yet written: they take room
        if (::pwrite(fd, bytes.constData(), std::size_t(size), offset) != size)
            throw std::runtime_error("cannot write " + p.toStdString());
    }
    ::fsync(fd);
    ::close(fd);
    return p;
}

std::int64_t duBytes(const QList<QByteArray>& paths) {
    QStringList args{QStringLiteral("--block-size=1"), QStringLiteral("-c"), QStringLiteral("--")};
    for (const QByteArray& p : paths)
        args << QFile::decodeName(p);
    QProcess du;
    du.start(QStringLiteral("du"), args);
    if (!du.waitForFinished() || du.exitCode() != 0) throw std::runtime_error("du failed");
    const QList<QByteArray> lines = du.readAllStandardOutput().trimmed().split('\n');
    return lines.last().split('\t').first().toLongLong();  // "N\ttotal"
}

QList<QByteArray> makeRoomTree(const TempTree& tree) {
    constexpr std::int64_t mb = 1024 * 1024;
    QList<QByteArray> files;
    files << writeSparse(tree, "disk/image.img", 64 * mb, {{0, 256 * 1024}, {32 * mb, 65536}});
    files << writeSparse(tree, "disk/empty.img", 16 * mb, {});
    for (char n = '1'; n <= '6'; ++n)
        files << writeSparse(tree, QByteArray("small/n") + n + ".txt", 100, {{0, 100}});
    files << writeSparse(tree, "media/movie.bin", 3 * mb, {{0, 3 * mb}});
    files << writeSparse(tree, "clips/clip.bin", mb + 1, {{0, mb + 1}});
    files << writeSparse(tree, "other/notes.txt", 5000, {{0, 5000}});
    const auto link = [&](const QByteArray& from, const QByteArray& to) {
        if (::link(tree.path(from).constData(), tree.path(to).constData()) != 0)
            throw std::runtime_error("cannot link");
        files << tree.path(to);
    };
    link("media/movie.bin", "media/same.bin");     // two names in one folder
    link("clips/clip.bin", "other/clip-too.bin");  // and across two
    return files;
}

}  // namespace rk::test
