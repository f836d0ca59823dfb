#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <optional>

namespace rk {

// Asks for a new file-name pattern: the caller sets cbWildCard's text, shows the dialog
// modally and on OK takes the text as its pattern.
class TfrmWildCard : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWildCard(QWidget* parent = nullptr);

    QComboBox* cbWildCard = nullptr;  // the pattern, given and chosen

    void FormShow();
    // Names the pattern: "All files" for *.*, and the registered name of its extension.
    void cbWildCardClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* Label3 = nullptr;
    QLabel* lblWild = nullptr;
    QLabel* lblType = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
};

// Shows the chooser over owner with the current pattern; the new pattern on OK, nothing on
// Cancel.
[[nodiscard]] std::optional<QString> chooseWildcard(QWidget* owner, const QString& current);

// The registered type name a pattern box shows for a pattern: that of the extension after its
// last ".", none when the extension holds a wildcard ("*.tx?") or there is no dot.
[[nodiscard]] QString patternTypeName(const QString& pattern);

// Fills a pattern box with *.* and every registered extension, keeping its text.
void fillPatternList(QComboBox* box);

}  // namespace rk
