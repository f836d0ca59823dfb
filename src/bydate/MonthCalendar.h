#pragma once

#include <QDate>
#include <QRect>
#include <QWidget>
#include <functional>

class QPainter;

namespace rk {

// A month calendar: one current date between 1 January 1600 and 31 December 3999, shown as
// its month's title, a row of day names from Sunday, and 6 weeks of 7 day cells starting with
// the week of the 1st (days of the months around fill the first and last cells).
// The mouse picks a day (one of the months around moves the calendar there); a double click
// only raises doubleClicked, since the press before it has already picked the day.
// Keys: Left, Right a day; Up, Down a week; Home, End the month's first and last day;
// Page Up, Page Down a month; Ctrl+Home, Ctrl+End a year. Moves stop at the range's ends.
class MonthCalendar : public QWidget {
    Q_OBJECT
public:
    static constexpr int weeks = 6;

    explicit MonthCalendar(QWidget* parent = nullptr);

    [[nodiscard]] QDate date() const { return date_; }
    // Clamped to the range; repaints what changed.
    void setDate(const QDate& date);
    // Month and year moves keep the day, or take the target month's last day when it is
    // shorter (31 January + 1 month is 28 or 29 February).
    void moveMonths(int months);
    void moveYears(int years) { moveMonths(12 * years); }

    [[nodiscard]] static QDate firstDate() { return {1600, 1, 1}; }
    [[nodiscard]] static QDate lastDate() { return {3999, 12, 31}; }
    // The date after `months` months by the rule above, clamped to the range.
    [[nodiscard]] static QDate addMonths(const QDate& date, int months);

    // The date a cell shows (0 to 41, by rows), and the rectangle of a cell.
    [[nodiscard]] QDate cellDate(int cell) const;
    [[nodiscard]] QRect cellRect(int cell) const;
    // The cell under a point; -1 outside the day grid.
    [[nodiscard]] int cellAt(QPoint at) const;

    // Draws one day cell: its rectangle, day, month and year. Without one, a plain cell.
    std::function<void(QPainter&, const QRect&, int day, int month, int year)> drawItem;

signals:
    void dateChanged(const QDate& date);
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    [[nodiscard]] int titleHeight() const;
    [[nodiscard]] int labelHeight() const;
    [[nodiscard]] QDate gridStart() const;

    QDate date_{1996, 5, 30};
};

}  // namespace rk
