#pragma once

#include <QByteArray>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace rk {

// Asks how to delete a folder tree: permanently (OK, sendToBin false), to the recycle bin
// (OK, sendToBin true) or not at all (Rejected). The caller sets the folder before showing.
class TfrmDelDirectory : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDelDirectory(QWidget* parent = nullptr);

    // Sets lblDirectory to the folder, keeping its exact bytes.
    void setDirectory(const QByteArray& path);
    [[nodiscard]] QByteArray directory() const;

    void FormShow();
    void btDeleteClick();
    void btRecycleClick();

    QLabel* Label2 = nullptr;
    QLabel* lblDirectory = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btRecycle = nullptr;
    QPushButton* BitBtn3 = nullptr;

    bool sendToBin = false;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QByteArray directory_;
    QString directoryText_;  // the label text directory_ belongs to
};

}  // namespace rk
