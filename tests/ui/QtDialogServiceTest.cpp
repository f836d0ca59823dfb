#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QStyle>
#include <QTimer>

#include "ui/QtDialogService.h"

namespace rk {
namespace {

TEST(QtDialogService, AMessageBoxIsWideEnoughForItsTitle) {
    QtDialogService dialogs;
    for (const QString& title : {QStringLiteral("Roomkin '95"),
                                 QStringLiteral("Roomkin '95 - files in a range of dates")}) {
        int width = 0, needed = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            width = box->width();
            // The title bar holds the title in its bold font beside the window's icon and
            // its buttons, each about as wide as the bar is high.
            QFont bold = QApplication::font("QMdiSubWindowTitleBar");
            bold.setBold(true);
            needed = QFontMetrics(bold).horizontalAdvance(title) +
                     3 * box->style()->pixelMetric(QStyle::PM_TitleBarHeight);
            box->reject();
        });
        dialogs.message({MessageKind::Information, title, QStringLiteral("Done."), ButtonOk});
        EXPECT_GE(width, needed) << title.toStdString();
    }
}

}  // namespace
}  // namespace rk
