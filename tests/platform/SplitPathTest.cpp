#include <gtest/gtest.h>

#include "platform/SplitPath.h"

namespace rk {
namespace {

std::pair<QByteArray, QByteArray> split(const QByteArray& path) {
    const PathParts parts = splitPath(path);
    return {parts.folder, parts.name};
}

TEST(SplitPathTest, FolderAndNameAtEveryDepthTheRootAndNoSlash) {
    using P = std::pair<QByteArray, QByteArray>;
    EXPECT_EQ(split("/home/ann/notes.txt"), P("/home/ann", "notes.txt"));
    EXPECT_EQ(split("/notes.txt"), P("/", "notes.txt"));
    EXPECT_EQ(split("/"), P("/", ""));
    EXPECT_EQ(split("//"), P("/", ""));
    EXPECT_EQ(split("/home/ann/"), P("/home", "ann"));
    EXPECT_EQ(split("/home//"), P("/", "home"));
    EXPECT_EQ(split("notes.txt"), P("", "notes.txt"));
    EXPECT_EQ(split(""), P("", ""));
    // The bytes stay as they are: a name that is not UTF-8, or holds a backslash or blanks.
    EXPECT_EQ(split("/a\\b/\xff\xfe name "), P("/a\\b", "\xff\xfe name "));
}

}  // namespace
}  // namespace rk
