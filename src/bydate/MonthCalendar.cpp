#include "bydate/MonthCalendar.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "common/TimeHelpers.h"

namespace rk {

MonthCalendar::MonthCalendar(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

QDate MonthCalendar::addMonths(const QDate& date, int months) {
    const int index = date.year() * 12 + (date.month() - 1) + months;
    const int year = index / 12;
    const int month = index % 12 + 1;
    if (year < firstDate().year()) return firstDate();
    if (year > lastDate().year()) return lastDate();
    const int days = QDate(year, month, 1).daysInMonth();
    return {year, month, std::min(date.day(), days)};
}

void MonthCalendar::setDate(const QDate& date) {
    if (!date.isValid()) return;
    const QDate clamped = std::clamp(date, firstDate(), lastDate());
    if (clamped == date_) return;
    date_ = clamped;
    update();
    emit dateChanged(date_);
}

void MonthCalendar::moveMonths(int months) {
    setDate(addMonths(date_, months));
}

int MonthCalendar::titleHeight() const {
    return fontMetrics().height() + 6;
}

int MonthCalendar::labelHeight() const {
    return fontMetrics().height() + 2;
}

QDate MonthCalendar::gridStart() const {
    const QDate first(date_.year(), date_.month(), 1);
    return first.addDays(-(first.dayOfWeek() % 7));  // back to Sunday
}

QDate MonthCalendar::cellDate(int cell) const {
    return gridStart().addDays(cell);
}

QRect MonthCalendar::cellRect(int cell) const {
    const int top = titleHeight() + labelHeight();
    const int w = width() / 7;
    const int h = (height() - top) / weeks;
    return {(cell % 7) * w, top + (cell / 7) * h, w, h};
}

int MonthCalendar::cellAt(QPoint at) const {
    const int top = titleHeight() + labelHeight();
    const int w = width() / 7;
    const int h = (height() - top) / weeks;
    if (w <= 0 || h <= 0 || at.y() < top || at.x() < 0 || at.x() >= 7 * w) return -1;
    const int row = (at.y() - top) / h;
    return row < weeks ? row * 7 + at.x() / w : -1;
}

void MonthCalendar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QLocale locale = textLocale();
    const QRect title(0, 0, width(), titleHeight());
    p.fillRect(rect(), palette().window());
    p.setPen(palette().windowText().color());
    p.drawText(title, Qt::AlignCenter,
               locale.standaloneMonthName(date_.month()) + QLatin1Char(' ') +
                   QString::number(date_.year()));
    const int w = width() / 7;
    for (int d = 0; d < 7; ++d) {
        const QRect label(d * w, titleHeight(), w, labelHeight());
        p.fillRect(label, palette().button());
        p.setPen(Qt::black);
        // Sunday first; Qt numbers the days from Monday = 1 to Sunday = 7.
        p.drawText(label, Qt::AlignCenter, locale.dayName(d == 0 ? 7 : d).left(3));
    }
    for (int cell = 0; cell < 7 * weeks; ++cell) {
        const QRect r = cellRect(cell);
        const QDate d = cellDate(cell);
        if (drawItem) {
            p.save();
            drawItem(p, r, d.day(), d.month(), d.year());
            p.restore();
        } else {
            p.setPen(Qt::black);
            p.drawText(r, Qt::AlignCenter, QString::number(d.day()));
        }
        p.setPen(QColor(192, 192, 192));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void MonthCalendar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const int cell = cellAt(event->position().toPoint());
    if (cell >= 0) setDate(cellDate(cell));
}

void MonthCalendar::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt's default treats the second press as a press: after the first one switched the
    // month, that would pick whatever day now lies under the pointer.
    if (event->button() == Qt::LeftButton) emit doubleClicked();
}

void MonthCalendar::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const QDate first(date_.year(), date_.month(), 1);
    switch (event->key()) {
        case Qt::Key_Left:
            setDate(std::max(date_.addDays(-1), firstDate()));
            break;
        case Qt::Key_Right:
            setDate(std::min(date_.addDays(1), lastDate()));
            break;
        case Qt::Key_Up:
            setDate(std::max(date_.addDays(-7), firstDate()));
            break;
        case Qt::Key_Down:
            setDate(std::min(date_.addDays(7), lastDate()));
            break;
        case Qt::Key_Home:
            if (ctrl)
                moveYears(-1);
            else
                setDate(first);
            break;
        case Qt::Key_End:
            if (ctrl)
                moveYears(1);
            else
                setDate(first.addDays(first.daysInMonth() - 1));
            break;
        case Qt::Key_PageUp:
            moveMonths(-1);
            break;
        case Qt::Key_PageDown:
            moveMonths(1);
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

}  // namespace rk
