#pragma once

#include <QFrame>
#include <QLabel>
#include <QList>
#include <QMargins>
#include <QPushButton>
#include <QString>
#include <QStyle>
#include <cstdint>
#include <functional>

#include "common/ColumnSchema.h"
#include "common/FolderWalk.h"
#include "common/ScanJob.h"
#include "ui/ResultGridView.h"
#include "ui/ToolWindow.h"

class QLayout;

namespace rk {

class DriveCheckPanel;

// A button of the row under the query controls: glyph, caption and hint; Enter in the window
// does not press it.
[[nodiscard]] QPushButton* makeToolButton(QWidget* parent, const QString& name,
                                          const QString& caption, const QString& hint,
                                          QStyle::StandardPixmap glyph);

// Runs the scan with the pump of the job it runs in. When it throws, leaveScanning runs before
// the error goes on to the general error box, so the window never stays in its scanning state.
template <class Scan, class Run, class Leave>
void runScanWithEvents(Scan& scanner, Run run, Leave leaveScanning) {
    scanner.setPump(&ScanJob::pump());
    try {
        run();
    } catch (...) {
        scanner.setPump(nullptr);
        leaveScanning();
        throw;
    }
    scanner.setPump(nullptr);
}

// What the status and the clipboard list say of a list whose walk was stopped.
[[nodiscard]] QString listIncompleteText();

// A tool window that scans the checked drives and lists what it found in a result grid: the
// top panel with the drives and the button row, the grid, the status line, and a scan's life.
//
// A scan runs as the window's job (ScanJob), which its button's handler starts, in three
// phases: the walk (Abort offered, and Escape is Abort; Close and the title bar's close stop
// it), the rows going into the grid (nothing left to abort: a close stops the filling, Escape
// does nothing), and the epilogue.
// The window never hides while a scan runs; a close asked for during one closes the window
// once the scan has stopped. Escape closes the window only when no scan runs.
// A scan it runs has an `abort` flag, setPump(EventPump*), pathOf(record) and releaseList().
// Its controls are its own: the drive panel and the grid are what it shows to others; tests
// reach the rest by object name, as a user reaches them by caption.
class ResultWindow : public ToolWindow {
    Q_OBJECT
public:
    DriveCheckPanel* pnlDrives;
    ResultGridView* grid;
    int rowsFilled = 0;

    [[nodiscard]] bool isScanning() const { return phase_ != Phase::Idle || job_.running(); }
    // The last scan's walk was stopped before its end, so its list is not the whole answer.
    [[nodiscard]] bool listIncomplete() const { return incomplete_; }
    // What the status and a list say of it: stopped by the user, or by the scan itself (a
    // list grown past what it may hold).
    [[nodiscard]] QString incompleteText() const;
    [[nodiscard]] const ColumnSchema& schema() const { return schema_; }

    // Stops the walk with the warning; after the walk there is nothing to stop.
    void btAbortClick();
    // The start buttons follow whether any drive is checked.
    virtual void cb1Click(bool anyChecked) = 0;
    // The checked drives' captions, each followed by a blank, for a printed title.
    [[nodiscard]] QString checkedDriveList() const;

public slots:
    void reject() override;

protected:
    QFrame* Panel1;
    QLabel* Label4;  // "D&rives:"
    QPushButton* btClose;
    QPushButton* btAbort;

    ResultWindow(const Services& services, QWidget* parent, const ColumnSchema& schema,
                 QSize designedSize, int panelHeight, const QString& statusName, int statusHeight);

    // Panel1 holds the query at the left and the drives at the right over the button row;
    // the grid and the status line follow.
    void layOut(QLayout* query, const QList<QPushButton*>& buttons, QMargins panelMargins);
    [[nodiscard]] QLabel* statusLine() const { return status_; }

    // First show: no smaller than the top panel needs (twice its height), centred.
    void sizeAndCentre();
    // The grid with the schema's titles and no rows; marks and fitted widths go.
    void resetGrid();
    // Column widths: designed, widened to the fitted widths (the grid's path column takes
    // what the window has to spare).
    void FormResize();
    // Fitted widths for the columns that show their texts whole, from the titles and the
    // first `sampleRows` rows, at most 200 pixels.
    void fitColumnsToTexts(int sampleRows);

    // Starts `work` (a scan and what follows it) as the window's job, unless one runs: the
    // handler returns after its first slice.
    void startScan(std::function<void()> work) {
        job_.start(std::move(work), [this] { closeIfAsked(); });
    }
    // A derived window's destructor discards a job still under way while what the job uses
    // (its scanner, its widgets) still stands.
    void discardScan() { job_.discard(); }

    // The walk: disables the inputs, Close and the drives, shows Abort and the hourglass.
    void beginScan(bool& abortFlag, const QList<QWidget*>& inputs);
    // The walk, then the row phase: the grid takes the records list() gives (sharing their
    // bytes) while the window answers, and the scan lets its list go. False once a close
    // stopped it.
    template <class Scan, class Run, class List>
    bool runScan(Scan& scanner, Run run, List list) {
        return runScanRows(
            scanner, run, [&] { return list().size(); },
            [&](const auto& row) {
                for (const auto& r : list()) {
                    if (closeAsked_) break;
                    row(r, scanner.pathOf(r));
                }
            });
    }
    // The same for a scan that hands its rows over one at a time rather than as a list:
    // forEachRow calls row(SourceRow), and the grid keeps the source the scan gave its list to.
    template <class Scan, class Run, class Count, class ForEachRow>
    bool runScanRows(Scan& scanner, Run run, Count count, ForEachRow forEachRow) {
        runScanWithEvents(scanner, run, [this] { endScan(); });
        bool open = walkEnded();
        if (open) {
            ResultGrid& rows = grid->results();
            rows.reserveRows(count());
            EventPump& pump = ScanJob::pump();
            forEachRow([&](const auto&... row) {
                if (closeAsked_) return;
                ++rowsFilled;
                addRow(rows, row...);
                pump.poll();
            });
            open = !closeAsked_;
        }
        scanner.releaseList();
        return open;
    }
    // Back to idle; false when a close was asked for (the window closes as the job ends).
    bool endScan();
    // The status after a scan: the text, the skipped-folders note, the incomplete mark.
    [[nodiscard]] QString scanStatus(const QString& text, std::uint64_t skippedFolders) const;
    // "No files found.", with the note and mark on the status line when there are any.
    void showNothingFound(std::uint64_t skippedFolders);

    // A long job other than a scan (a deletion) holds a close asked for until it ends;
    // false from releaseClose when the window closed then.
    void holdClose() { held_ = true; }
    bool releaseClose();

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Phase { Idle, Walk, Rows };
    // A scan's record shares its bytes with the row; a source row holds only its index.
    static void addRow(ResultGrid& rows, const ScanRecord& record, const QByteArray& path) {
        rows.addRecord(record, path);
    }
    static void addRow(ResultGrid& rows, const SourceRow& row) {
        rows.addSourceRow(row.source, row.index);
    }
    bool walkEnded();
    void askClose();
    bool closeIfAsked();

    ColumnSchema schema_;
    QLabel* status_;
    QList<int> fitted_;  // widths the listed texts need, where more than designed
    QList<QWidget*> inputs_;
    Phase phase_ = Phase::Idle;
    bool* abortFlag_ = nullptr;  // the running scan's
    bool incomplete_ = false;
    bool userAborted_ = false;
    bool closeAsked_ = false;
    bool held_ = false;
    ScanJob job_;
};

}  // namespace rk
