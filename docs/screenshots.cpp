// Makes the README's pictures: every window a user meets, after a scan of the sample drives
// that docs/screenshots.sh lays out. Only the folders named on the command line are drives,
// so the pictures show what a user with those drives would see, not the mounts of the machine
// that made them. Dialogs are opened by the program's own buttons and routines, grabbed once
// they are up and then cancelled, so nothing on the sample drives is deleted.
//
// One function per picture; a new window gets a function and a line in `pictures`.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <unistd.h>
#include <cstdio>
#include <functional>

#include "app/DesktopPlatform.h"
#include "app/HelpWindow.h"
#include "app/RoomkinApplication.h"
#include "app/StderrDialogs.h"
#include "app/TfrmMain.h"
#include "browser/TfrmBrowse.h"
#include "bydate/TfrmMods.h"
#include "bydate/TfrmPickDate.h"
#include "common/Drives.h"
#include "common/ScanJob.h"
#include "common/Services.h"
#include "common/TimeHelpers.h"
#include "duplicates/TfrmDup.h"
#include "folderhogs/TfrmDirHog.h"
#include "spacemap/TfrmSpaceMap.h"
#include "statistics/TfrmStatistics.h"
#include "ui/DriveCheckPanel.h"
#include "ui/ResultGridView.h"
#include "ui/Services.h"
#include "ui/TfrmWildCard.h"
#include "viewer/TfrmView.h"

namespace {

// A window's control by its name: the windows keep their controls to themselves.
template <class Control>
Control* named(QObject& window, const char* name) {
    auto* control = window.findChild<Control*>(QString::fromLatin1(name));
    if (!control) qFatal("no control %s", name);
    return control;
}

// A window's handler only starts its scan: the event loop runs it to its end.
void finishScans() {
    while (rk::ScanJob::runningCount() > 0)
        QCoreApplication::processEvents();
}

QString outFolder;
int failures = 0;

void write(const QPixmap& picture, const QString& name) {
    const QString file = outFolder + QLatin1Char('/') + name;
    if (!picture.save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        ++failures;
    }
}

void save(QWidget& window, const QString& name) {
    QApplication::processEvents();
    write(window.grab(), name);
}

// What the screen shows of two windows together, one over the other.
void saveTogether(QWidget& under, QWidget& over, const QString& name) {
    QApplication::processEvents();
    const QRect both = under.frameGeometry().united(over.frameGeometry());
    write(under.screen()->grabWindow(0, both.x(), both.y(), both.width(), both.height()), name);
}

// Two windows drawn by themselves, `over` with its corner at `at` on `under`: a picture
// that does not depend on where the screen placed them.
void saveOver(QWidget& under, QWidget& over, QPoint at, const QString& name) {
    QApplication::processEvents();
    const QPixmap below = under.grab();
    const QPixmap above = over.grab();
    QPixmap both(below.rect().united(above.rect().translated(at)).size());
    both.fill(Qt::transparent);
    QPainter p(&both);
    p.drawPixmap(0, 0, below);
    p.drawPixmap(at, above);
    p.setPen(Qt::darkGray);  // the upper window's edge, which a desktop would draw
    p.drawRect(QRect(at - QPoint(1, 1), above.size()));
    p.end();
    write(both, name);
}

// Runs `open`, which shows a modal window through the program's own code, grabs that window
// once it is up (with `grab`, by default the window alone) and cancels it, so that `open`
// returns.
void saveModal(const QString& name, const std::function<void()>& open,
               const std::function<void(QWidget&)>& grab = {}) {
    QWidget* const before = QApplication::activeModalWidget();
    bool seen = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == before || seen) return;
        seen = true;
        poll.stop();
        if (grab)
            grab(*w);
        else
            save(*w, name);
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
        else
            w->close();
    });
    poll.start();
    open();
    if (!seen) {
        std::fprintf(stderr, "%s: no window opened\n", qPrintable(name));
        ++failures;
    }
}

void checkAll(rk::DriveCheckPanel& panel) {
    for (int i = 1; i <= rk::DriveCheckPanel::boxCount; ++i)
        if (panel.box(i)->isVisible() && !panel.box(i)->isChecked()) panel.box(i)->click();
}

// A result window at the pictures' size with every drive checked.
template <class Window>
void prepare(Window& window) {
    window.resize(860, 420);
    window.show();
    checkAll(*window.pnlDrives);
}

// The first data row whose path holds `part`, or 0.
int rowOf(rk::ResultGridView& grid, const QByteArray& part) {
    for (int row = 0; row < grid.results().rowCount(); ++row)
        if (grid.results().pathOf(row).contains(part)) return row;
    return 0;
}

struct Context {
    rk::TfrmMain& main;
    const rk::Services& services;
};

void mainWindow(Context& c) {
    save(c.main, QStringLiteral("main-window.png"));
}

