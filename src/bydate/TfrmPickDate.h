#pragma once

#include <QDate>
#include <QDialog>
#include <QFrame>
#include <QPushButton>
#include <QToolButton>

#include "bydate/MonthCalendar.h"

namespace rk {

// Two arrow buttons that step something back or forward, repeating while held: the first
// repetition after half a second, then faster. They take no focus.
class DateSpinner : public QWidget {
    Q_OBJECT
public:
    DateSpinner(Qt::Orientation orientation, QWidget* parent = nullptr);

    QToolButton* back;     // left or down
    QToolButton* forward;  // right or up

signals:
    void clicked(bool forward);
};

// The date picker: a borderless window with the month calendar, a month spinner, a year
// spinner and OK / Cancel. SetDate before it is shown, GetDate after it closed with OK.
class TfrmPickDate : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPickDate(QWidget* parent = nullptr);

    // Date-time value: days since 30 December 1899, the fraction the time of day.
    double pickedDate = 0;

    // pickedDate := now, then the given value when it is greater than 0.
    void SetDate(double value);
    // The calendar's date at midnight (0 without a valid date).
    double GetDate();

    void FormShow();
    void YearSpinnerClick(bool up);
    void MonthSpinnerClick(bool right);
    void CalendarDrawItem(QPainter& painter, const QRect& cell, int day, int month, int year);
    void CalendarDblClick();
    // The release of Home, with or without Shift or Ctrl: today. True when it took the key.
    bool FormKeyUp(int key);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFrame* Panel1;
    MonthCalendar* Calendar;
    DateSpinner* MonthSpinner;
    DateSpinner* YearSpinner;
    QPushButton* btnOk;
    QPushButton* btnCancel;
};

// Date-time values and calendar dates.
[[nodiscard]] double dateValue(const QDate& date);
[[nodiscard]] QDate dateOfValue(double value);

}  // namespace rk
