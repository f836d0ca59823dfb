#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QSet>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include "Controls.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestPlatform.h"
#include "TestServices.h"
#include "app/HelpWindow.h"
#include "app/TfrmMain.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "common/SearchPath.h"
#include "common/Services.h"
#include "ui/DriveCheckPanel.h"

namespace rk {
namespace {

using test::scriptedDialogs;
using test::TempTree;

// Each button can be reached from the keyboard by a letter of its own; the tool rows stand one
// below the other.
TEST(TfrmMain, ButtonsHaveDistinctKeysAndToolsStandInRows) {
    test::TestServices installed;
    TfrmMain w(installed.services());
    const QList<QPushButton*> buttons = w.buttons();
    QSet<QChar> keys;
    for (QPushButton* b : buttons) {
        const qsizetype amp = b->text().indexOf('&');
        ASSERT_GE(amp, 0) << b->text().toStdString();
        const QChar key = b->text().at(amp + 1).toLower();
        EXPECT_FALSE(keys.contains(key)) << b->text().toStdString();
        keys.insert(key);
    }
    for (int i = 1; i < 7; ++i)
        EXPECT_LT(buttons[i - 1]->mapTo(&w, QPoint()).y(), buttons[i]->mapTo(&w, QPoint()).y());
    EXPECT_FALSE(w.lb1->isVisibleTo(&w));
}

TEST(TfrmMain, BuildsTheSearchPathListAtCreation) {
    test::TestServices installed;
    installed.platform().setSearchPathVariable("/usr/bin:/home/ann/bin:");
    TfrmMain w(installed.services());
    EXPECT_EQ(searchPathList().entries(),
              QStringList({"/USR/BIN", "/HOME/ANN/BIN", "", "/USR/LIB", "/ETC"}));
    EXPECT_EQ(w.lb1->count(), 5);
    EXPECT_TRUE(IsOnSearchPath("/home/ann/bin"));
}

TEST(TfrmMain, ToolButtonsSetTheModeAndOpenTheirWindow) {
    QStringList opened;
    ToolWindows tools;
    tools.duplicates = [&](QWidget* owner, bool duplicates) {
        opened.append(duplicates ? "duplicates" : "hogs");
        auto* d = new QDialog(owner);
        QTimer::singleShot(0, d, &QDialog::accept);
        return d;
    };
    test::TestServices installed;
    TfrmMain w(installed.services(), tools);
    const QList<QPushButton*> buttons = w.buttons();
    buttons[0]->click();
    buttons[1]->click();
    EXPECT_EQ(opened, QStringList({"duplicates", "hogs"}));
    // Windows not built yet: their buttons do nothing.
    for (int i = 2; i < 7; ++i)
        buttons[i]->click();
    EXPECT_EQ(opened.size(), 2);
}

TEST(TfrmMain, StatisticsWindowIsOneWindowBroughtToTheFront) {
    QWidget stats;
    ToolWindows tools;
    tools.statistics = &stats;
    test::TestServices installed;
    TfrmMain w(installed.services(), tools);
    w.btStatisticClick();
    w.btStatisticClick();
    EXPECT_TRUE(stats.isVisible());
    w.close();
    EXPECT_FALSE(stats.isVisible());  // closing the main window closes the others
}

TEST(TfrmMain, HelpShowsTheProgramsHelpFileAtItsFirstTopic) {
    test::TestServices installed;
    TfrmMain w(installed.services());
    w.btHelpClick();
    EXPECT_EQ(w.helpFile(), QCoreApplication::applicationDirPath() + "/roomkin.html");
    ASSERT_TRUE(w.helpWindow());
    EXPECT_TRUE(w.helpWindow()->isVisible());
    w.helpWindow()->close();
}

// A build tree has the help file beside the program; an installed program, in share/roomkin.
TEST(TfrmMain, HelpFileIsFoundBesideTheProgramThenInShare) {
    TempTree tree;
    const QString bin = QString::fromLocal8Bit(tree.dir("usr/bin"));
    const QString beside = bin + "/roomkin.html";
    // Found in neither: the path beside the program, which the help window names as missing.
    EXPECT_EQ(findHelpFile(bin), beside);
    tree.file("usr/share/roomkin/roomkin.html");
    EXPECT_EQ(findHelpFile(bin),
              QString::fromLocal8Bit(tree.path("usr/share/roomkin/roomkin.html")));
    tree.file("usr/bin/roomkin.html");
    EXPECT_EQ(findHelpFile(bin), beside);
}

TEST(TfrmMain, HelpWindowClosesByItsButtonAndByEscape) {
    test::TestServices installed;
    TfrmMain w(installed.services());
    w.btHelpClick();
    HelpWindow* help = w.helpWindow();
    ASSERT_TRUE(help);
    test::control<QPushButton>(*help, "btClose")->click();
    EXPECT_FALSE(help->isVisible());
    w.btHelpClick();
    QApplication::setActiveWindow(help);
    ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    QTest::keyClick(help->browser(), Qt::Key_Escape);
    EXPECT_FALSE(help->isVisible());
}

// Every widget an assistive tool reaches from iface, itself included.
void collectAccessible(QAccessibleInterface* iface, QList<QObject*>& found) {
    found.append(iface->object());
    for (int i = 0; i < iface->childCount(); ++i)
        if (QAccessibleInterface* child = iface->child(i)) {
            EXPECT_EQ(iface->indexOfChild(child), i);
            collectAccessible(child, found);
        }
}

TEST(TfrmMain, AssistiveToolsSeeWindowsByTitleAndOnlyShownControls) {
    test::TestServices installed;
    TfrmMain w(installed.services());
    w.show();
    QAccessibleInterface* main = QAccessible::queryAccessibleInterface(&w);
    ASSERT_TRUE(main);
    EXPECT_EQ(main->role(), QAccessible::Window);
    EXPECT_EQ(main->text(QAccessible::Name), w.windowTitle());
    QList<QObject*> reached;
    collectAccessible(main, reached);
    EXPECT_FALSE(reached.contains(w.lb1));  // the hidden search-path list
    EXPECT_TRUE(reached.contains(w.buttons()[3]));
    w.btHelpClick();
    QAccessibleInterface* help = QAccessible::queryAccessibleInterface(w.helpWindow());
    EXPECT_EQ(help->role(), QAccessible::Window);
    EXPECT_EQ(help->text(QAccessible::Name), w.helpWindow()->windowTitle());
    w.helpWindow()->close();

    // A drive panel shows as many boxes as there are drives, and exposes no more.
    TempTree t;
    test::TestServices drives({t.dir("one"), t.dir("two")});
    DriveCheckPanel panel;
    panel.FillDriveBoxes(drives.table());
    panel.show();
    QList<QObject*> boxes;
    collectAccessible(QAccessible::queryAccessibleInterface(&panel), boxes);
    EXPECT_EQ(boxes.size(), 3);  // the panel and its two shown boxes
    EXPECT_TRUE(boxes.contains(panel.box(2)));
    EXPECT_FALSE(boxes.contains(panel.box(3)));
}

TEST(TfrmMain, AboutBoxOpensAndCloses) {
    test::TestServices installed;
    TfrmMain w(installed.services());
    QTimer::singleShot(0, [] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_TRUE(modal);
        EXPECT_TRUE(modal->inherits("rk::TfrmAbout"));
        auto* ok = modal->findChild<QPushButton*>("OKButton");
        ASSERT_TRUE(ok);
        ok->click();
    });
    w.btReachClick();
}

// An object whose event handler fails, as a scan does on an I/O error.
class Failing : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw IoError(5);
        return QObject::event(e);
    }
};

