#include <gtest/gtest.h>

#include <QTimer>
#include <memory>
#include <vector>

#include "Jobs.h"
#include "ScriptedDialogs.h"
#include "common/Errors.h"
#include "common/ScanJob.h"

namespace rk {
namespace {

using test::finishScans;
using test::scriptedDialogs;

// Gives the thread back until `done` holds: a long job that needs events to end.
void sliceUntil(const bool& done) {
    while (!done)
        ScanJob::pump().pump();
}

TEST(ScanJob, TheHandlerReturnsWhileTheWorkWaitsForEventsAndJobsTakeTurns) {
    // Each job waits for what only the other's slices or a later event do: with a loop nested
    // in a handler, the first would never see the second move.
    bool eventSeen = false;
    bool firstHalfway = false;
    bool secondDone = false;
    std::vector<int> order;
    ScanJob first;
    ScanJob second;
    QTimer::singleShot(0, [&] { eventSeen = true; });
    first.start([&] {
        order.push_back(1);
        sliceUntil(eventSeen);
        firstHalfway = true;
        sliceUntil(secondDone);
        order.push_back(1);
    });
    EXPECT_TRUE(first.running());
    EXPECT_FALSE(eventSeen);
    second.start([&] {
        order.push_back(2);
        sliceUntil(firstHalfway);
        secondDone = true;
        order.push_back(2);
    });
    EXPECT_EQ(ScanJob::runningCount(), 2);
    finishScans();
    EXPECT_EQ(order, std::vector<int>({1, 2, 2, 1}));
    EXPECT_FALSE(first.running());
    // Outside a job the pump never gives the thread back.
    ScanJob::pump().pump();
}

TEST(ScanJob, AJobStartedFromInsideAnotherRunsBesideIt) {
    ScanJob outer;
    ScanJob inner;
    bool innerDone = false;
    int finished = 0;
    outer.start(
        [&] {
            inner.start([&] { innerDone = true; }, [&] { ++finished; });
            sliceUntil(innerDone);
        },
        [&] { ++finished; });
    finishScans();
    EXPECT_TRUE(innerDone);
    EXPECT_EQ(finished, 2);
}

TEST(ScanJob, ADiscardedJobUnwindsAndFreesWhatItHeld) {
    auto held = std::make_shared<int>(0);
    std::weak_ptr<int> watch = held;
    bool finished = false;
    bool pastThePoll = false;
    {
        ScanJob job;
        job.start(
            [&, held = std::move(held)] {
                std::vector<std::shared_ptr<int>> listing(1000, held);
                const bool never = false;
                sliceUntil(never);
                pastThePoll = true;
            },
            [&] { finished = true; });
        EXPECT_FALSE(watch.expired());
        EXPECT_EQ(ScanJob::runningCount(), 1);
        job.discard();
        EXPECT_FALSE(job.running());
        // Discarding it again, or its destruction, does nothing more.
    }
    EXPECT_TRUE(watch.expired());
    EXPECT_FALSE(pastThePoll);
    EXPECT_FALSE(finished);
    EXPECT_EQ(ScanJob::runningCount(), 0);

    // Asked from inside the work, it ends at the next poll.
    ScanJob job;
    job.start([&] {
        job.discard();
        ScanJob::pump().pump();
        pastThePoll = true;
    });
    finishScans();
    EXPECT_FALSE(pastThePoll);
}

TEST(ScanJob, AnErrorEndsTheJobAndGoesToTheErrorBox) {
    scriptedDialogs().clear();
    ScanJob job;
    bool finished = false;
    job.start(
        [] {
            ScanJob::pump().pump();
            throw Error(QStringLiteral("Can't read /x"));
        },
        [&] { finished = true; });
    finishScans();
    EXPECT_TRUE(finished);
    EXPECT_EQ(scriptedDialogs().texts(), QStringList({"Can't read /x."}));
    // The job can run again.
    EXPECT_TRUE(job.start([] {}));
    EXPECT_FALSE(job.running());
}

}  // namespace
}  // namespace rk
