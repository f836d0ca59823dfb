#pragma once

#include <QByteArray>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "ui/Services.h"

namespace rk {

// Asks how to delete a folder tree: permanently (OK, sendToBin false), to the recycle bin
// (OK, sendToBin true) or not at all (Rejected). The caller sets the folder before showing;
// when shown, the window counts what the tree holds, so the user sees what would go.
class TfrmDelDirectory : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDelDirectory(const Services& services, QWidget* parent = nullptr);

    // Sets lblDirectory to the folder, keeping its exact bytes.
    void setDirectory(const QByteArray& path);
    [[nodiscard]] QByteArray directory() const;

    void FormShow();
    void btDeleteClick();
    void btRecycleClick();

    QLabel* lblDirectory = nullptr;

    bool sendToBin = false;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* Label2 = nullptr;
    QLabel* lblContents = nullptr;  // files, folders and bytes of the tree, counted when shown
    QPushButton* btDelete = nullptr;
    QPushButton* btRecycle = nullptr;
    QPushButton* BitBtn3 = nullptr;

    Services services_;
    QByteArray directory_;
    QString directoryText_;  // the label text directory_ belongs to
};

}  // namespace rk