void aboutBox(Context& c) {
    saveModal(QStringLiteral("about.png"), [&] { c.main.btReachClick(); });
}

void help(Context& c) {
    c.main.btHelpClick();
    rk::HelpWindow* window = c.main.helpWindow();
    if (!window) return;
    window->resize(640, 480);
    save(*window, QStringLiteral("help.png"));
    window->close();
}

void fileHogs(Context& c) {
    rk::TfrmDup hogs(c.services, false);
    prepare(hogs);
    hogs.btScanClick();
    finishScans();
    save(hogs, QStringLiteral("file-hogs.png"));
}

// The duplicates with the stick's copies marked, then the confirmation Delete asks.
void duplicates(Context& c) {
    rk::TfrmDup dups(c.services, true);
    prepare(dups);
    named<QSpinBox>(dups, "SpinEdit1")->setValue(0);
    dups.btScanClick();
    finishScans();
    for (int row = 0; row < dups.grid->results().rowCount(); ++row)
        if (dups.grid->results().pathOf(row).startsWith("/media/demo/STICK/")) {
            dups.grid->setCurrentRow(row);
            dups.marking().toggleCurrent();
        }
    dups.grid->setCurrentRow(0);
    save(dups, QStringLiteral("duplicates.png"));
    saveModal(QStringLiteral("delete-confirmation.png"), [&] { dups.btDeleteClick(); });
}

void folderHogs(Context& c) {
    rk::TfrmDirHog folders(c.services);
    prepare(folders);
    folders.btTopClick();
    finishScans();
    save(folders, QStringLiteral("folder-hogs.png"));
    folders.grid->setCurrentRow(rowOf(*folders.grid, "/home/demo/Videos"));
    saveModal(QStringLiteral("folder-delete-confirmation.png"), [&] { folders.btDeleteClick(); });
}

void allFolders(Context& c) {
    rk::TfrmDirHog folders(c.services);
    prepare(folders);
    folders.btAllClick();
    finishScans();
    save(folders, QStringLiteral("folder-hogs-all.png"));
}

// Files modified in the last three months, with the picker open on the first day of the range.
void filesByDate(Context& c) {
    rk::TfrmMods mods(c.services);
    prepare(mods);
    mods.setWhat(2);
    mods.setWhen(1);
    const QDate today = QDate::currentDate();
    named<QLineEdit>(mods, "dtStart")->setText(rk::shortDateText(today.addDays(-90)));
    named<QLineEdit>(mods, "dtEnd")->setText(rk::shortDateText(today));
    mods.btOKClick();
    finishScans();
    mods.grid->setCurrentRow(0);
    save(mods, QStringLiteral("files-by-date.png"));
    saveModal(
        QStringLiteral("files-by-date-picker.png"), [&] { mods.popStartDateClick(); },
        [&](QWidget& picker) {
            saveTogether(mods, picker, QStringLiteral("files-by-date-picker.png"));
        });
}

// The statistics of the home drive, one picture per page.
void statistics(Context& c) {
    rk::TfrmStatistics stats(c.services);
    stats.followOwner(&c.main);
    stats.show();
    auto* drive = named<QComboBox>(stats, "cbDrive");
    drive->setCurrentIndex(drive->findText(QStringLiteral("/home/demo"), Qt::MatchStartsWith));
    stats.cbDriveClick();
    stats.btOKClick();
    finishScans();
    static const char* const pages[] = {"disk-space",     "file-types",    "file-sizes",
                                        "files-accessed", "files-created", "files-modified"};
    auto* pageControl = named<QTabWidget>(stats, "PageControl1");
    for (int page = 0; page < pageControl->count(); ++page) {
        pageControl->setCurrentIndex(page);
        save(stats, QStringLiteral("statistics-%1.png").arg(QLatin1String(pages[page])));
    }
    stats.hide();
}

void wildcardChooser(Context& c) {
    saveModal(QStringLiteral("wildcard.png"),
              [&] { (void)rk::chooseWildcard(&c.main, QStringLiteral("*.jpg")); });
}

// The browser from the main window, moved down to the documents with a few files marked.
void browser(Context& c) {
    saveModal(
        QStringLiteral("browser.png"), [&] { c.main.btBrowseClick(); },
        [](QWidget& window) {
            auto* browse = qobject_cast<rk::TfrmBrowse*>(&window);
            if (!browse) return;
            QListWidget& folders = *named<QListWidget>(*browse, "DirectoryListBox1");
            for (int i = 0; i < folders.count(); ++i)
                if (folders.item(i)->text().trimmed() == QStringLiteral("Documents"))
                    browse->DirectoryListBox1DblClick(folders.item(i));
            for (const char* name : {"budget.xls", "cv.doc", "report.pdf"}) {
                browse->grid->setCurrentRow(rowOf(*browse->grid, name));
                browse->marking().toggleCurrent();
            }
            browse->grid->setCurrentRow(0);
            save(*browse, QStringLiteral("browser.png"));
            // Closing asks whether to leave the marks undeleted: there is nothing to ask.
            browse->DirectoryListBox1DblClick(folders.item(0));
        });
}

