#include "ui/HintSettings.h"

#include <QApplication>
#include <QPalette>
#include <QProxyStyle>
#include <QToolTip>

namespace rk {

namespace {

class HintStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return 1000;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void applyHintSettings() {
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, QColor(0, 255, 255));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(palette);
    if (!dynamic_cast<HintStyle*>(QApplication::style()))
        QApplication::setStyle(new HintStyle(QApplication::style()->name()));
}

}  // namespace rk
