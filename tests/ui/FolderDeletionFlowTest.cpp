#include <gtest/gtest.h>
#include <unistd.h>

#include <QPushButton>
#include <cerrno>
#include <functional>

#include "FileChecks.h"
#include "Modals.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestServices.h"
#include "common/ResultGrid.h"
#include "common/TextHelpers.h"
#include "ui/FolderDeletionFlow.h"

namespace rk {
namespace {

using test::exists;
using test::scriptedDialogs;

void deleteIt(TfrmDelDirectory& d) {
    d.btDeleteClick();
}
void recycleIt(TfrmDelDirectory& d) {
    scriptedDialogs().answer(ButtonYes);  // the recycle bin note
    d.btRecycleClick();
}

// The flow over a drive made of a temporary tree:
// a: 3 files of 100 bytes and a/deep with 4,096 bytes; ab (a name that begins like a's): one
// file of 10 bytes; e: empty.
class FolderDeletionFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i)
            tree.file("a/f" + QByteArray::number(i), std::int64_t(100));
        tree.file("a/deep/big", std::int64_t(4096));
        tree.file("ab/f", std::int64_t(10));
        tree.dir("e");
        // Sparse files, taken to fill their length: the savings below are lengths.
        installed.platform().setRoomFollowsLength(true);
        installed.platform().setOffersTrash(true);
    }
    // Offers the folder for deletion; the confirmation, when it opens, is answered by `answer`
    // (declined without one) and `asked` says whether it opened.
    FolderFate offer(const QByteArray& path,
                     const std::function<void(TfrmDelDirectory&)>& answer = {}) {
        FolderFate fate = FolderFate::Stayed;
        asked = test::asksToDeleteFolder(
            [&] { fate = askAndDeleteFolder(installed.services(), &owner, path, steps); }, path,
            answer);
        return fate;
    }

    test::TempTree tree;
    test::TestServices installed{{tree.root()}};
    QWidget owner;
    FolderFlowSteps steps;
    bool asked = false;
};

TEST_F(FolderDeletionFlowTest, ConfirmedFoldersGoAndTheirRowsSayHow) {
    QPushButton button(&owner);
    steps.stilled = {&button};
    QList<bool> runs;  // running(on), with whether the button took orders then
    steps.running = [&](bool on) { runs << on << button.isEnabled(); };
    ResultGrid rows;
    rows.setColumns({"Size"});
    for (const char* folder : {"a", "a/deep", "ab"})
        rows.addRecord("1 K", tree.path(folder));

    EXPECT_EQ(offer(tree.path("a/deep"), deleteIt), FolderFate::Deleted);
    EXPECT_FALSE(exists(tree.path("a/deep")));
    EXPECT_EQ(runs, QList<bool>({true, false, false, true}));
    EXPECT_EQ(scriptedDialogs().texts(),
              QStringList({"Deleted 1 file for a savings of 4,096 bytes."}));
    markRemovedFolderRows(rows, 0, tree.path("a/deep"), FolderFate::Deleted);

    // The trash: the folder and the folders inside say RECYCLED, unless they went before; a
    // folder whose name only begins the same stays.
    scriptedDialogs().clear();
    EXPECT_EQ(offer(tree.path("a"), recycleIt), FolderFate::Recycled);
    EXPECT_FALSE(exists(tree.path("a")));
    EXPECT_EQ(scriptedDialogs().texts().last(), "Recycled 3 files for a savings of 300 bytes.");
    markRemovedFolderRows(rows, 0, tree.path("a"), FolderFate::Recycled);
    EXPECT_EQ(QStringList({rows.cell(0, 0), rows.cell(0, 1), rows.cell(0, 2)}),
              QStringList({"RECYCLED", "DELETED", "1 K"}));

    // An empty folder is removed as it is, also when the bin was chosen, and nothing is said.
    scriptedDialogs().clear();
    EXPECT_EQ(offer(tree.path("e"), recycleIt), FolderFate::Deleted);
    EXPECT_FALSE(exists(tree.path("e")));
    EXPECT_EQ(scriptedDialogs().texts().size(), 1);  // only the recycle bin note
}

