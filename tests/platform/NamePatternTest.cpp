#include <gtest/gtest.h>

#include "platform/NamePattern.h"

namespace rk {
namespace {

TEST(NamePattern, StarDotStarMatchesEverything) {
    const NamePattern all("*.*");
    EXPECT_TRUE(all.matches("README"));
    EXPECT_TRUE(all.matches(".profile"));
    EXPECT_TRUE(all.matches("a.b.c"));
    EXPECT_TRUE(NamePattern().matchesEverything());
}

TEST(NamePattern, WildcardsIgnoreLetterCase) {
    const NamePattern txt("*.txt");
    EXPECT_TRUE(txt.matches("notes.TXT"));
    EXPECT_TRUE(txt.matches(".txt"));
    EXPECT_FALSE(txt.matches("notes.txt.gz"));
    EXPECT_FALSE(txt.matches("txt"));
    const NamePattern q("a?c.*");
    EXPECT_TRUE(q.matches("abc.doc"));
    EXPECT_TRUE(q.matches("ABC"));  // ".*" also stands for no extension
    EXPECT_FALSE(q.matches("ac.doc"));
}

TEST(NamePattern, AlternativesAndNonAsciiBytes) {
    const NamePattern p("*.jpg;*.png");
    EXPECT_TRUE(p.matches("x.PNG"));
    EXPECT_TRUE(p.matches("y.jpg"));
    EXPECT_FALSE(p.matches("z.gif"));
    // A name that is not UTF-8 still matches byte for byte.
    EXPECT_TRUE(NamePattern("caf*.txt").matches(QByteArray("caf\xe9.txt")));
    EXPECT_TRUE(NamePattern("*a*b*c*").matches("xxaxxbxxcxx"));
    EXPECT_FALSE(NamePattern("*a*b*c*").matches("xxaxxcxxbxx"));
}

TEST(NamePattern, QuestionMarkIsOneCharacterNotOneByte) {
    const NamePattern one("?.txt");
    EXPECT_TRUE(one.matches("\xc3\xa9.txt"));          // é, two bytes
    EXPECT_TRUE(one.matches("\xe2\x82\xac.txt"));      // €, three bytes
    EXPECT_TRUE(one.matches("\xf0\x9f\x98\x80.txt"));  // an emoji, four bytes
    EXPECT_TRUE(one.matches("\xe9.txt"));              // an undecodable byte is one character
    EXPECT_FALSE(one.matches("ab.txt"));
    EXPECT_FALSE(one.matches("\xe9\xe9.txt"));  // two undecodable bytes are two characters
    // A broken sequence: its lead byte and the byte after count one each.
    EXPECT_TRUE(
        NamePattern("??.txt").matches("\xc3"
                                      "A.txt"));
    EXPECT_FALSE(NamePattern("??.txt").matches("\xc3\xa9.txt"));
    // After a star, "?" still takes whole characters.
    EXPECT_TRUE(NamePattern("*?").matches("\xc3\xa9"));
    EXPECT_FALSE(NamePattern("*??").matches("\xc3\xa9"));
    EXPECT_TRUE(NamePattern("a*?z").matches("a\xc3\xa9\xe2\x82\xacz"));
}

}  // namespace
}  // namespace rk
