#pragma once

#include <QCoreApplication>
#include <QList>
#include <QPushButton>
#include <QString>
#include <QStyle>

#include "common/FolderWalk.h"

namespace rk {

class ResultGridView;

// The result windows' common pieces: their button row, their grid's column widths, and a scan
// run inside a button's handler.

// A button of the row under the query controls: glyph, caption and hint; Enter in the window
// does not press it.
[[nodiscard]] QPushButton* makeToolButton(QWidget* parent, const QString& name,
                                          const QString& caption, const QString& hint,
                                          QStyle::StandardPixmap glyph);

// Column widths: each column of `designed` (pixels at 96 dpi) widened to its `fitted` width
// where that is more, then the next column takes what is left of `windowWidth`, `margin`
// designed pixels short of the window's edge.
void fitResultColumns(ResultGridView& grid, const QList<int>& designed, const QList<int>& fitted,
                      int windowWidth, int margin);

// Runs the scan while the window processes events. When it throws, leaveScanning runs before
// the error goes on to the general error box, so the window never stays in its scanning state.
template <class Scan, class Run, class Leave>
void runScanWithEvents(Scan& scanner, Run run, Leave leaveScanning) {
    EventPump pump([] { QCoreApplication::processEvents(); });
    scanner.setPump(&pump);
    try {
        run();
    } catch (...) {
        scanner.setPump(nullptr);
        leaveScanning();
        throw;
    }
    scanner.setPump(nullptr);
}

}  // namespace rk
