// Deleting a generated tree of files with DeleteFolderTree against rm -rf of a copy of the
// same tree, in one run. Usage: bench_delete_tree [folder to build the trees in] [files]
#include <QByteArray>
#include <QElapsedTimer>
#include <QFont>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "common/Deletion.h"
#include "common/Dialogs.h"
#include "common/Drives.h"
#include "common/Services.h"
#include "platform/LinuxPlatform.h"

namespace {

// Nothing in the generated tree asks a question; should one come, it is answered Yes.
class YesDialogs : public rk::DialogService {
public:
    rk::Button message(const rk::MessageRequest&) override { return rk::ButtonYes; }
    std::optional<QString> input(const QString&, const QString&, const QString& v) override {
        return v;
    }
    bool choosePrinter(QPrinter&) override { return false; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }
};

// Ten folders of ten folders of ten folders, the files spread over the deepest ones, each
// holding a few hundred bytes.
void generate(const QByteArray& root, int files) {
    ::mkdir(root.constData(), 0755);
    const QByteArray data(300, 'x');
    int made = 0;
    for (int a = 0; a < 10; ++a)
        for (int b = 0; b < 10; ++b)
            for (int c = 0; c < 10; ++c) {
                QByteArray dir = root;
                for (int part : {a, b, c}) {
                    dir += "/d" + QByteArray::number(part);
                    ::mkdir(dir.constData(), 0755);
                }
                const int here = files / 1000 + ((a * 100 + b * 10 + c) < files % 1000 ? 1 : 0);
                for (int i = 0; i < here; ++i, ++made) {
                    const QByteArray f = dir + "/file" + QByteArray::number(i) + ".dat";
                    const int fd = ::open(f.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                    if (fd < 0 || ::write(fd, data.constData(), size_t(data.size())) < 0) {
                        std::perror("generate");
                        std::exit(1);
                    }
                    ::close(fd);
                }
            }
    std::printf("generated %d files in %s\n", made, root.constData());
}

bool run(const char* program, const QStringList& args) {
    QProcess p;
    p.start(QString::fromLatin1(program), args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Processor time (user and system) of this process or of its finished children, in ms: on a
// shared disk the wall clock mostly measures the other users.
double cpuMs(int who) {
    struct rusage u {};
    ::getrusage(who, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

struct Timing {
    double wallMs = 0;
    double cpuMs = 0;
};

Timing timeDeleteFolderTree(const QByteArray& tree, std::int64_t& files) {
    QElapsedTimer timer;
    const double cpu = cpuMs(RUSAGE_SELF);
    timer.start();
    const rk::FolderTreeResult r = rk::DeleteFolderTree(tree, false);
    const Timing t{double(timer.nsecsElapsed()) / 1e6, cpuMs(RUSAGE_SELF) - cpu};
    files = r.files;
    if (!r.completed || r.filesNotRemoved != 0 || ::access(tree.constData(), F_OK) == 0)
        std::printf("DeleteFolderTree did not remove everything\n");
    return t;
}

Timing timeRm(const QByteArray& tree) {
    QElapsedTimer timer;
    const double cpu = cpuMs(RUSAGE_CHILDREN);
    timer.start();
    if (!run("rm", {QStringLiteral("-rf"), QString::fromLocal8Bit(tree)}))
        std::printf("rm -rf failed\n");
    return Timing{double(timer.nsecsElapsed()) / 1e6, cpuMs(RUSAGE_CHILDREN) - cpu};
}

}  // namespace

int main(int argc, char** argv) {
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");
    const int files = argc > 2 ? std::atoi(argv[2]) : 100000;
    QTemporaryDir work(base + QStringLiteral("/roomkin-bench-XXXXXX"));
    if (!work.isValid()) {
        std::printf("cannot make a folder in %s\n", qPrintable(base));
        return 1;
    }
    rk::LinuxPlatform platform(rk::LinuxPlatform::Options{false, {}});
    rk::setPlatform(&platform);
    YesDialogs dialogs;
    rk::setDialogService(&dialogs);
    rk::DriveTable drives(platform);
    rk::setDriveTable(&drives);

    const QByteArray root = QFile::encodeName(work.path());
    // Two rounds, the order swapped in the second, so neither tool always runs on a warmer
    // cache or behind the other's write-back.
    for (int round = 0; round < 2; ++round) {
        const QByteArray ours = root + "/ours";
        const QByteArray theirs = root + "/theirs";
        generate(ours, files);
        if (!run("cp", {QStringLiteral("-a"), QString::fromLocal8Bit(ours),
                        QString::fromLocal8Bit(theirs)})) {
            std::printf("cp -a failed\n");
            return 1;
        }
        ::sync();
        std::int64_t removed = 0;
        Timing o;
        Timing rm;
        if (round == 0) {
            o = timeDeleteFolderTree(ours, removed);
            ::sync();
            rm = timeRm(theirs);
        } else {
            rm = timeRm(theirs);
            ::sync();
            o = timeDeleteFolderTree(ours, removed);
        }
        std::printf(
            "round %d: DeleteFolderTree %lld files: %.0f ms (cpu %.0f ms); "
            "rm -rf: %.0f ms (cpu %.0f ms); ratio %.2f (cpu %.2f)\n",
            round + 1, static_cast<long long>(removed), o.wallMs, o.cpuMs, rm.wallMs, rm.cpuMs,
            o.wallMs / rm.wallMs, o.cpuMs / rm.cpuMs);
        ::sync();
    }
    return 0;
}
