#include <gtest/gtest.h>
#include <QApplication>
#include <QFontMetrics>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <utility>

#include "ui/QtDialogService.h"

namespace rk {
namespace {

// The boxes' titles are not cut: each box is as wide as its title in the title bar's bold
// font, beside the window's icon and a button.
TEST(QtDialogService, MessageAndInputBoxesAreWideEnoughForTheirTitles) {
    const auto widthAndNeeded = [](const std::function<void()>& open) {
        int width = 0, needed = 0;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            QFont bold = QApplication::font("QMdiSubWindowTitleBar");
            bold.setBold(true);
            needed = QFontMetrics(bold).horizontalAdvance(box->windowTitle()) +
                     3 * box->style()->pixelMetric(QStyle::PM_TitleBarHeight);
            width = box->width();
            box->close();
        });
        open();
        return std::pair(width, needed);
    };
    QtDialogService dialogs;
    const auto [messageWidth, messageNeeded] = widthAndNeeded([&] {
        dialogs.message({MessageKind::Information, QStringLiteral("Roomkin '95"),
                         QStringLiteral("Done."), ButtonOk});
    });
    EXPECT_GE(messageWidth, messageNeeded);
    const auto [inputWidth, inputNeeded] = widthAndNeeded([&] {
        (void)dialogs.input(QStringLiteral("Tab expansion size for the viewer window"),
                            QStringLiteral("Size:"), QStringLiteral("8"));
    });
    EXPECT_GE(inputWidth, inputNeeded);
}

}  // namespace
}  // namespace rk
