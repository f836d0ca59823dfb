#include <gtest/gtest.h>
#include <QMimeDatabase>

#include "common/FileTypes.h"

namespace rk {
namespace {

TEST(FileTypeName, GivesTheDatabaseDescriptionWhateverTheCase) {
    // The description follows the locale, so compare with what the database says.
    const QString plain = QMimeDatabase().mimeTypeForName(QStringLiteral("text/plain")).comment();
    ASSERT_FALSE(plain.isEmpty());
    EXPECT_EQ(fileTypeName(QStringLiteral(".txt")), plain);
    EXPECT_EQ(fileTypeName(QStringLiteral(".TXT")), plain);
    EXPECT_EQ(fileTypeName(QStringLiteral(".Txt")), plain);
}

TEST(FileTypeName, FallsBackToTheLettersAndGivesNothingForPatterns) {
    ASSERT_TRUE(QMimeDatabase().mimeTypesForFileName(QStringLiteral("a.xyzq")).isEmpty());
    EXPECT_EQ(fileTypeName(QStringLiteral(".xyzq")), "XYZQ File");
    EXPECT_EQ(fileTypeName(QStringLiteral(".XyZq")), "XYZQ File");
    EXPECT_EQ(fileTypeName(QString()), "");
    EXPECT_EQ(fileTypeName(QStringLiteral("*")), "");
    EXPECT_EQ(fileTypeName(QStringLiteral(".*")), "");
}

TEST(FileTypeName, UsesTheTypeNameWhenThereIsNoDescription) {
    QString asked;
    const FileTypeLookup lookup = [&asked](const QString& extension) -> std::optional<FileType> {
        asked = extension;
        if (extension == ".foo") return FileType{QStringLiteral("application/x-foo"), {}};
        if (extension == ".bar") return FileType{{}, {}};
        return std::nullopt;
    };
    EXPECT_EQ(fileTypeNameFrom(QStringLiteral(".FOO"), lookup), "application/x-foo");
    EXPECT_EQ(asked, ".foo");
    // A type with neither text is as good as none.
    EXPECT_EQ(fileTypeNameFrom(QStringLiteral(".bar"), lookup), "BAR File");
    EXPECT_EQ(fileTypeNameFrom(QStringLiteral(".é"), lookup), "é File");
}

TEST(RegisteredExtensions, KeepShortPlainExtensionsSortedAndOnce) {
    const QStringList globs = {
        QStringLiteral("*.txt"),       QStringLiteral("*.HTML"),  QStringLiteral("*.class"),
        QStringLiteral("*.C"),         QStringLiteral("*.c"),     QStringLiteral("*.[ch]"),
        QStringLiteral("*.anim[1-9]"), QStringLiteral("README*"), QStringLiteral("*.tar.gz"),
        QStringLiteral("*.TXT"),       QStringLiteral("*."),      QStringLiteral("core"),
        QStringLiteral("*.Zip"),       QStringLiteral("*.a?")};
    EXPECT_EQ(registeredExtensionPatterns(globs),
              QStringList({"*.*", "*.c", "*.HTML", "*.txt", "*.Zip"}));
    EXPECT_EQ(registeredExtensionPatterns({}), QStringList{"*.*"});
}

TEST(RegisteredExtensions, ListTheDatabaseAfterAllFiles) {
    QStringList list{QStringLiteral("left over")};
    listRegisteredExtensions(list);
    ASSERT_GT(list.size(), 100);
    EXPECT_EQ(list.first(), "*.*");
    EXPECT_TRUE(list.contains("*.txt"));
    EXPECT_TRUE(list.contains("*.c"));
    EXPECT_FALSE(list.contains("*.class"));
    EXPECT_FALSE(list.contains("left over"));
    for (qsizetype i = 1; i < list.size(); ++i) {
        EXPECT_TRUE(list[i].startsWith("*.")) << list[i].toStdString();
        EXPECT_LE(list[i].size(), 6) << list[i].toStdString();
        if (i > 1) {
            EXPECT_LT(list[i - 1].compare(list[i], Qt::CaseInsensitive), 0)
                << list[i - 1].toStdString() << " " << list[i].toStdString();
        }
    }
}

}  // namespace
}  // namespace rk
