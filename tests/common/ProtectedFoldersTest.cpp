#include <gtest/gtest.h>

#include <QDir>

#include <sys/stat.h>

#include "InstalledPlatform.h"
#include "common/Deletion.h"
#include "common/Drives.h"
#include "common/ProtectedFolders.h"
#include "support/FileChecks.h"
#include "support/ScriptedDialogs.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "ui/FolderDeletionFlow.h"
#include "ui/Services.h"

namespace rk {
namespace {

using test::scriptedDialogs;
using test::TempTree;

// A platform of one drive, the temporary folder, and a home folder inside it.
class ProtectedFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldHome_ = qgetenv("HOME");
        qputenv("HOME", t.dir("drive/users/me"));
    }
    void TearDown() override { qputenv("HOME", oldHome_); }

    TempTree t;
    test::TestPlatform drivePlatform_{{t.dir("drive")}};
    test::PlatformScope scope_{drivePlatform_};
    DriveTable table_{drivePlatform_};
    QByteArray oldHome_;
};

TEST_F(ProtectedFoldersTest, RootsSystemFoldersAndHomeAreRefused) {
    EXPECT_EQ(folderProtection(platform(), "/"), FolderProtection::DriveRoot);
    EXPECT_EQ(folderProtection(platform(), t.path("drive")), FolderProtection::DriveRoot);
    EXPECT_EQ(folderProtection(platform(), t.path("drive") + "/"), FolderProtection::DriveRoot);
    EXPECT_EQ(folderProtection(platform(), "/usr"), FolderProtection::SystemFolder);
    EXPECT_EQ(folderProtection(platform(), "/etc"), FolderProtection::SystemFolder);
    EXPECT_EQ(folderProtection(platform(), "/usr/../etc/"), FolderProtection::SystemFolder);
    EXPECT_EQ(folderProtection(platform(), t.path("drive/users/me")),
              FolderProtection::SystemFolder);
    EXPECT_EQ(folderProtection(platform(), t.path("drive/users")), FolderProtection::SystemFolder);

    // Not protected: folders below them, and beside the home folder.
    EXPECT_EQ(folderProtection(platform(), "/usr/share/doc"), FolderProtection::None);
    EXPECT_EQ(folderProtection(platform(), t.dir("drive/users/me/old")), FolderProtection::None);
    EXPECT_EQ(folderProtection(platform(), t.dir("drive/other")), FolderProtection::None);
}

TEST_F(ProtectedFoldersTest, SearchPathStandInsAndFoldersHoldingThemAreRefused) {
    test::TestPlatform p;
    p.setSearchPathVariable("relative/bin:" + t.path("drive/tools/bin") + ":" +
                            t.symlink("drive/linked", t.dir("drive/data/scripts")));
    p.setCurrentFolder(t.path("drive"));  // a relative entry names no fixed folder
    test::PlatformScope scope(p);
    for (const QByteArray& f :
         {QByteArray("/usr/lib"), QByteArray("/usr/bin"), QByteArray("/usr/local"),
          QByteArray("/etc/ssh"), QByteArray("/var/lib"), t.path("drive/tools/bin"),
          t.path("drive/tools"), t.path("drive/data/scripts"), t.path("drive/data")})
        EXPECT_EQ(folderProtection(platform(), f), FolderProtection::SystemFolder) << f.constData();
    // Deeper down is what the program is for.
    for (const QByteArray& f :
         {QByteArray("/var/log/old"), QByteArray("/var/cache/apt"), QByteArray("/usr/share/doc"),
          t.dir("drive/tools/bin/old"), t.dir("drive/relative/bin")})
        EXPECT_EQ(folderProtection(platform(), f), FolderProtection::None) << f.constData();
}

TEST_F(ProtectedFoldersTest, LinksAboveThePathAreSeenThrough) {
    t.symlink("drive/to-root", "/");
    EXPECT_EQ(folderProtection(platform(), t.path("drive/to-root/etc")),
              FolderProtection::SystemFolder);
    // The link itself is only a link: deleting it removes nothing of what it points to.
    EXPECT_EQ(folderProtection(platform(), t.path("drive/to-root")), FolderProtection::None);
}

TEST_F(ProtectedFoldersTest, RefusalShowsTheCallersText) {
    scriptedDialogs().clear();
    const Services services(drivePlatform_, scriptedDialogs(), table_);
    EXPECT_TRUE(refuseProtectedFolder(services, t.path("drive")));
    EXPECT_TRUE(refuseProtectedFolder(services, "/", browserRootFolderText));
    EXPECT_TRUE(refuseProtectedFolder(services, "/etc", browserRootFolderText));
    EXPECT_FALSE(refuseProtectedFolder(services, t.dir("drive/other")));
    EXPECT_EQ(
        scriptedDialogs().texts(),
        QStringList({"You cannot delete the root folder using Roomkin 95", browserRootFolderText,
                     "You cannot delete a system folder using Roomkin 95"}));
    EXPECT_EQ(scriptedDialogs().asked[0].kind, MessageKind::Error);
}

TEST_F(ProtectedFoldersTest, DeletionItselfLeavesAProtectedFolderAlone) {
    const QByteArray f = t.file("drive/users/me/notes.txt", 5);
    scriptedDialogs().answer(ButtonYes);
    const FolderTreeResult r = DeleteFolderTree(platform(), t.path("drive/users"), false);
    EXPECT_FALSE(r.completed);
    EXPECT_EQ(r.files, 0);
    struct stat st {};
    EXPECT_EQ(::stat(f.constData(), &st), 0);
    EXPECT_FALSE(DeleteFolder(platform(), t.path("drive"), false).removedEmpty);
}

}  // namespace
}  // namespace rk
