#include <gtest/gtest.h>
#include <QApplication>
#include <QFontMetrics>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include "ui/QtDialogService.h"

namespace rk {
namespace {

TEST(QtDialogService, AMessageBoxIsWideEnoughForItsTitle) {
    int width = 0, needed = 0;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        // The title in the title bar's bold font, beside the window's icon and a button.
        QFont bold = QApplication::font("QMdiSubWindowTitleBar");
        bold.setBold(true);
        needed = QFontMetrics(bold).horizontalAdvance(box->windowTitle()) +
                 3 * box->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        width = box->width();
        box->close();
    });
    QtDialogService().message({MessageKind::Information, QStringLiteral("Roomkin '95"),
                               QStringLiteral("Done."), ButtonOk});
    EXPECT_GE(width, needed);
}

}  // namespace
}  // namespace rk
