#include <gtest/gtest.h>

#include "common/SearchPath.h"

namespace rk {
namespace {

TEST(SearchPathList, PathPiecesThenTheTwoSystemFolders) {
    const SearchPathList list("/usr/local/bin:/usr/bin", "/usr/lib", "/etc");
    EXPECT_EQ(list.entries(), QStringList({"/USR/LOCAL/BIN", "/USR/BIN", "/USR/LIB", "/ETC"}));
}

TEST(SearchPathList, EmptyPiecesStayButMatchNothing) {
    const SearchPathList list("/opt/bin::/usr/bin:", "/usr/lib", "/etc");
    EXPECT_EQ(list.entries(), QStringList({"/OPT/BIN", "", "/USR/BIN", "", "/USR/LIB", "/ETC"}));
    EXPECT_FALSE(list.contains(""));
}

TEST(SearchPathList, MissingPathAddsNothing) {
    const SearchPathList list(QByteArray(), "/usr/lib", "/etc");
    EXPECT_EQ(list.entries(), QStringList({"/USR/LIB", "/ETC"}));
}

TEST(SearchPathList, WholeStringMatchWithoutRegardToCase) {
    const SearchPathList list("/usr/bin:/home/Ann/bin", "/usr/lib", "/etc");
    EXPECT_TRUE(list.contains("/usr/bin"));
    EXPECT_TRUE(list.contains("/USR/BIN"));
    EXPECT_TRUE(list.contains("/home/ann/BIN"));
    EXPECT_FALSE(list.contains("/usr/bin/"));
    EXPECT_FALSE(list.contains("/usr"));
    EXPECT_TRUE(list.contains("/etc"));
    EXPECT_FALSE(SearchPathList().contains("/usr/bin"));
}

}  // namespace
}  // namespace rk
