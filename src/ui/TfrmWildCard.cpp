#include "ui/TfrmWildCard.h"

#include <QShowEvent>
#include <QStringList>
#include <QStyle>

#include "common/FileTypes.h"
#include "ui/DeletionWindows.h"

namespace rk {

TfrmWildCard::TfrmWildCard(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmWildCard"));
    setWindowTitle(QStringLiteral("Wildcard pattern"));
    const auto px = [this](int v) { return scaledPixels(this, v); };
    setFixedSize(px(286), px(182));

    Label3 = new QLabel(QStringLiteral("&Change the wildcard matching pattern:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(px(16), px(12), px(256), px(18));

    cbWildCard = new QComboBox(this);
    cbWildCard->setObjectName(QStringLiteral("cbWildCard"));
    cbWildCard->setEditable(true);
    cbWildCard->setInsertPolicy(QComboBox::NoInsert);
    cbWildCard->setMaxVisibleItems(14);
    cbWildCard->setToolTip(QStringLiteral("Wildcard pattern for matching file types"));
    cbWildCard->setEditText(QStringLiteral("*.*"));
    cbWildCard->setGeometry(px(16), px(34), px(145), px(24));
    Label3->setBuddy(cbWildCard);

    lblWild = new QLabel(this);
    lblWild->setObjectName(QStringLiteral("lblWild"));
    lblWild->setGeometry(px(172), px(38), px(100), px(18));

    lblType = new QLabel(this);
    lblType->setObjectName(QStringLiteral("lblType"));
    lblType->setAlignment(Qt::AlignCenter);
    lblType->setGeometry(px(16), px(76), px(256), px(36));
    lblType->setWordWrap(true);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                              QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn1->setGeometry(px(48), px(136), px(85), px(28));
    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                              QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(px(154), px(136), px(85), px(28));

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbWildCard, &QComboBox::editTextChanged, this, &TfrmWildCard::cbWildCardClick);
    connect(cbWildCard, &QComboBox::activated, this, &TfrmWildCard::cbWildCardClick);
}

void TfrmWildCard::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        centreOnScreen(this);
        FormShow();
    }
}

void TfrmWildCard::FormShow() {
    fillPatternList(cbWildCard);
    cbWildCardClick();
    cbWildCard->setFocus();
}

void TfrmWildCard::cbWildCardClick() {
    const QString pattern = cbWildCard->currentText();
    lblWild->setText(pattern == QStringLiteral("*.*") ? QStringLiteral("All files") : QString());
    lblType->setText(patternTypeName(pattern));
}

std::optional<QString> chooseWildcard(QWidget* owner, const QString& current) {
    TfrmWildCard chooser(owner);
    chooser.cbWildCard->setEditText(current);
    if (chooser.exec() != QDialog::Accepted) return std::nullopt;
    return chooser.cbWildCard->currentText();
}

QString patternTypeName(const QString& pattern) {
    const qsizetype dot = pattern.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return {};
    const QString extension = pattern.mid(dot);
    if (extension.contains(QLatin1Char('*')) || extension.contains(QLatin1Char('?'))) return {};
    return fileTypeName(extension);
}

void fillPatternList(QComboBox* box) {
    QStringList patterns;
    listRegisteredExtensions(patterns);
    const QString text = box->currentText();
    box->clear();
    box->addItems(patterns);
    box->setEditText(text);
}

}  // namespace rk
