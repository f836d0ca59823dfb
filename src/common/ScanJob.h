#pragma once

#include <QTimer>
#include <functional>
#include <memory>

#include "common/Fiber.h"
#include "common/FolderWalk.h"

namespace rk {

// A scan run as a job of the user-interface thread, so no window ever runs a loop of its own
// inside a handler. The handler starts the job and returns after its first slice; the job's
// work (the walk, the sort, the rows going into the grid) runs on a stack of its own and gives
// the thread back at its pump's polls once about 10 ms have passed; a zero timer takes it up
// again at the next turn of whatever event loop runs — the window's, a modal tool window's, a
// message box's. So Abort, Escape, Close and the close box are ordinary events that set the
// scan's abort flag, one window's job goes on while another window is modal, and two windows'
// jobs take turns. Everything the work keeps stays on this thread and needs no locks.
//
// An error leaving the work ends the job and goes to the general error box, as an error of
// any handler does.
class ScanJob {
public:
    ScanJob();
    // A job still under way is discarded. Not from inside the job's own work: its stack is
    // the one running then (no window deletes itself from within its scan).
    ~ScanJob();
    ScanJob(const ScanJob&) = delete;
    ScanJob& operator=(const ScanJob&) = delete;

    // Starts `work` unless a job runs already (false then). `finished` runs once the work has
    // ended, whether it returned or threw (not when it is discarded).
    bool start(std::function<void()> work, std::function<void()> finished = {});
    [[nodiscard]] bool running() const { return fiber_ != nullptr; }
    // Ends a job under way at once: its work unwinds from the poll it waits at, so its
    // destructors run and what it held (listings, records, folder handles) is freed. From
    // inside the work itself it is only asked for, and happens at its next poll.
    void discard();

    // The pump the work of the job running now polls; outside a job, one that never gives the
    // thread back (a report, or a test calling a scan directly).
    [[nodiscard]] static EventPump& pump();
    // Jobs started and not yet ended on this thread.
    [[nodiscard]] static int runningCount();

    // How long a slice may run before the work gives the thread back.
    static constexpr int sliceMs = 10;

private:
    struct Discarded {};
    void slice();
    void end();

    std::unique_ptr<Fiber> fiber_;
    std::function<void()> finished_;
    EventPump pump_;
    QTimer timer_;
    bool discarding_ = false;
};

}  // namespace rk
