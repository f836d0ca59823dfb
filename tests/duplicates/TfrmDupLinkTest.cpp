#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QRadioButton>

#include "Controls.h"
#include "Jobs.h"
#include "LoopImage.h"
#include "Modals.h"
#include "TestServices.h"
#include "common/SearchPath.h"
#include "duplicates/TfrmDup.h"
#include "duplicates/TfrmLinkCopies.h"
#include "ui/ResultGridView.h"

namespace rk {
namespace {

using test::scriptedDialogs;

// A duplicate window searching one folder by content.
struct ContentWindow {
    explicit ContentWindow(const QByteArray& root) : services({root}) {
        services.platform().setCurrentFolder(root);
        services.reloadDrives();
        setSearchPathList({});
        window = std::make_unique<TfrmDup>(services.services(), true);
        window->show();
        test::control<QSpinBox>(*window, "SpinEdit1")->setValue(0);
    }
    void search() {
        test::control<QPushButton>(*window, "btContent")->click();
        test::finishScans();
    }
    [[nodiscard]] QStringList marked() const {
        QStringList out;
        for (const MarkedFile& f : window->marks().files())
            out.append(QString::fromLocal8Bit(f.path));
        out.sort();
        return out;
    }
    // Clicks Link; the confirmation is handed to answer.
    void link(const std::function<void(TfrmLinkCopies&)>& answer) {
        EXPECT_TRUE(test::opensModal([&] { window->btLinkClick(); },
                                     [&](QDialog& modal) {
                                         auto* confirm = qobject_cast<TfrmLinkCopies*>(&modal);
                                         ASSERT_TRUE(confirm);
                                         answer(*confirm);
                                     }));
    }

