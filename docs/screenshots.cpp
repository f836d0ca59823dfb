// Makes the README's pictures: the main window and the result windows after a scan of the
// sample drives that docs/screenshots.sh lays out. Only the folders named on the command line
// are drives, so the pictures show what a user with those drives would see, not the mounts of
// the machine that made them.
#include <QApplication>
#include <QDir>
#include <QTimer>

#include <unistd.h>
#include <cstdio>

#include "app/DesktopPlatform.h"
#include "app/RoomkinApplication.h"
#include "app/StderrDialogs.h"
#include "app/TfrmMain.h"
#include "common/Drives.h"
#include "common/Services.h"
#include "duplicates/TfrmDup.h"
#include "folderhogs/TfrmDirHog.h"
#include "ui/DriveCheckPanel.h"

namespace {

void save(QWidget& window, const QString& file) {
    QApplication::processEvents();
    if (!window.grab().save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

void checkAll(rk::DriveCheckPanel& panel) {
    for (int i = 1; i <= rk::DriveCheckPanel::boxCount; ++i)
        if (panel.box(i)->isVisible() && !panel.box(i)->isChecked()) panel.box(i)->click();
}

// A result window at the pictures' size, every drive checked, after the scan `run` starts.
template <class Window, class Run>
void shoot(Window& window, const QString& file, Run run) {
    window.resize(860, 420);
    window.show();
    checkAll(*window.pnlDrives);
    run();
    save(window, file);
    window.close();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: screenshots OUTPUT-FOLDER DRIVE-FOLDER...\n");
        return 2;
    }
    std::vector<QByteArray> drives;
    for (int i = 2; i < argc; ++i)
        drives.emplace_back(argv[i]);
    if (::chdir(argv[2]) != 0) return 1;  // the first drive is the current one
    rk::RoomkinApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    rk::DesktopPlatform platform(rk::LinuxPlatform::Options{false, drives});
    rk::setPlatform(&platform);
    rk::StderrDialogs dialogs;
    rk::setDialogService(&dialogs);
    rk::DriveTable table(platform);
    rk::setDriveTable(&table);

    rk::ToolWindows tools;
    rk::TfrmMain mainWindow(tools);
    mainWindow.show();
    save(mainWindow, out + QStringLiteral("/main-window.png"));

    rk::TfrmDup hogs(nullptr, false);
    shoot(hogs, out + QStringLiteral("/file-hogs.png"), [&] { hogs.btScan->click(); });
    rk::TfrmDup dups(nullptr, true);
    shoot(dups, out + QStringLiteral("/duplicates.png"), [&] {
        dups.SpinEdit1->setValue(0);
        dups.btScan->click();
    });
    rk::TfrmDirHog folders;
    shoot(folders, out + QStringLiteral("/folder-hogs.png"), [&] { folders.btTop->click(); });
    return 0;
}
