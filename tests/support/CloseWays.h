#pragma once

#include <QTest>
#include <functional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QTimer>

#include "Controls.h"
#include "Jobs.h"
#include "ScriptedDialogs.h"
#include "SlowPlatform.h"
#include "ui/ResultWindow.h"

namespace rk::test {

// The ways a user closes a result window during a scan: its Close button (pressed by its
// shortcut or before it was disabled) and the title bar's close box. Escape is not one of
// them while a scan runs: see expectEscapeIsAbortDuringTheWalk.
inline std::vector<std::pair<const char*, std::function<void(ResultWindow&)>>> closeWays() {
    return {{"Close",
             [](ResultWindow& w) { emit test::control<QPushButton>(w, "btClose")->clicked(); }},
            {"close box", [](ResultWindow& w) { w.close(); }}};
}

// Closes the window each way while the walk of the scan that `start` begins runs: the window
// stays shown until the walk has stopped, then closes without listing or asking anything.
// `open` gives a freshly shown window.
template <class Open, class Start>
void expectEachCloseStopsTheWalk(SlowPlatform& slow, Open open, Start start) {
    for (const auto& [way, closeIt] : closeWays()) {
        ResultWindow& w = open();
        scriptedDialogs().clear();
        bool shownAfter = false;
        int readsThen = 0;
        QTimer::singleShot(0, [&, &closeIt = closeIt] {
            ASSERT_TRUE(w.isScanning());
            closeIt(w);
            shownAfter = w.isVisible();
            readsThen = slow.reads;
        });
        slow.reads = 0;
        start(w);
        finishScans();
        EXPECT_TRUE(shownAfter) << way;
        EXPECT_FALSE(w.isScanning()) << way;
        EXPECT_FALSE(w.isVisible()) << way;
        EXPECT_EQ(w.result(), QDialog::Rejected) << way;
        EXPECT_LE(slow.reads, readsThen + 1) << way;
        EXPECT_EQ(w.rowsFilled, 0) << way;
        EXPECT_TRUE(scriptedDialogs().texts().isEmpty()) << way;
    }
}

// Escape while the walk of the scan `start` begins runs is Abort: pressed in the grid (it goes
// on to the window) as the walk reads its folder number `atRead`, it stops the walk, and the
// window stays open listing what Abort pressed at the same moment lists, marked incomplete.
// Escape once no scan runs closes the window.
template <class Open, class Start>
void expectEscapeIsAbortDuringTheWalk(SlowPlatform& slow, Open open, Start start, int atRead) {
    const auto stoppedBy = [&](const std::function<void(ResultWindow&)>& stop) {
        ResultWindow& w = open();
        scriptedDialogs().clear();
        slow.reads = 0;
        slow.onRead = [&](int read) {
            if (read == atRead) stop(w);
        };
        start(w);
        finishScans();
        slow.onRead = nullptr;
        EXPECT_FALSE(w.isScanning());
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.listIncomplete());
        EXPECT_LE(slow.reads, atRead + 1);
        EXPECT_EQ(scriptedDialogs().texts().value(0), "LIST INCOMPLETE ... ABORTED BY USER");
        QStringList rows;
        for (int r = 0; r < w.grid->results().rowCount(); ++r)
            rows.append(w.grid->results().recordOf(r));
        return rows;
    };
    const QStringList aborted = stoppedBy(
        [](ResultWindow& w) { emit test::control<QPushButton>(w, "btAbort")->clicked(); });
    const QStringList escaped =
        stoppedBy([](ResultWindow& w) { QTest::keyClick(w.grid, Qt::Key_Escape); });
    EXPECT_FALSE(escaped.isEmpty());
    EXPECT_EQ(escaped, aborted);
    ResultWindow& w = open();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Rejected);
}

}  // namespace rk::test