    test::TestServices services;
    std::unique_ptr<TfrmDup> window;
};

TEST(TfrmDupLink, MarkAllButOneFollowsTheRuleAndAnOriginalIsNeverMarked) {
    test::TempTree tree;
    const QByteArray x(40 << 10, 'x'), y(30 << 10, 'y');
    test::plantFile(tree.path("a/x"), x, 1'000'000'300);
    test::plantFile(tree.path("b/x"), x, 1'000'000'100);
    test::plantFile(tree.path("orig/x"), x, 1'000'000'200);
    test::plantFile(tree.path("a/y"), y, 1'000'000'100);
    test::plantFile(tree.path("b/longer/y"), y, 1'000'000'300);
    test::plantFile(tree.path("orig/y1"), y, 1'000'000'000);
    test::plantFile(tree.path("orig/y2"), y, 1'000'000'000);
    ContentWindow w(tree.root());
    TfrmDup& dup = *w.window;
    scriptedDialogs().clear();
    scriptedDialogs().answerInput(QString::fromLocal8Bit(tree.path("orig")) + "; ");
    dup.btOriginalsClick();
    w.search();
    ASSERT_TRUE(test::control<QPushButton>(dup, "btKeepOne")->isVisible());
    ASSERT_TRUE(test::control<QPushButton>(dup, "btLink")->isVisible());
    EXPECT_FALSE(test::control<QPushButton>(dup, "btLink")->isEnabled());

    dup.markAllButOne(KeepRule::Newest);
    const QString root = QString::fromLocal8Bit(tree.root());
    EXPECT_EQ(w.marked(),
              QStringList({root + "/a/x", root + "/a/y", root + "/b/longer/y", root + "/b/x"}));
    EXPECT_EQ(test::control<QLabel>(dup, "pnlSel")->text(), "4 files 147,456 bytes");
    EXPECT_TRUE(test::control<QPushButton>(dup, "btLink")->isEnabled());
    // Without originals: the newest stays, a mark on it is taken back.
    scriptedDialogs().answerInput(QString());  // cancelled: the list stays
    dup.btOriginalsClick();
    EXPECT_EQ(dup.originals().size(), 1U);
    scriptedDialogs().answerInput(QStringLiteral(""));
    dup.btOriginalsClick();
    EXPECT_TRUE(dup.originals().empty());
    w.search();
    dup.markAllButOne(KeepRule::Oldest);
    dup.markAllButOne(KeepRule::Shortest);
    // The shortest of equals is the first listed: a/x before b/x.
    EXPECT_EQ(w.marked(), QStringList({root + "/b/longer/y", root + "/b/x", root + "/orig/x",
                                       root + "/orig/y1", root + "/orig/y2"}));
    // A typed folder that is not there changes nothing.
    scriptedDialogs().answerInput(QStringLiteral("/no/such/folder"));
    dup.btOriginalsClick();
    EXPECT_TRUE(dup.originals().empty());
    EXPECT_EQ(scriptedDialogs().texts().last(), "No such folder: /no/such/folder");

    // An original row refuses its mark; on this file system only a hard link is offered.
    scriptedDialogs().answerInput(QString::fromLocal8Bit(tree.path("orig")));
    dup.btOriginalsClick();
    w.search();
    for (int row = 0; row < dup.grid->results().rowCount(); ++row)
        dup.marking().toggle(row);
    EXPECT_TRUE(scriptedDialogs().texts().contains(
        "This file is in an originals folder. It is never marked."));
    EXPECT_EQ(w.marked().filter("/orig/").size(), 0);
    w.link([](TfrmLinkCopies& confirm) {
        EXPECT_FALSE(confirm.findChild<QRadioButton*>("rbShare")->isEnabled());
        EXPECT_TRUE(confirm.findChild<QRadioButton*>("rbLink")->isChecked());
        confirm.reject();
    });
}

TEST(TfrmDupLink, LinkAsksForTheOwnersAgreementThenLinksAndSaysWhatItFreed) {
    const test::LoopImage fs("btrfs");
    if (!fs.ok()) GTEST_SKIP() << fs.reason();
    const QByteArray x(300 << 10, 'x');
    const QByteArray kept = test::plantFile(fs.root() + "/k/x", x, 1'000'000'000);
    test::plantFile(fs.root() + "/a/x", x, 1'000'000'100);
    const QByteArray other = test::plantFile(fs.root() + "/b/x", x, 1'000'000'200);
    ASSERT_EQ(::chown(other.constData(), 1234, 4321), 0);
    ContentWindow w(fs.root());
    TfrmDup& dup = *w.window;
    w.search();
    dup.markAllButOne(KeepRule::Oldest);
    ASSERT_EQ(w.marked().size(), 2);
    scriptedDialogs().clear();
    w.link([](TfrmLinkCopies& confirm) {
        EXPECT_EQ(confirm.findChild<QListWidget*>("lstCopies")->count(), 2);
        auto* share = confirm.findChild<QRadioButton*>("rbShare");
        auto* link = confirm.findChild<QRadioButton*>("rbLink");
        auto* agree = confirm.findChild<QCheckBox*>("cbAgree");
        auto* ok = confirm.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        EXPECT_TRUE(share->isChecked());
        EXPECT_TRUE(ok->isEnabled());
        EXPECT_EQ(confirm.findChild<QLabel*>("lblRoom")->text(),
                  "2 files, 614,400 bytes of room to free");
        link->setChecked(true);
        EXPECT_FALSE(ok->isEnabled());  // owners differ, not yet agreed
        agree->setChecked(true);
        EXPECT_TRUE(ok->isEnabled());
        ok->click();
    });
    ASSERT_EQ(scriptedDialogs().texts().size(), 1);
    EXPECT_TRUE(scriptedDialogs().texts()[0].startsWith(
        "2 files linked: 614,400 bytes of room predicted, "))
        << scriptedDialogs().texts()[0].toStdString();
    const auto stat = [](const QByteArray& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.constData(), &st), 0);
        return std::pair(st.st_ino, st.st_uid);
    };
    EXPECT_EQ(stat(fs.root() + "/a/x"), stat(kept));
    EXPECT_EQ(stat(other), stat(kept));  // the link has the kept copy's owner
    EXPECT_TRUE(w.marked().isEmpty());   // the copies linked are done with
    EXPECT_FALSE(test::control<QPushButton>(dup, "btLink")->isEnabled());
}

}  // namespace
}  // namespace rk
