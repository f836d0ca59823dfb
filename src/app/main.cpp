#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>
#include <vector>

#include "app/CommandLine.h"
#include "app/DesktopPlatform.h"
#include "app/HelpWindow.h"
#include "app/Reports.h"
#include "app/RoomkinApplication.h"
#include "app/StderrDialogs.h"
#include "app/TfrmMain.h"
#include "app/Version.h"
#include "browser/TfrmBrowse.h"
#include "bydate/TfrmMods.h"
#include "common/Drives.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "common/Services.h"
#include "duplicates/TfrmDup.h"
#include "folderhogs/TfrmDirHog.h"
#include "statistics/TfrmStatistics.h"
#include "ui/BrowserLink.h"
#include "ui/QtDialogService.h"
#include "ui/ViewerLink.h"
#include "viewer/TfrmView.h"

int main(int argc, char** argv) {
    // Kept as bytes: a folder name given on the command line need not be valid text.
    const std::vector<QByteArray> arguments(argv, argv + argc);
    const rk::CommandLine commandLine = rk::parseCommandLine(arguments);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!commandLine.ok()) {
        err << "roomkin: " << commandLine.error << " Try 'roomkin --help'.\n";
        return 2;
    }
    if (commandLine.showHelp) {
        out << rk::usageText();
        return 0;
    }
    if (commandLine.showVersion) {
        out << "roomkin " << rk::kVersion << '\n';
        return 0;
    }
    if (commandLine.showHelpFile) {
        QCoreApplication app(argc, argv);
        const QString helpFile = rk::findHelpFile(QCoreApplication::applicationDirPath());
        out << helpFile << '\n';
        return QFileInfo::exists(helpFile) ? 0 : 1;
    }

    if (commandLine.report != rk::ReportKind::None) {
        // A report needs no display: no window system is touched.
        QCoreApplication app(argc, argv);
        rk::LinuxPlatform platform(rk::LinuxPlatform::Options{true, commandLine.drives});
        rk::setPlatform(&platform);
        rk::StderrDialogs dialogs;
        rk::setDialogService(&dialogs);
        try {
            return rk::runReport(commandLine, platform, stdout);
        } catch (const rk::Error& e) {
            err << e.message() << ".\n";
            return 3;
        }
    }

    rk::RoomkinApplication app(argc, argv);
    rk::DesktopPlatform platform(rk::LinuxPlatform::Options{true, commandLine.drives});
    rk::setPlatform(&platform);
    rk::QtDialogService dialogs;
    rk::setDialogService(&dialogs);
    rk::DriveTable drives(platform);
    rk::setDriveTable(&drives);

    rk::ToolWindows tools;
    tools.duplicates = [](QWidget* owner) { return new rk::TfrmDup(owner); };
    tools.folderHogs = [](QWidget* owner) { return new rk::TfrmDirHog(owner); };
    // The statistics window is made hidden at start-up and lives as long as the main window.
    auto* statistics = new rk::TfrmStatistics;
    tools.statistics = statistics;
    tools.filesByDate = [](QWidget* owner) { return new rk::TfrmMods(owner); };
    // The browser: from the main window on the current folder, from the other windows' Browse
    // buttons on a folder with a file made current.
    tools.browser = [](QWidget* owner) { return new rk::TfrmBrowse(owner); };
    rk::openBrowser = rk::openBrowserOn;
    // The viewer's find dialog is made at start-up and shared by every viewer window.
    rk::createFindDlg();
    rk::openViewer = rk::openViewerWindow;
    rk::TfrmMain mainWindow(tools);
    statistics->followOwner(&mainWindow);
    mainWindow.show();
    return app.exec();
}