// File hogs' Browse button on one of its rows: the browser opens on that file's folder with
// the file current, over the file hogs.
void browserFromResults(Context& c) {
    rk::TfrmDup hogs(c.services, false);
    prepare(hogs);
    hogs.btScanClick();
    finishScans();
    hogs.grid->setCurrentRow(rowOf(*hogs.grid, "/home/demo/Pictures/2026/IMG_2202.jpg"));
    hogs.grid->scrollTo(hogs.grid->currentIndex(), QAbstractItemView::PositionAtCenter);
    saveModal(
        QStringLiteral("browser-from-file-hogs.png"),
        [&] { named<QPushButton>(hogs, "btBrowse")->click(); },
        [&](QWidget& window) {
            // Off to the side, so that the row it was opened on shows beside it.
            saveOver(hogs, window, QPoint(520, 200), QStringLiteral("browser-from-file-hogs.png"));
        });
}

// Opens the viewer on `path` as the browser's View button does and hands it to `use`.
void inViewer(Context& c, const QString& name, const QByteArray& path,
              const std::function<void(rk::TfrmView&)>& use) {
    saveModal(
        name, [&] { c.services.openViewer(&c.main, path); },
        [&](QWidget& window) {
            if (auto* view = qobject_cast<rk::TfrmView*>(&window)) use(*view);
        });
}

// The viewer on a text file in text mode, then in hex.
void viewer(Context& c) {
    inViewer(c, QStringLiteral("viewer.png"), "/home/demo/src/planner/README.txt",
             [](rk::TfrmView& view) {
                 save(view, QStringLiteral("viewer.png"));
                 named<QRadioButton>(view, "rbHex")->click();
                 save(view, QStringLiteral("viewer-hex.png"));
             });
}

// The strings window from the viewer's Strings button, on the planner program.
void strings(Context& c) {
    inViewer(c, QStringLiteral("strings.png"), "/home/demo/src/planner/planner",
             [](rk::TfrmView& view) {
                 saveModal(QStringLiteral("strings.png"), [&] { view.btStringsClick(); });
             });
}

// Duplicate pictures by content, copies of the same bytes under other names, one copy marked.
void contentDuplicates(Context& c) {
    rk::TfrmDup dups(c.services, true);
    prepare(dups);
    named<QSpinBox>(dups, "SpinEdit1")->setValue(0);
    named<QComboBox>(dups, "cbWildCard")->setEditText(QStringLiteral("*.jpg"));
    dups.btContentClick();
    finishScans();
    dups.grid->setCurrentRow(rowOf(*dups.grid, "/home/demo/Desktop/wallpaper.jpg"));
    dups.marking().toggleCurrent();
    dups.grid->setCurrentRow(0);
    save(dups, QStringLiteral("duplicates-by-content.png"));
    saveModal(QStringLiteral("link-confirmation.png"), [&] { dups.btLinkClick(); });
}

// The space map of the current drive, its largest folder selected in the tree and the map.
void spaceMap(Context& c) {
    rk::TfrmSpaceMap map(c.services);
    map.resize(960, 560);
    map.show();
    map.findChild<QPushButton*>(QStringLiteral("btScan"))->click();
    finishScans();
    const std::vector<rk::SpaceTree::Index> top = map.tree().children(map.tree().root());
    if (!top.empty()) map.select(top.front());
    save(map, QStringLiteral("space-map.png"));
}

const std::function<void(Context&)> pictures[] = {
    mainWindow, aboutBox,        help,
    fileHogs,   duplicates,      folderHogs,
    allFolders, wildcardChooser, filesByDate,
    statistics, browser,         browserFromResults,
    viewer,     strings,         contentDuplicates,
    spaceMap,
};

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
    outFolder = QString::fromLocal8Bit(argv[1]);
    rk::DesktopPlatform platform(rk::LinuxPlatform::Options{false, drives});
    rk::StderrDialogs dialogs;
    rk::setDialogService(&dialogs);
    rk::DriveTable table(platform);
    rk::Services services(platform, dialogs, table);
    services.openBrowser = [&services](QWidget* owner, const QByteArray& folder,
                                       const QByteArray& file, const QString& mask) {
        rk::openBrowserOn(services, owner, folder, file, mask);
    };
    services.openViewer = [&services](QWidget* owner, const QByteArray& path) {
        rk::openViewerWindow(services, owner, path);
    };

    rk::ToolWindows tools;
    tools.browser = [&services](QWidget* owner) { return new rk::TfrmBrowse(services, owner); };
    rk::TfrmMain mainWindow(services, tools);
    mainWindow.show();
    Context context{mainWindow, services};
    for (const auto& picture : pictures)
        picture(context);
    return failures == 0 ? 0 : 1;
}
