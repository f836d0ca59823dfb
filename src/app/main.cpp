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
#include "spacemap/TfrmSpaceMap.h"
#include "statistics/TfrmStatistics.h"
#include "ui/QtDialogService.h"
#include "ui/Services.h"
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
        rk::StderrDialogs dialogs;
        rk::setDialogService(&dialogs);
        try {
            return rk::runReport(commandLine, platform, dialogs, stdout);
        } catch (const rk::Error& e) {
            err << e.message() << ".\n";
            return 3;
        }
    }

    rk::RoomkinApplication app(argc, argv);
    rk::DesktopPlatform platform(rk::LinuxPlatform::Options{true, commandLine.drives});
    rk::QtDialogService dialogs;
    rk::setDialogService(&dialogs);
    rk::DriveTable drives(platform);
    // Every window gets these; they live until the program ends.
    rk::Services services(platform, dialogs, drives);
    // The browser: from the main window on the current folder, from the other windows' Browse
    // buttons on a folder with a file made current.
    services.openBrowser = [&services](QWidget* owner, const QByteArray& folder,
                                       const QByteArray& file, const QString& mask) {
        rk::openBrowserOn(services, owner, folder, file, mask);
    };
    // The viewer's find dialog is made at start-up and shared by every viewer window.
    rk::createFindDlg();
    services.openViewer = [&services](QWidget* owner, const QByteArray& path) {
        rk::openViewerWindow(services, owner, path);
    };

    rk::ToolWindows tools;
    tools.duplicates = [&services](QWidget* owner, bool duplicates) {
        return new rk::TfrmDup(services, duplicates, owner);
    };
    tools.folderHogs = [&services](QWidget* owner) { return new rk::TfrmDirHog(services, owner); };
    // The statistics window is made hidden at start-up and lives as long as the main window.
    auto* statistics = new rk::TfrmStatistics(services);
    tools.statistics = statistics;
    tools.filesByDate = [&services](QWidget* owner) { return new rk::TfrmMods(services, owner); };
    tools.browser = [&services](QWidget* owner) { return new rk::TfrmBrowse(services, owner); };
    tools.spaceMap = [&services](QWidget* owner) { return new rk::TfrmSpaceMap(services, owner); };
    if (!commandLine.importFile.isEmpty()) {
        // A scan made elsewhere, shown on its own.
        rk::TfrmSpaceMap map(services);
        map.show();
        if (!map.openScan(commandLine.importFile)) return 3;
        map.exec();
        return 0;
    }
    rk::TfrmMain mainWindow(services, tools);
    statistics->followOwner(&mainWindow);
    mainWindow.show();
    return app.exec();
}
