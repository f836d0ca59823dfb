#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "ui/Services.h"

namespace rk {

class HelpWindow;

// The windows the tool buttons open. A button whose window is not built yet does nothing.
struct ToolWindows {
    // TfrmDup: duplicate files when duplicates is true, file hogs otherwise.
    std::function<QDialog*(QWidget* owner, bool duplicates)> duplicates;
    std::function<QDialog*(QWidget* owner)> filesByDate;  // TfrmMods
    std::function<QDialog*(QWidget* owner)> folderHogs;   // TfrmDirHog
    std::function<QDialog*(QWidget* owner)> browser;      // TfrmBrowse
    std::function<QDialog*(QWidget* owner)> spaceMap;     // TfrmSpaceMap
    QPointer<QWidget> statistics;                         // lives for the whole run
};

// The program's home: one row per tool, About, Help and Exit.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(const Services& services, ToolWindows tools = {}, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The help file the Help button shows (see findHelpFile).
    [[nodiscard]] QString helpFile() const { return helpFile_; }
    [[nodiscard]] HelpWindow* helpWindow() const { return help_; }

    QListWidget* lb1;  // holds the search-path list, never shown

    // The buttons a user presses, tool rows first from the top, then About, Help and Exit.
    [[nodiscard]] QList<QPushButton*> buttons() const;

    void btDuplicateClick();
    void btFileHogClick();
    void btFilesClick();
    void btDirHogsClick();
    void btStatisticClick();
    void btBrowseClick();
    void btReachClick();
    void btHelpClick();
    void btCloseClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* btDuplicate;
    QPushButton* btFileHog;
    QPushButton* btFiles;
    QPushButton* btDirHogs;
    QPushButton* btStatistic;
    QPushButton* btBrowse;
    QPushButton* btSpaceMap;
    QPushButton* btReach;
    QPushButton* btHelp;
    QPushButton* btClose;

    void GetSearchPath();
    void openModal(const std::function<QDialog*(QWidget*)>& create);
    void openDuplicates(bool duplicates);
    QPushButton* addToolRow(int top, const QString& caption, const QString& label,
                            const QString& name, QStyle::StandardPixmap glyph);

    Services services_;
    ToolWindows tools_;
    QString helpFile_;
    HelpWindow* help_ = nullptr;
    double scale_ = 1.0;
};

}  // namespace rk
