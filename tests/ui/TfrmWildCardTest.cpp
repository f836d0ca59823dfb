#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "ui/TfrmWildCard.h"

namespace rk {
namespace {

// The chooser names what the user types as it is typed, and only OK hands the text back.
TEST(TfrmWildCardTest, NamesThePatternAndReturnsItOnlyOnOk) {
    std::optional<QString> chosen;
    QString wildSeen, typeSeen;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<TfrmWildCard*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->lblWild->text().isEmpty());
        EXPECT_FALSE(w->lblType->text().isEmpty());  // *.txt has a name
        EXPECT_EQ(w->cbWildCard->findText(QStringLiteral("*.*")), 0);
        w->cbWildCard->lineEdit()->selectAll();
        QTest::keyClicks(w->cbWildCard->lineEdit(), QStringLiteral("*.*"));
        wildSeen = w->lblWild->text();
        typeSeen = w->lblType->text();
        // A wildcard in the extension names no type ("TX? File" is none).
        w->cbWildCard->setEditText(QStringLiteral("*.tx?"));
        EXPECT_TRUE(w->lblType->text().isEmpty());
        w->cbWildCard->setEditText(QStringLiteral("readme.*"));
        EXPECT_TRUE(w->lblType->text().isEmpty());
        w->BitBtn1->click();
    });
    chosen = chooseWildcard(nullptr, QStringLiteral("*.txt"));
    EXPECT_EQ(wildSeen, "All files");
    EXPECT_TRUE(typeSeen.isEmpty());
    EXPECT_EQ(chosen, QStringLiteral("readme.*"));

    QTimer::singleShot(0, [] {
        auto* w = qobject_cast<TfrmWildCard*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        w->cbWildCard->setEditText(QStringLiteral("*.zip"));
        w->BitBtn2->click();
    });
    EXPECT_FALSE(chooseWildcard(nullptr, QStringLiteral("*.txt")).has_value());
}

}  // namespace
}  // namespace rk