TEST_F(FolderDeletionFlowTest, DeclinedRefusedOrStoppedLeavesEverything) {
    EXPECT_EQ(offer(tree.path("a")), FolderFate::Untouched);
    EXPECT_TRUE(asked);
    steps.beforeDeleting = [] { return false; };  // stopped by the window after the choice
    EXPECT_EQ(offer(tree.path("a"), deleteIt), FolderFate::Untouched);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());

    // Refused before anyone is asked, in the window's words for a drive's top.
    steps.rootText = QStringLiteral("Not the top.");
    for (const auto& [path, text] : {std::pair{tree.root(), steps.rootText},
                                     std::pair{QByteArray("/usr"), windowsFolderText}}) {
        scriptedDialogs().clear();
        EXPECT_EQ(offer(path, deleteIt), FolderFate::Untouched) << path.constData();
        EXPECT_FALSE(asked) << path.constData();
        EXPECT_EQ(scriptedDialogs().texts(), QStringList({text})) << path.constData();
    }
    EXPECT_TRUE(exists(tree.path("a/deep/big")));
}

TEST_F(FolderDeletionFlowTest, AFolderReplacedWhileTheQuestionIsOpenIsNotDeleted) {
    tree.dir("moved");
    EXPECT_EQ(offer(tree.path("a"),
                    [&](TfrmDelDirectory& d) {
                        ::rename(tree.path("a").constData(), tree.path("moved/a").constData());
                        tree.file("a/new.txt");
                        d.btDeleteClick();
                    }),
              FolderFate::Stayed);
    EXPECT_EQ(scriptedDialogs().texts(),
              QStringList({"The folder has changed since it was listed. Nothing was deleted."}));
    EXPECT_TRUE(exists(tree.path("a/new.txt")));
    EXPECT_TRUE(exists(tree.path("moved/a/deep/big")));
}

// Once the folder named `name` is removed, a link to `target` takes its place, as another
// program might put one there.
class LinkPutInPlace : public test::TestPlatform {
public:
    using TestPlatform::TestPlatform;
    int removeEntry(const FolderHandle& folder, const QByteArray& entry,
                    bool isFolder) const override {
        const int error = TestPlatform::removeEntry(folder, entry, isFolder);
        if (error == 0 && isFolder && entry == name) ::symlinkat(target, folder.fd(), entry);
        return error;
    }
    QByteArray name;
    QByteArray target;
};

TEST_F(FolderDeletionFlowTest, AFolderGoneIsGoneAndOneThatStaysIsSaidToBeThere) {
    LinkPutInPlace linking({tree.root()});
    linking.name = "a";
    linking.target = tree.path("ab");
    linking.setRoomFollowsLength(true);
    const test::PlatformScope scope(linking);
    installed.usePlatform(linking);
    EXPECT_EQ(offer(tree.path("a"), deleteIt), FolderFate::Deleted);
    EXPECT_EQ(scriptedDialogs().texts(),
              QStringList({"Deleted 4 files for a savings of 4,396 bytes."}));

    // A file that would not go keeps the folder, and the user is told.
    linking.failToRemove(tree.path("ab/f"), EACCES);
    tree.file("ab/g", std::int64_t(20));
    scriptedDialogs().clear();
    EXPECT_EQ(offer(tree.path("ab"), deleteIt), FolderFate::Stayed);
    EXPECT_TRUE(exists(tree.path("ab/f")));
    EXPECT_EQ(scriptedDialogs().texts(),
              QStringList({"Deleted 1 file for a savings of 20 bytes. (1 file could not be "
                           "deleted) The folder " +
                           displayPath(tree.path("ab")) + " still exists."}));

    // Stopped at the question about a hidden file (its default answer is No): cancelled, so
    // the user is not told the folder is there.
    tree.file("e/.hidden", std::int64_t(10));
    scriptedDialogs().clear();
    EXPECT_EQ(offer(tree.path("e"), deleteIt), FolderFate::Stayed);
    EXPECT_TRUE(scriptedDialogs().texts().first().contains(" is hidden, "));
    EXPECT_FALSE(scriptedDialogs().texts().join(' ').contains("still exists"));
    EXPECT_TRUE(exists(tree.path("e/.hidden")));
}

}  // namespace
}  // namespace rk
