// Deleting generated trees with DeleteFolderTree against rm -rf of the same trees, in one run.
// Usage:
//   bench_delete_tree [folder] [files]      a wide tree of that many files
//   bench_delete_tree deep [folder] [levels] a chain of folders that deep: time and peak memory
//   bench_delete_tree clash [folder] [files] files of one name sent to the trash: time
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

const rk::Platform& benchPlatform() {
    static const rk::LinuxPlatform platform(rk::LinuxPlatform::Options{false, {}});
    return platform;
}

Timing timeDeleteFolderTree(const QByteArray& tree, std::int64_t& files) {
    QElapsedTimer timer;
    const double cpu = cpuMs(RUSAGE_SELF);
    timer.start();
    const rk::FolderTreeResult r = rk::DeleteFolderTree(benchPlatform(), tree, false);
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

long peakKb(int who) {
    struct rusage u {};
    ::getrusage(who, &u);
    return u.ru_maxrss;
}

// A chain of levels folders, built relative to each one since its path soon outgrows what
// the system takes; a file every thousand levels.
void generateDeep(const QByteArray& root, int levels) {
    ::mkdir(root.constData(), 0755);
    int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < levels && fd >= 0; ++i) {
        if (i % 1000 == 0) ::close(::openat(fd, "file.dat", O_WRONLY | O_CREAT, 0644));
        ::mkdirat(fd, "level", 0755);
        const int next = ::openat(fd, "level", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    if (fd >= 0) ::close(fd);
}

// The peak memory of this process is taken before anything of Qt's beyond the core is
// loaded, so the figure is the deletion's and the program's floor, not the generator's.
int deep(const QByteArray& root, int levels) {
    const QByteArray ours = root + "/ours";
    generateDeep(ours, levels);
    const long before = peakKb(RUSAGE_SELF);
    std::int64_t removed = 0;
    const Timing o = timeDeleteFolderTree(ours, removed);
    std::printf(
        "deep %d levels: DeleteFolderTree %lld files: %.0f ms (cpu %.0f ms), peak %ld KB "
        "(%ld KB before)\n",
        levels, static_cast<long long>(removed), o.wallMs, o.cpuMs, peakKb(RUSAGE_SELF), before);
    const QByteArray theirs = root + "/theirs";
    generateDeep(theirs, levels);
    const Timing rm = timeRm(theirs);
    // Its peak would be that of this process when it forked: time only.
    std::printf("deep %d levels: rm -rf: %.0f ms (cpu %.0f ms)\n", levels, rm.wallMs, rm.cpuMs);
    return 0;
}

// files folders each holding a file of the same name, trashed as one tree into a trash of
// the run's own on the same file system.
int clash(const QByteArray& root, int files) {
    qputenv("XDG_DATA_HOME", root + "/data");
    const QByteArray tree = root + "/same";
    ::mkdir(tree.constData(), 0755);
    for (int i = 0; i < files; ++i) {
        const QByteArray dir = tree + "/d" + QByteArray::number(i);
        ::mkdir(dir.constData(), 0755);
        ::close(::open((dir + "/report.txt").constData(), O_WRONLY | O_CREAT, 0644));
    }
    QElapsedTimer timer;
    const double cpu = cpuMs(RUSAGE_SELF);
    timer.start();
    const rk::FolderTreeResult r = rk::DeleteFolderTree(benchPlatform(), tree, true);
    std::printf("clash: %lld of %d files of one name trashed, %lld stayed: %.0f ms (cpu %.0f ms)\n",
                static_cast<long long>(r.files), files, static_cast<long long>(r.filesNotRemoved),
                double(timer.nsecsElapsed()) / 1e6, cpuMs(RUSAGE_SELF) - cpu);
    return r.files == files ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    const bool special = mode == "deep" || mode == "clash";
    const int first = special ? 2 : 1;
    const QString base =
        argc > first ? QString::fromLocal8Bit(argv[first]) : QStringLiteral("/tmp");
    const int count = argc > first + 1 ? std::atoi(argv[first + 1]) : 0;
    QTemporaryDir work(base + QStringLiteral("/roomkin-bench-XXXXXX"));
    if (!work.isValid()) {
        std::printf("cannot make a folder in %s\n", qPrintable(base));
        return 1;
    }
    // rm -rf removes what a deep run may leave; Qt's removal cannot go that deep.
    work.setAutoRemove(false);
    YesDialogs dialogs;
    rk::setDialogService(&dialogs);

    const QByteArray root = QFile::encodeName(work.path());
    const auto cleanUp = [&] { run("rm", {QStringLiteral("-rf"), work.path()}); };
    if (mode == "deep") {
        const int rc = deep(root, count > 0 ? count : 20000);
        cleanUp();
        return rc;
    }
    if (mode == "clash") {
        const int rc = clash(root, count > 0 ? count : 6000);
        cleanUp();
        return rc;
    }
    const int files = count > 0 ? count : 100000;
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
    cleanUp();
    return 0;
}
