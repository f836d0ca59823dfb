#include <gtest/gtest.h>

#include "common/TextHelpers.h"

namespace rk {
namespace {

TEST(FormatThousands, GroupsDigitsInEnglish) {
    EXPECT_EQ(formatThousands(0), "0");
    EXPECT_EQ(formatThousands(999), "999");
    EXPECT_EQ(formatThousands(1000), "1,000");
    EXPECT_EQ(formatThousands(-5678), "-5,678");
    EXPECT_EQ(formatThousands(1234567), "1,234,567");
    // 64-bit: a drive of several terabytes.
    EXPECT_EQ(formatThousands(4398046511104LL), "4,398,046,511,104");
}

TEST(ReadThousands, RemovesSeparatorsAndReadsGarbageAsZero) {
    EXPECT_EQ(readThousands("1,234"), 1234);
    EXPECT_EQ(readThousands(" 4,398,046,511,104"), 4398046511104LL);
    EXPECT_EQ(readThousands("12 K"), 0);
    EXPECT_EQ(readThousands(""), 0);
}

TEST(TabField, CutsFieldsAndGivesEmptyPastTheEnd) {
    const QString record = QStringLiteral("a\tb\tc");
    EXPECT_EQ(tabField(record, 1), "a");
    EXPECT_EQ(tabField(record, 2), "b");
    EXPECT_EQ(tabField(record, 3), "c");
    EXPECT_EQ(tabField(record, 4), "");
    EXPECT_EQ(tabField(QStringLiteral("whole"), 1), "whole");
    EXPECT_EQ(tabField(QStringLiteral("whole"), 2), "");
    EXPECT_EQ(tabField(QString(), 1), "");
    EXPECT_EQ(tabField(QStringLiteral("\t\tx"), 2), "");
    EXPECT_EQ(tabField(QStringLiteral("\t\tx"), 3), "x");
}

TEST(JoinPath, DoesNotDoubleTheSeparatorAfterARoot) {
    EXPECT_EQ(JoinPath(QStringLiteral("/"), QStringLiteral("roomkin.html")), "/roomkin.html");
    EXPECT_EQ(JoinPath(QStringLiteral("/usr/bin"), QStringLiteral("ls")), "/usr/bin/ls");
    EXPECT_EQ(JoinPath(QByteArray("/a/"), QByteArray("b")), QByteArray("/a/b"));
}

}  // namespace
}  // namespace rk
