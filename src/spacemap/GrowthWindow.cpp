#include "spacemap/GrowthWindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/TextHelpers.h"
#include "spacemap/SpaceReport.h"
#include "spacemap/SpaceTreeModel.h"

namespace rk {

namespace {

QString signedText(std::int64_t value, const QString& magnitude) {
    if (value > 0) return QLatin1Char('+') + magnitude;
    if (value < 0) return QChar(0x2212) + magnitude;
    return magnitude;
}

}  // namespace

GrowthWindow::GrowthWindow(const SpaceTree& before, const SpaceTree& now,
                           const QByteArray& beforeFile, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmGrowth"));
    setWindowTitle(QStringLiteral("What grew since ") + displayPath(beforeFile));
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("lbGrowth"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels(
        {QStringLiteral("Room"), QStringLiteral("Files"), QString(), QStringLiteral("Folder")});
    for (const GrowthChange& c : growthChanges(before, now)) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, signedText(c.room, roomText(c.room < 0 ? -c.room : c.room)));
        item->setToolTip(0, formatThousands(c.room) + QStringLiteral(" bytes"));
        item->setText(1, signedText(c.files, formatThousands(c.files < 0 ? -c.files : c.files)));
        item->setText(2, QString::fromLatin1(c.mark));
        item->setText(3, displayPath(c.path));
        item->setData(3, Qt::UserRole, c.path);
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int c = 0; c < 3; ++c)
        list_->resizeColumnToContents(c);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    if (list_->topLevelItemCount() == 0)
        column->addWidget(new QLabel(QStringLiteral("No folder changed."), this));
    column->addWidget(list_, 1);
    column->addWidget(buttons);
    resize(720, 420);
}

}  // namespace rk