TEST(Messages, HandlerErrorsReachTheGeneralErrorBox) {
    Failing f;
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&f, &e);
    ASSERT_EQ(scriptedDialogs().asked.size(), 1u);
    const MessageRequest& r = scriptedDialogs().asked[0];
    EXPECT_EQ(r.title, "Roomkin '95");
    EXPECT_EQ(r.text, "I/O error 5.");
    EXPECT_EQ(r.kind, MessageKind::Application);
    EXPECT_EQ(r.buttons, ButtonOk);
}

TEST(Messages, KindsTitlesAndBeeps) {
    test::TestServices installed;
    const Services services = installed.services();
    test::TestPlatform& p = installed.platform();
    services.showError("e");
    services.showWarning("w");
    services.showInfo("i");
    scriptedDialogs().answer(ButtonNo);
    EXPECT_EQ(services.confirm("c?"), ButtonNo);
    const auto& asked = scriptedDialogs().asked;
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].title, "Error");
    EXPECT_EQ(asked[1].title, "Warning");
    EXPECT_EQ(asked[2].title, "Information");
    EXPECT_EQ(asked[3].title, "Confirm");
    EXPECT_EQ(p.beepKinds, std::vector<Beep>({Beep::Exclamation, Beep::CriticalStop}));
}

}  // namespace
}  // namespace rk
