#include <gtest/gtest.h>

#include <QTest>

#include "Controls.h"
#include "bydate/MonthCalendar.h"
#include "bydate/TfrmPickDate.h"

namespace rk {
namespace {

TEST(MonthCalendarTest, MonthAndYearMovesKeepTheDayOrTakeTheMonthsLast) {
    const auto add = [](int y, int m, int d, int months) {
        return MonthCalendar::addMonths(QDate(y, m, d), months);
    };
    // 1900 and 2100 are no leap years, 2000 is.
    EXPECT_EQ(add(1900, 1, 31, 1), QDate(1900, 2, 28));
    EXPECT_EQ(add(2000, 1, 31, 1), QDate(2000, 2, 29));
    EXPECT_EQ(add(2100, 1, 31, 1), QDate(2100, 2, 28));
    EXPECT_EQ(add(2000, 2, 29, 12), QDate(2001, 2, 28));
    EXPECT_EQ(add(2000, 2, 29, -12), QDate(1999, 2, 28));
    EXPECT_EQ(add(1996, 2, 29, 48), QDate(2000, 2, 29));
    EXPECT_EQ(add(2000, 2, 29, 1200), QDate(2100, 2, 28));
    EXPECT_EQ(add(1899, 12, 31, 2), QDate(1900, 2, 28));
    EXPECT_EQ(add(2000, 3, 31, -1), QDate(2000, 2, 29));
    // The range's ends hold.
    EXPECT_EQ(add(1600, 1, 15, -1), MonthCalendar::firstDate());
    EXPECT_EQ(add(3999, 12, 15, 1), MonthCalendar::lastDate());
}

TEST(TfrmPickDateTest, EveryKeyMovesTheDateAndTheReleaseOfHomeGoesToToday) {
    TfrmPickDate picker;
    picker.SetDate(dateValue(QDate(2000, 1, 31)));
    picker.show();
    MonthCalendar* c = test::control<MonthCalendar>(picker, "Calendar");
    ASSERT_EQ(c->date(), QDate(2000, 1, 31));
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        QTest::keyPress(c, key, mods);
        return c->date();
    };
    EXPECT_EQ(press(Qt::Key_Right), QDate(2000, 2, 1));
    EXPECT_EQ(press(Qt::Key_Left), QDate(2000, 1, 31));
    EXPECT_EQ(press(Qt::Key_Down), QDate(2000, 2, 7));
    EXPECT_EQ(press(Qt::Key_Up), QDate(2000, 1, 31));
    EXPECT_EQ(press(Qt::Key_PageDown), QDate(2000, 2, 29));
    EXPECT_EQ(press(Qt::Key_PageUp), QDate(2000, 1, 29));
    EXPECT_EQ(press(Qt::Key_End), QDate(2000, 1, 31));
    EXPECT_EQ(press(Qt::Key_End, Qt::ControlModifier), QDate(2001, 1, 31));
    EXPECT_EQ(press(Qt::Key_Home, Qt::ControlModifier), QDate(2000, 1, 31));
    EXPECT_EQ(press(Qt::Key_Home), QDate(2000, 1, 1));
    // Home acts on its press in the calendar, then on its release in the window.
    QTest::keyRelease(c, Qt::Key_Home);
    EXPECT_EQ(c->date(), QDate::currentDate());
    c->setDate(QDate(1990, 5, 5));
    QTest::keyClick(c, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(c->date(), QDate::currentDate());
    c->setDate(MonthCalendar::firstDate());
    EXPECT_EQ(press(Qt::Key_Left), MonthCalendar::firstDate());
    EXPECT_EQ(press(Qt::Key_Home, Qt::ControlModifier), MonthCalendar::firstDate());
    c->setDate(MonthCalendar::lastDate());
    EXPECT_EQ(press(Qt::Key_Down), MonthCalendar::lastDate());
    // Enter is OK, and the date comes out at midnight.
    QTest::keyClick(c, Qt::Key_Return);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(picker.GetDate(), dateValue(MonthCalendar::lastDate()));
}

TEST(TfrmPickDateTest, ADoubleClickOnANextMonthDayAcceptsThatDay) {
    TfrmPickDate picker;
    picker.SetDate(dateValue(QDate(2024, 1, 15)));
    picker.show();
    MonthCalendar* c = test::control<MonthCalendar>(picker, "Calendar");
    // The last cell of January 2024's grid (from Sunday 31 December) is 10 February.
    const QPoint at = c->cellRect(41).center();
    ASSERT_EQ(c->cellDate(41), QDate(2024, 2, 10));
    QTest::mouseClick(c, Qt::LeftButton, {}, at);
    EXPECT_EQ(c->date(), QDate(2024, 2, 10));
    // In February's grid that cell is 9 March: the second press must not pick it.
    QTest::mouseDClick(c, Qt::LeftButton, {}, at);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(dateOfValue(picker.GetDate()), QDate(2024, 2, 10));
}

TEST(TfrmPickDateTest, SpinnersStepMonthsAndYearsAndLeaveTheFocusInTheCalendar) {
    TfrmPickDate picker;
    picker.SetDate(dateValue(QDate(2000, 2, 29)));
    picker.show();
    picker.activateWindow();
    QTest::mouseClick(test::control<DateSpinner>(picker, "YearSpinner")->forward, Qt::LeftButton);
    EXPECT_EQ(test::control<MonthCalendar>(picker, "Calendar")->date(), QDate(2001, 2, 28));
    QTest::mouseClick(test::control<DateSpinner>(picker, "MonthSpinner")->back, Qt::LeftButton);
    EXPECT_EQ(test::control<MonthCalendar>(picker, "Calendar")->date(), QDate(2001, 1, 28));
    EXPECT_EQ(picker.focusWidget(), test::control<MonthCalendar>(picker, "Calendar"));
    QTest::keyClick(test::control<MonthCalendar>(picker, "Calendar"), Qt::Key_Escape);
    EXPECT_EQ(picker.result(), QDialog::Rejected);
    // Without a date handed in, the picker opens on today.
    TfrmPickDate fresh;
    fresh.SetDate(0);
    fresh.show();
    EXPECT_EQ(test::control<MonthCalendar>(fresh, "Calendar")->date(), QDate::currentDate());
}

}  // namespace
}  // namespace rk
