#include <gtest/gtest.h>

#include <cerrno>

#include "common/MarkedFileList.h"
#include "support/FileChecks.h"
#include "support/ScriptedDialogs.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"

namespace rk {
namespace {

using test::exists;

// A mark taken while the file could not be read has no identity to compare with: whatever
// file later stands at that name was never listed, and must not go unasked.
TEST(FileListDeletionTest, AFileMarkedWhileItCouldNotBeReadIsAskedAboutBeforeItGoes) {
    test::TempTree t;
    test::TestPlatform p, unreadable;
    test::scriptedDialogs().failWhenAsked = true;
    test::ScriptedQuestions questions;
    FileListRun run;
    run.ask = questions.ask();
    MarkedFileList marks;
    const QByteArray late = t.path("late.txt");
    marks.mark(p, late);  // absent when marked
    unreadable.failToOpen(t.dir("locked"), EACCES);
    const QByteArray locked = t.file("locked/kept.txt", 7);
    marks.mark(unreadable, locked);  // there, but its folder could not be opened
    t.file("late.txt", 5);

    questions.answers = {false};  // late.txt; kept.txt is left to the default
    const FolderTreeResult kept = DeleteMarkedFiles(p, marks.files(), run);
    const QString changed = QStringLiteral(" has changed since it was listed. Delete it anyway?");
    EXPECT_EQ(questions.asked, QStringList({QFile::decodeName(late) + changed,
                                            QFile::decodeName(locked) + changed}));
    EXPECT_EQ(questions.cancelOffered, std::vector<bool>({false, false}));
    EXPECT_TRUE(exists(late) && exists(locked));
    ASSERT_EQ(kept.stayed.size(), 2u);
    EXPECT_EQ(kept.stayed[1].reason, StayReason::Changed);

    questions.answers = {true};
    EXPECT_EQ(DeleteMarkedFiles(p, marks.files(), run).files, 1);
    EXPECT_FALSE(exists(late));
    EXPECT_TRUE(exists(locked));
    // Nobody to ask: a changed file stays.
    t.file("late.txt", 5);
    EXPECT_EQ(DeleteMarkedFiles(p, marks.files(), {}).files, 0);
    EXPECT_TRUE(exists(late));
}

}  // namespace
}  // namespace rk
