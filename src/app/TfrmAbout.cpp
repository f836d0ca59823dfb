#include "app/TfrmAbout.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/GradientBack.h"
#include "ui/DeletionWindows.h"

namespace rk {

namespace {

TAnimated* animation(QWidget* parent, const QString& name, const QString& strip, int interval,
                     int start, bool reverse) {
    auto* a = new TAnimated(parent);
    a->setObjectName(name);
    a->setFrameWidth(32);
    a->setBitMap(QImage(strip));
    a->setFrameCount(5);
    a->setFrame(start);
    a->setReverse(reverse);
    a->setInterval(interval);
    a->setPlay(true);
    return a;
}

}  // namespace

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("How to contact us"));
    auto* back = new GradientBack(this);
    back->setIsAllBlue(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    auto* inner = new QVBoxLayout(panel);
    auto* product = new QLabel(QStringLiteral("ROOMKIN '95"), panel);
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    product->setFont(big);
    product->setAlignment(Qt::AlignCenter);
    inner->addWidget(product);
    auto* version = new QLabel(QStringLiteral("Version 2.2 (32 bits)"), panel);
    version->setAlignment(Qt::AlignCenter);
    inner->addWidget(version);
    Animated1 = animation(this, QStringLiteral("Animated1"), QStringLiteral(":/icons/disk.png"),
                          260, 1, false);
    Animated2 = animation(this, QStringLiteral("Animated2"), QStringLiteral(":/icons/gauge.png"),
                          250, 4, true);
    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(Animated1, 0, Qt::AlignVCenter);
    top->addWidget(panel, 1);
    top->addWidget(Animated2, 0, Qt::AlignVCenter);
    layout->addLayout(top);

    const auto line = [&](const QString& text, bool bold = false) {
        auto* label = new QLabel(text, this);
        label->setAlignment(Qt::AlignCenter);
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(pal);
        if (bold) {
            QFont f = label->font();
            f.setBold(true);
            label->setFont(f);
        }
        layout->addWidget(label);
    };
    line(QStringLiteral("Tarvel Corporation"), true);
    line(QStringLiteral("Disk space utilities for the desktop"));
    line(QStringLiteral("www.tarvel.example    support@tarvel.example"));
    line(QStringLiteral("Call about our other products for DOS and Windows."));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    layout->addWidget(OKButton, 0, Qt::AlignCenter);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(sizeHint().expandedTo(QSize(380, 260)));
}

void TfrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnScreen(this);
}

}  // namespace rk
