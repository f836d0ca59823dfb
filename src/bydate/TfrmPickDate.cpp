#include "bydate/TfrmPickDate.h"

#include <QBoxLayout>
#include <QDateTime>
#include <QKeyEvent>
#include <QPainter>
#include <QShowEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <cmath>

#include "common/TimeHelpers.h"
#include "ui/DeletionWindows.h"

namespace rk {

namespace {

const QDate dateEpoch(1899, 12, 30);

}  // namespace

double dateValue(const QDate& date) {
    return double(dateEpoch.daysTo(date));
}

QDate dateOfValue(double value) {
    return dateEpoch.addDays(qint64(std::floor(value)));
}

DateSpinner::DateSpinner(Qt::Orientation orientation, QWidget* parent) : QWidget(parent) {
    const bool horizontal = orientation == Qt::Horizontal;
    back = new QToolButton(this);
    forward = new QToolButton(this);
    back->setArrowType(horizontal ? Qt::LeftArrow : Qt::DownArrow);
    forward->setArrowType(horizontal ? Qt::RightArrow : Qt::UpArrow);
    auto* layout =
        new QBoxLayout(horizontal ? QBoxLayout::LeftToRight : QBoxLayout::BottomToTop, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* b : {back, forward}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setAutoRepeatDelay(500);
        b->setAutoRepeatInterval(100);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
    }
    connect(back, &QToolButton::clicked, this, [this] { emit clicked(false); });
    connect(forward, &QToolButton::clicked, this, [this] { emit clicked(true); });
}

TfrmPickDate::TfrmPickDate(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmPickDate"));
    setWindowTitle(QStringLiteral("Calendar"));
    const auto px = [this](int v) { return scaledPixels(this, v); };
    setFixedSize(px(285), px(202));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(3);
    Panel1->setGeometry(0, 0, px(285), px(202));

    Calendar = new MonthCalendar(Panel1);
    Calendar->setObjectName(QStringLiteral("Calendar"));
    Calendar->setGeometry(px(10), px(11), px(240), px(158));
    MonthSpinner = new DateSpinner(Qt::Horizontal, Panel1);
    MonthSpinner->setObjectName(QStringLiteral("MonthSpinner"));
    MonthSpinner->setGeometry(px(9), px(172), px(206), px(20));
    MonthSpinner->setToolTip(QStringLiteral("Change the displayed month"));
    YearSpinner = new DateSpinner(Qt::Vertical, Panel1);
    YearSpinner->setObjectName(QStringLiteral("YearSpinner"));
    YearSpinner->setGeometry(px(254), px(11), px(19), px(153));
    YearSpinner->setToolTip(QStringLiteral("Change the displayed year"));

    btnOk = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"),
                            Panel1);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnOk->setToolTip(QStringLiteral("Select date"));
    btnOk->setGeometry(px(220), px(170), px(26), px(23));
    btnCancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                QStringLiteral("Cancel"), Panel1);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setToolTip(QStringLiteral("Cancel"));
    btnCancel->setGeometry(px(247), px(170), px(26), px(23));

    Calendar->drawItem = [this](QPainter& p, const QRect& r, int d, int m, int y) {
        CalendarDrawItem(p, r, d, m, y);
    };
    connect(Calendar, &MonthCalendar::doubleClicked, this, &TfrmPickDate::CalendarDblClick);
    connect(MonthSpinner, &DateSpinner::clicked, this, &TfrmPickDate::MonthSpinnerClick);
    connect(YearSpinner, &DateSpinner::clicked, this, &TfrmPickDate::YearSpinnerClick);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    // The window sees the keys before its controls.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void TfrmPickDate::SetDate(double value) {
    pickedDate = dateTimeValue(QDateTime::currentDateTime());
    if (value > 0) pickedDate = value;
}

double TfrmPickDate::GetDate() {
    const QDate d = Calendar->date();
    pickedDate = d.isValid() ? dateValue(d) : 0;
    return pickedDate;
}

void TfrmPickDate::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TfrmPickDate::FormShow() {
    btnOk->setText(QString());
    btnCancel->setText(QString());
    Calendar->setDate(dateOfValue(pickedDate));
    Calendar->setFocus();
}

void TfrmPickDate::YearSpinnerClick(bool up) {
    Calendar->moveYears(up ? 1 : -1);
    Calendar->setFocus();
}

void TfrmPickDate::MonthSpinnerClick(bool right) {
    Calendar->moveMonths(right ? 1 : -1);
    Calendar->setFocus();
}

void TfrmPickDate::CalendarDrawItem(QPainter& p, const QRect& cell, int day, int month,
                                    int /*year*/) {
    p.setPen(palette().button().color());
    p.setBrush(Qt::NoBrush);
    p.drawRect(cell.adjusted(0, 0, -1, -1));
    const QRect r = cell.adjusted(1, 1, -1, -1);
    const QDate current = Calendar->date();
    const bool selected = day == current.day();
    if (month == current.month()) {
        QStyleOptionButton button;
        button.initFrom(Calendar);
        button.rect = r;
        button.state =
            QStyle::State_Enabled |
            (selected ? QStyle::State_Sunken | QStyle::State_HasFocus : QStyle::State_Raised);
        style()->drawControl(QStyle::CE_PushButtonBevel, &button, &p, Calendar);
        if (selected) {
            // The focus mark: a dotted frame inside the pressed face.
            QStyleOptionFocusRect focus;
            focus.initFrom(Calendar);
            focus.rect = r.adjusted(3, 3, -3, -3);
            focus.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, Calendar);
        }
    } else {
        p.setPen(QColor(0, 0, 128));
        p.setBrush(QColor(0, 128, 128));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    p.setPen(Qt::black);
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, QString::number(day));
}

void TfrmPickDate::CalendarDblClick() {
    accept();
}

bool TfrmPickDate::FormKeyUp(int key) {
    if (key != Qt::Key_Home) return false;
    Calendar->setDate(QDate::currentDate());
    return true;
}

bool TfrmPickDate::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat() && FormKeyUp(key->key())) return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace rk
