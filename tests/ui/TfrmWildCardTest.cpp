#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "Controls.h"
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
        EXPECT_TRUE(test::control<QLabel>(*w, "lblWild")->text().isEmpty());
        EXPECT_FALSE(test::control<QLabel>(*w, "lblType")->text().isEmpty());  // *.txt has a name
        EXPECT_EQ(test::control<QComboBox>(*w, "cbWildCard")->findText(QStringLiteral("*.*")), 0);
        test::control<QComboBox>(*w, "cbWildCard")->lineEdit()->selectAll();
        QTest::keyClicks(test::control<QComboBox>(*w, "cbWildCard")->lineEdit(),
                         QStringLiteral("*.*"));
        wildSeen = test::control<QLabel>(*w, "lblWild")->text();
        typeSeen = test::control<QLabel>(*w, "lblType")->text();
        // A wildcard in the extension names no type ("TX? File" is none).
        test::control<QComboBox>(*w, "cbWildCard")->setEditText(QStringLiteral("*.tx?"));
        EXPECT_TRUE(test::control<QLabel>(*w, "lblType")->text().isEmpty());
        test::control<QComboBox>(*w, "cbWildCard")->setEditText(QStringLiteral("readme.*"));
        EXPECT_TRUE(test::control<QLabel>(*w, "lblType")->text().isEmpty());
        test::control<QPushButton>(*w, "BitBtn1")->click();
    });
    chosen = chooseWildcard(nullptr, QStringLiteral("*.txt"));
    EXPECT_EQ(wildSeen, "All files");
    EXPECT_TRUE(typeSeen.isEmpty());
    EXPECT_EQ(chosen, QStringLiteral("readme.*"));

    QTimer::singleShot(0, [] {
        auto* w = qobject_cast<TfrmWildCard*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        test::control<QComboBox>(*w, "cbWildCard")->setEditText(QStringLiteral("*.zip"));
        test::control<QPushButton>(*w, "BitBtn2")->click();
    });
    EXPECT_FALSE(chooseWildcard(nullptr, QStringLiteral("*.txt")).has_value());
}

}  // namespace
}  // namespace rk
