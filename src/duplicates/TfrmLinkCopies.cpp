#include "duplicates/TfrmLinkCopies.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/TextHelpers.h"

namespace rk {

TfrmLinkCopies::TfrmLinkCopies(const std::vector<CopyPair>& pairs, const WaysOpen& ways,
                               QWidget* parent)
    : QDialog(parent), ways_(ways), count_(pairs.size()) {
    setObjectName(QStringLiteral("frmLinkCopies"));
    setWindowTitle(QStringLiteral("Link marked copies"));
    auto* intro = new QLabel(
        QStringLiteral("Each marked copy keeps its name; its contents are stored once, with the "
                       "copy named after the arrow."),
        this);
    intro->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lstCopies"));
    for (const CopyPair& p : pairs)
        list_->addItem(displayPath(p.going.path) + QStringLiteral("  \u2192  ") +
                       displayPath(p.kept.path));
    room_ = new QLabel(this);
    room_->setObjectName(QStringLiteral("lblRoom"));
    share_ = new QRadioButton(
        QStringLiteral("&Share the data: every copy stays a file of its own, with its owner, "
                       "permissions and times"),
        this);
    share_->setObjectName(QStringLiteral("rbShare"));
    share_->setEnabled(ways.share);
    link_ = new QRadioButton(
        QStringLiteral("&Hard link: every name leads to the kept copy, one file"), this);
    link_->setObjectName(QStringLiteral("rbLink"));
    link_->setEnabled(ways.link);
    agree_ = new QCheckBox(QStringLiteral("The copies differ in owner or permissions; the link "
                                          "will have the kept copy's."),
                           this);
    agree_->setObjectName(QStringLiteral("cbAgree"));
    agree_->setVisible(ways.ownersDiffer);
    if (ways.share)
        share_->setChecked(true);
    else if (ways.link)
        link_->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText(QStringLiteral("&Link"));
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w :
         std::initializer_list<QWidget*>{intro, list_, room_, share_, link_, agree_, buttons})
        layout->addWidget(w);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{share_, link_, agree_})
        connect(b, &QAbstractButton::toggled, this, &TfrmLinkCopies::update);
    update();
    resize(640, 400);
}

LinkWay TfrmLinkCopies::way() const {
    return link_->isChecked() ? LinkWay::HardLink : LinkWay::Share;
}

bool TfrmLinkCopies::ownerAgreed() const {
    return agree_->isChecked();
}

void TfrmLinkCopies::update() {
    const bool linking = link_->isChecked();
    room_->setText(QStringLiteral("%1 %2, %3 bytes of room to free")
                       .arg(formatThousands(std::int64_t(count_)),
                            countNoun(std::int64_t(count_), "file"),
                            formatThousands(linking ? ways_.linkRoom : ways_.shareRoom)));
    agree_->setEnabled(linking);
    ok_->setEnabled((share_->isChecked() && ways_.share) ||
                    (linking && ways_.link && (!ways_.ownersDiffer || agree_->isChecked())));
}

QString linkSummary(const LinkResult& result, const std::vector<CopyPair>& pairs, LinkWay way) {
    QString text = linkSummaryLines(result, way).join(QLatin1Char('\n'));
    constexpr std::size_t shown = 10;
    for (std::size_t i = 0; i < result.left.size() && i < shown; ++i) {
        const LeftCopy& l = result.left[i];
        text += QStringLiteral("\n%1 was left as it was: %2.")
                    .arg(displayPath(pairs[l.pair].going.path), leftReasonText(l.reason, l.error));
    }
    if (result.left.size() > shown)
        text += QStringLiteral("\n... and %1 more left")
                    .arg(formatThousands(std::int64_t(result.left.size() - shown)));
    return text;
}

}  // namespace rk
