#include "app/TfrmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <memory>

#include "app/HelpWindow.h"
#include "app/TfrmAbout.h"
#include "common/SearchPath.h"
#include "controls/GradientBack.h"
#include "platform/Platform.h"
#include "ui/AccessibleWindows.h"
#include "ui/HintSettings.h"

namespace rk {

namespace {
constexpr int clientWidth = 552;
constexpr int clientHeight = 427;
}  // namespace

TfrmMain::TfrmMain(const Services& services, ToolWindows tools, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      services_(services),
      tools_(std::move(tools)) {
    setObjectName(QStringLiteral("frmMain"));
    installAccessibleWindows();
    setWindowTitle(QStringLiteral("Roomkin '95 Version 2.2 from Tarvel Corporation"));
    scale_ = logicalDpiX() / 96.0;
    const auto px = [this](int v) { return int(v * scale_ + 0.5); };
    setFixedSize(px(clientWidth), px(clientHeight));

    auto* back = new GradientBack(this);
    back->setIsAllBlue(true);
    back->setGeometry(rect());

    btDuplicate = addToolRow(9, QStringLiteral("&Duplicate files"),
                             QStringLiteral("Locate and view duplicate files"),
                             QStringLiteral("btDuplicate"), QStyle::SP_FileDialogContentsView);
    btFileHog = addToolRow(63, QStringLiteral("&File hogs"),
                           QStringLiteral("Locate and view file hogs (large files)"),
                           QStringLiteral("btFileHog"), QStyle::SP_FileIcon);
    btFiles = addToolRow(116, QStringLiteral("Files &accessed"),
                         QStringLiteral("Files accessed within a range of dates"),
                         QStringLiteral("btFiles"), QStyle::SP_FileDialogDetailedView);
    btDirHogs =
        addToolRow(170, QStringLiteral("Folder &hogs"), QStringLiteral("Displays large folders"),
                   QStringLiteral("btDirHogs"), QStyle::SP_DirIcon);
    btStatistic =
        addToolRow(223, QStringLiteral("&Statistics"), QStringLiteral("File/disk statistics"),
                   QStringLiteral("btStatistic"), QStyle::SP_DriveHDIcon);
    btBrowse = addToolRow(277, QStringLiteral("&Browse"),
                          QStringLiteral("Browse through files and folders"),
                          QStringLiteral("btBrowse"), QStyle::SP_DirOpenIcon);
    btSpaceMap =
        addToolRow(330, QStringLiteral("Space &map"), QStringLiteral("See where the room goes"),
                   QStringLiteral("btSpaceMap"), QStyle::SP_DriveHDIcon);

    const auto bottomButton = [&](int left, const QString& caption, const QString& name,
                                  QStyle::StandardPixmap glyph) {
        auto* b = new QPushButton(style()->standardIcon(glyph), caption, this);
        b->setObjectName(name);
        b->setGeometry(px(left), px(388), px(111), px(28));
        return b;
    };
    btReach = bottomButton(155, QStringLiteral("Ab&out"), QStringLiteral("btReach"),
                           QStyle::SP_MessageBoxInformation);
    btHelp = bottomButton(285, QStringLiteral("H&elp"), QStringLiteral("btHelp"),
                          QStyle::SP_DialogHelpButton);
    btClose = bottomButton(418, QStringLiteral("E&xit"), QStringLiteral("btClose"),
                           QStyle::SP_DialogCloseButton);
    btClose->setToolTip(QStringLiteral("Quit and close "));

    lb1 = new QListWidget(this);
    lb1->setObjectName(QStringLiteral("lb1"));
    lb1->setVisible(false);

    connect(btDuplicate, &QPushButton::clicked, this, &TfrmMain::btDuplicateClick);
    connect(btFileHog, &QPushButton::clicked, this, &TfrmMain::btFileHogClick);
    connect(btFiles, &QPushButton::clicked, this, &TfrmMain::btFilesClick);
    connect(btDirHogs, &QPushButton::clicked, this, &TfrmMain::btDirHogsClick);
    connect(btStatistic, &QPushButton::clicked, this, &TfrmMain::btStatisticClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmMain::btBrowseClick);
    connect(btSpaceMap, &QPushButton::clicked, this, [this] { openModal(tools_.spaceMap); });
    connect(btReach, &QPushButton::clicked, this, &TfrmMain::btReachClick);
    connect(btHelp, &QPushButton::clicked, this, &TfrmMain::btHelpClick);
    connect(btClose, &QPushButton::clicked, this, &TfrmMain::btCloseClick);

    GetSearchPath();
    applyHintSettings();
}

TfrmMain::~TfrmMain() = default;

QList<QPushButton*> TfrmMain::buttons() const {
    return {btDuplicate, btFileHog,  btFiles, btDirHogs, btStatistic,
            btBrowse,    btSpaceMap, btReach, btHelp,    btClose};
}

QPushButton* TfrmMain::addToolRow(int top, const QString& caption, const QString& label,
                                  const QString& name, QStyle::StandardPixmap glyph) {
    const auto px = [this](int v) { return int(v * scale_ + 0.5); };
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    panel->setGeometry(px(25), px(top), px(502), px(40));
    auto* button = new QPushButton(style()->standardIcon(glyph), caption, panel);
    button->setObjectName(name);
    button->setGeometry(px(6), px(6), px(185), px(28));
    auto* text = new QLabel(label, panel);
    text->setObjectName(name + QStringLiteral("Label"));
    QFont bold = text->font();
    bold.setBold(true);
    text->setFont(bold);
    text->setGeometry(px(205), px(6), px(290), px(28));
    return button;
}

void TfrmMain::GetSearchPath() {
    const Platform& p = services_.platform();
    setSearchPathList(SearchPathList(p.searchPathVariable(), p.systemFolder(), p.windowsFolder()));
    lb1->clear();
    lb1->addItems(searchPathList().entries());
}

void TfrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous() && helpFile_.isEmpty()) {
        helpFile_ = findHelpFile(QCoreApplication::applicationDirPath());
        if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    }
}

// Closing the main window ends the program, and with it every other window.
void TfrmMain::closeEvent(QCloseEvent* event) {
    if (tools_.statistics) tools_.statistics->close();
    if (help_) help_->close();
    QWidget::closeEvent(event);
}

void TfrmMain::openModal(const std::function<QDialog*(QWidget*)>& create) {
    if (!create) return;
    std::unique_ptr<QDialog> window(create(this));
    window->exec();
}

void TfrmMain::btDuplicateClick() {
    openDuplicates(true);
}

void TfrmMain::btFileHogClick() {
    openDuplicates(false);
}

void TfrmMain::openDuplicates(bool duplicates) {
    if (!tools_.duplicates) return;
    openModal([&](QWidget* owner) { return tools_.duplicates(owner, duplicates); });
}

void TfrmMain::btFilesClick() {
    openModal(tools_.filesByDate);
}
void TfrmMain::btDirHogsClick() {
    openModal(tools_.folderHogs);
}
void TfrmMain::btBrowseClick() {
    openModal(tools_.browser);
}

void TfrmMain::btStatisticClick() {
    if (!tools_.statistics) return;
    tools_.statistics->show();
    tools_.statistics->raise();
    tools_.statistics->activateWindow();
}

void TfrmMain::btReachClick() {
    TfrmAbout about(this);
    about.exec();
}

void TfrmMain::btHelpClick() {
    helpFile_ = findHelpFile(QCoreApplication::applicationDirPath());
    if (!help_) help_ = new HelpWindow(this);
    help_->showTopic(helpFile_, 1);
}

void TfrmMain::btCloseClick() {
    close();
}

}  // namespace rk
