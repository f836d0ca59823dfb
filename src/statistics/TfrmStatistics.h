#pragma once

#include <QAction>
#include <QColor>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "common/ScanJob.h"
#include "statistics/StatisticsPages.h"
#include "statistics/StatisticsScan.h"
#include "ui/Services.h"

namespace rk {

class ResultGridView;

// A horizontal bar: the share in the foreground colour on the background, the percentage
// centred over it when asked for.
class StatGauge : public QWidget {
    Q_OBJECT
public:
    StatGauge(QWidget* parent, const QString& name, QColor foreground, QColor background,
              bool showText);
    void setProgress(int percent);
    [[nodiscard]] int progress() const { return percent_; }
    [[nodiscard]] QString text() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor foreground_;
    QColor background_;
    bool showText_;
    int percent_ = 0;
};

// The components of one gauge page's rows: File Sizes (rows 1 to 9) or an age page (0 to 9).
struct GaugePage {
    std::vector<StatGauge*> countGauge;
    std::vector<QLabel*> countLabel;
    std::vector<StatGauge*> sizeGauge;
    std::vector<QLabel*> bytesLabel;
    void show(const std::vector<GaugeRow>& rows);
};

// The disk statistics window. Created once at start-up and kept for the whole run: shown
// without modality, hidden by Cancel, it keeps its figures between showings. A run is the window's
// job (ScanJob): it goes on while the window answers, and while a tool window is modal; Cancel, Esc
// and the close box then only stop it, and the window stays. Closing the main window stops a run
// and closes this window once the run has ended.
class TfrmStatistics : public QDialog {
    Q_OBJECT
public:
    explicit TfrmStatistics(const Services& services, QWidget* parent = nullptr);
    ~TfrmStatistics() override;

    // Follows the main window: becomes its child window, and a close of the main window
    // stops a run under way.
    void followOwner(QWidget* owner);

    ResultGridView* gridTypes;

    GaugePage sizesPage;   // gaFsN, lblSizeN, gaFsS, lblSize
    GaugePage accessPage;  // gaFaN, lblAgeN, gaFaS, lblAgeS
    GaugePage createPage;  // gaFcN, lblCr, gaFcS, lblCrS
    GaugePage writePage;   // gaFwN, lblWr, gaFwS, lblFw

    [[nodiscard]] bool collected() const { return collected_; }
    [[nodiscard]] bool scanning() const { return scanning_; }
    [[nodiscard]] const StatisticsScan& scanner() const { return *scanner_; }

    void FormShow();
    void PageControl1Change(int page);
    void cbDriveClick();
    // Starts a run for the drive in the drive box as the window's job.
    void btOKClick();
    // During a run: stops it. Otherwise hides the window.
    void btCancelClick();
    void doDiskSize();
    void doFileTypes();
    void doFileSizes();
    void doFileAges();
    void btSortClick();
    void SortbyExtensionClick(QAction* item);
    void btPrintClick();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTabWidget* PageControl1;
    QWidget* TabSheet3;  // Disk Space
    QWidget* TabSheet1;  // File Types
    QWidget* TabSheet2;  // File Sizes
    QWidget* TabSheet4;  // Files accessed
    QWidget* TabSheet5;  // Files created
    QWidget* TabSheet6;  // Files modified
    QLabel* lblTotal;
    QLabel* lblFreeC;
    QLabel* lblFree;
    QLabel* lblPct;
    QLabel* Label26;
    QLabel* lblUsed;
    QLabel* lblPct2;
    QLabel* lblReserved;  // only where the file system keeps space for the administrator
    StatGauge* Gauge1;
    QPushButton* btSort;
    QMenu* PopupMenu1;
    QAction* SortbyExtension;
    QAction* SortbyType;
    QAction* SortbyNumFiles;
    QAction* SortbySize;
    QLabel* lblCluster;
    QComboBox* cbDrive;
    QPushButton* btOK;
    QPushButton* btPrint;
    QPushButton* btCancel;
    QStatusBar* StatusBar1;
    QProgressBar* ProgressBar1;
    QLabel* pnlNotYet;

    Services services_;
    StatisticsScan::Outcome scan(const Drive& drive);
    // The run after its start: the walk, the figures, the caption and the messages.
    void runJob(const Drive& drive, const QString& boxText, const QString& statusBefore,
                const QString& captionBefore, const std::function<void()>& finish);
    void fillDriveBox();
    [[nodiscard]] const Drive* chosenDrive() const;
    void showProgress();
    QWidget* makeGaugePage(const QString& name, GaugePage& page, int firstRow, int rows,
                           const QString& countGauge, const QString& countLabel,
                           const QString& sizeGauge, const QString& bytesLabel, QColor countColour,
                           QColor sizeColour, const QStringList& captions);

    std::unique_ptr<StatisticsScan> scanner_;
    std::vector<Drive> drives_;  // the drive box's entries
    // The File Types grid's rows as tallies, in the grid's order: sorts by number compare
    // these, never the texts written with the locale's separators.
    struct TypeEntry {
        QString extension;
        QString type;
        Tally tally;
    };
    std::vector<TypeEntry> typeEntries_;
    QAction* checkedSort_ = nullptr;
    bool collected_ = false;
    bool scanning_ = false;
    bool ownerClosed_ = false;
    std::int64_t shownCount_ = -1;
    std::int64_t lastCount_ = 0;
    ScanJob job_;  // last: discarded while what the run uses still stands
};

}  // namespace rk
