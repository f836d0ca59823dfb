#include <gtest/gtest.h>

#include <QFile>
#include <QTest>

#include <sys/stat.h>

#include <cerrno>

#include "Controls.h"
#include "common/TextHelpers.h"
#include "support/FileChecks.h"
#include "support/ScopedDataHome.h"
#include "support/ScriptedDialogs.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "support/TestServices.h"
#include "ui/DeletionWindows.h"
#include "ui/TfrmDelDirectory.h"
#include "ui/TfrmReallyDelete.h"

namespace rk {
namespace {

using test::exists;
using test::ScopedDataHome;
using test::scriptedDialogs;
using test::TempTree;
using test::TestPlatform;

// Every window test gets a platform of its own, so it can make a deletion fail.
class DeletionWindowTest : public ::testing::Test {
protected:
    // Three files of 1,234,567 bytes in all, added out of order.
    TfrmReallyDelete* confirmThree() {
        c = t.file("c.txt", 34567);
        a = t.file("A.txt", 1000000);
        b = t.file("b.txt", 200000);
        auto* w = new TfrmReallyDelete(installed.services());
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->addFiles({c, a, b});
        w->savings = 1234567;
        w->show();
        return w;
    }

    TempTree t;
    test::TestServices installed;
    TestPlatform& p = installed.platform();
    test::ScriptedDialogs& dialogs = scriptedDialogs();
    QByteArray a, b, c;
};

TEST_F(DeletionWindowTest, ConfirmationShowsCountSavingsAndSortedList) {
    std::unique_ptr<TfrmReallyDelete> w(confirmThree());
    EXPECT_EQ(test::control<QLabel>(*w, "lblDelete")->text(),
              "The following 3 files will be deleted.");
    EXPECT_EQ(test::control<QLabel>(*w, "lblSavings")->text(), "1,234,567 bytes");
    ASSERT_EQ(w->lb1->count(), 3);
    EXPECT_EQ(w->pathAt(0), a);  // without regard to case: A, b, c
    EXPECT_EQ(w->pathAt(1), b);
    EXPECT_EQ(w->pathAt(2), c);
    EXPECT_TRUE(test::control<QPushButton>(*w, "btRecycle")->isEnabled());
    EXPECT_GE(w->width(), 622);
}

TEST_F(DeletionWindowTest, DeleteAllReportsTheFileThatStaysAndDeletesTheOthers) {
    std::unique_ptr<TfrmReallyDelete> w(confirmThree());
    p.failToRemove(b, EPERM);
    dialogs.answer(ButtonYes);
    w->btDeleteAllClick();
    EXPECT_EQ(dialogs.texts(),
              QStringList({"Really delete?", "Couldn't delete file - " + QFile::decodeName(b)}));
    EXPECT_EQ(dialogs.asked[1].kind, MessageKind::Error);
    EXPECT_EQ(p.beeps, 1);
    EXPECT_FALSE(exists(a));
    EXPECT_TRUE(exists(b));
    EXPECT_FALSE(exists(c));
    EXPECT_EQ(w->result(), QDialog::Accepted);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(test::control<QLabel>(*w, "lblDelete")->text(),
              "The following 0 files will be deleted.");
}

TEST_F(DeletionWindowTest, FilesAreDeletedByTheirExactNames) {
    const QByteArray odd = t.file("odd\xff name.txt", 3);
    const QByteArray look = t.file("odd\xef\xbf\xbd name.txt", 3);  // how odd is shown
    TfrmReallyDelete w(installed.services());
    w.addFile(odd);
    w.show();
    dialogs.answer(ButtonYes);
    w.btDeleteAllClick();
    EXPECT_FALSE(exists(odd));
    EXPECT_TRUE(exists(look));
    EXPECT_EQ(dialogs.texts(), QStringList({"Really delete?"}));
}

TEST_F(DeletionWindowTest, FileChangedSinceItWasMarkedIsAskedAboutAndKeptOnNo) {
    a = t.file("a.txt", 10);
    b = t.file("b.txt", 20);
    c = t.file("c.txt", 30);
    std::vector<MarkedFile> marks;
    for (const QByteArray& f : {a, b, c})
        marks.push_back(*markFile(p, f));
    t.file("b.txt", 25);                                       // rewritten
    ::rename(t.file("c.new", 30).constData(), c.constData());  // replaced by one of equal size
    TfrmReallyDelete w(installed.services());
    w.addFiles(marks);
    w.show();
    dialogs.answer(ButtonYes);  // Really delete?
    dialogs.answer(ButtonNo);   // b: keep it
    dialogs.answer(ButtonYes);  // c: delete it anyway

    w.btDeleteAllClick();
    const auto changed = [](const QByteArray& f) {
        return QFile::decodeName(f) +
               QStringLiteral(" has changed since it was listed. Delete it anyway?");
    };
    EXPECT_EQ(dialogs.texts(), QStringList({"Really delete?", changed(b), changed(c)}));
    EXPECT_EQ(dialogs.asked[1].defaultButton, ButtonNo);
    EXPECT_FALSE(exists(a));
    EXPECT_TRUE(exists(b));
    EXPECT_FALSE(exists(c));
    EXPECT_EQ(w.result(), QDialog::Accepted);
}

TEST_F(DeletionWindowTest, RefusedOrEmptyRunDeletesNothingAndStaysOpen) {
    std::unique_ptr<TfrmReallyDelete> w(confirmThree());
    dialogs.answer(ButtonNo);
    w->btDeleteAllClick();
    dialogs.answer(ButtonNo);
    w->btRecycleClick();
    EXPECT_EQ(dialogs.texts(), QStringList({"Really delete?", "Files not deleted", recycleBinNote,
                                            "Files not deleted"}));
    EXPECT_TRUE(exists(a) && exists(b) && exists(c));
    EXPECT_TRUE(w->isVisible());
    // Unanswered, the question is not taken as a yes.
    dialogs.clear();
    w->btDeleteAllClick();
    EXPECT_TRUE(exists(a));

    QTest::mouseClick(test::control<QPushButton>(*w, "btClose"), Qt::LeftButton);
    EXPECT_EQ(w->result(), QDialog::Rejected);

    TfrmReallyDelete empty(installed.services());
    empty.show();
    dialogs.clear();
    empty.btDeleteAllClick();
    EXPECT_EQ(dialogs.texts(), QStringList({"There are no files to delete"}));
    EXPECT_EQ(dialogs.asked[0].kind, MessageKind::Warning);
}

TEST_F(DeletionWindowTest, RecycleSendsFilesToTheTrashAndStopsAtTheFirstFailure) {
    ScopedDataHome home;
    const QByteArray first = t.file("one/same.txt", QByteArray("1"));
    const QByteArray second = t.file("two/same.txt", QByteArray("2"));
    TfrmReallyDelete w(installed.services());
    w.addFiles({second, first});
    w.show();
    dialogs.answer(ButtonYes);
    w.btRecycleClick();
    EXPECT_EQ(dialogs.texts(), QStringList({recycleBinNote}));
    EXPECT_FALSE(exists(first) || exists(second));
    EXPECT_TRUE(exists(home.trash() + "/files/same.txt"));
    EXPECT_TRUE(exists(home.trash() + "/files/same.2.txt"));
    EXPECT_EQ(w.result(), QDialog::Accepted);

    const QByteArray x = t.file("x", 1);
    const QByteArray y = t.file("y", 1);
    const QByteArray z = t.file("z", 1);
    p.failToRemove(y, EXDEV);
    TfrmReallyDelete w2(installed.services());
    w2.addFiles({x, y, z});
    w2.show();
    dialogs.clear();
    dialogs.answer(ButtonYes);
    w2.btRecycleClick();
    EXPECT_EQ(dialogs.texts().last(),
              "An error occurred sending files to the recycle bin.  The bin may be full.");
    EXPECT_FALSE(exists(x));
    EXPECT_TRUE(exists(y));
    EXPECT_TRUE(exists(z));  // the run stopped
    EXPECT_EQ(w2.result(), QDialog::Accepted);
}

TEST_F(DeletionWindowTest, RecycleIsNotOfferedWithoutATrash) {
    p.setOffersTrash(false);
    std::unique_ptr<TfrmReallyDelete> w(confirmThree());
    EXPECT_FALSE(test::control<QPushButton>(*w, "btRecycle")->isEnabled());

    TfrmDelDirectory d(installed.services());
    d.setDirectory(t.dir("OLD"));
    d.show();
    EXPECT_FALSE(test::control<QPushButton>(d, "btRecycle")->isEnabled());
    EXPECT_TRUE(test::control<QPushButton>(d, "btDelete")->isEnabled());
}

TEST_F(DeletionWindowTest, FolderWindowChoices) {
    const QByteArray old = t.dir("OLD");
    {
        TfrmDelDirectory d(installed.services());
        d.sendToBin = true;
        d.setDirectory(old);
        d.show();
        EXPECT_FALSE(d.sendToBin);
        EXPECT_EQ(d.lblDirectory->text(), QFile::decodeName(old));
        EXPECT_TRUE(test::control<QPushButton>(d, "btRecycle")->isEnabled());
        QTest::mouseClick(test::control<QPushButton>(d, "btDelete"), Qt::LeftButton);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_FALSE(d.sendToBin);
    }
    {
        TfrmDelDirectory d(installed.services());
        d.lblDirectory->setText(QFile::decodeName(old));  // as a caller may set it
        d.show();
        EXPECT_EQ(d.directory(), old);
        dialogs.answer(ButtonNo);
        d.btRecycleClick();
        EXPECT_TRUE(d.isVisible());
        EXPECT_FALSE(d.sendToBin);
        dialogs.answer(ButtonYes);
        d.btRecycleClick();
        EXPECT_EQ(dialogs.texts(), QStringList({recycleBinNote, recycleBinNote}));
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_TRUE(d.sendToBin);
    }
    {
        TfrmDelDirectory d(installed.services());
        d.setDirectory(old);
        d.show();
        QTest::mouseClick(test::control<QPushButton>(d, "BitBtn3"), Qt::LeftButton);
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(exists(old));  // the window only asks; it deletes nothing
}

// A folder-hog row counts only the files directly in a folder: this one would show none.
TEST_F(DeletionWindowTest, FolderWindowShowsTheWholeTreeBeforeTheUserAnswers) {
    const QByteArray one = t.file("OLD/a/one", QByteArray(5000, '1'));
    const QByteArray two = t.file("OLD/b/c/two", QByteArray(100, '2'));
    struct stat st1 {
    }, st2{};
    ASSERT_EQ(::stat(one.constData(), &st1), 0);
    ASSERT_EQ(::stat(two.constData(), &st2), 0);
    const std::int64_t room = (std::int64_t(st1.st_blocks) + st2.st_blocks) * 512;

    TfrmDelDirectory d(installed.services());
    d.setDirectory(t.path("OLD"));
    d.show();
    EXPECT_EQ(test::control<QLabel>(d, "lblContents")->text(),
              "It holds 2 files and 3 folders (" + formatThousands(room) + " bytes on disk).");
    EXPECT_TRUE(exists(two));
}

}  // namespace
}  // namespace rk
