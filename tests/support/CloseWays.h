#pragma once

#include <QTest>
#include <functional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QTimer>

#include "ScriptedDialogs.h"
#include "SlowPlatform.h"
#include "ui/ResultWindow.h"

namespace rk::test {

// The ways a user closes a result window: Escape, its Close button (pressed by its shortcut
// or before it was disabled), and the title bar's close box.
inline std::vector<std::pair<const char*, std::function<void(ResultWindow&)>>> closeWays() {
    return {{"Escape", [](ResultWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
            {"Close", [](ResultWindow& w) { emit w.btClose->clicked(); }},
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
        EXPECT_TRUE(shownAfter) << way;
        EXPECT_FALSE(w.isScanning()) << way;
        EXPECT_FALSE(w.isVisible()) << way;
        EXPECT_EQ(w.result(), QDialog::Rejected) << way;
        EXPECT_LE(slow.reads, readsThen + 1) << way;
        EXPECT_EQ(w.rowsFilled, 0) << way;
        EXPECT_TRUE(scriptedDialogs().texts().isEmpty()) << way;
    }
}

}  // namespace rk::test
