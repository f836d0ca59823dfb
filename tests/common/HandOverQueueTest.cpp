#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "common/HandOverQueue.h"

namespace rk {
namespace {

using Queue = HandOverQueue<int>;
const auto farAway = [] { return Queue::Clock::now() + std::chrono::hours(1); };

TEST(HandOverQueue, RoomIsBoundedByItemsAndBytesAndComesBackOnRelease) {
    Queue q({2, 100});
    ASSERT_TRUE(q.reserve());
    ASSERT_TRUE(q.reserve());
    EXPECT_TRUE(q.full());
    q.push(1, 10);
    q.push(2, 10);
    auto first = q.tryPop();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->item, 1);
    // Popping is not releasing: the room comes back only when the consumer is done.
    EXPECT_TRUE(q.full());
    q.release(first->bytes);
    EXPECT_FALSE(q.full());

    // One big item fills the bytes although an item's room is left.
    ASSERT_TRUE(q.reserve());
    q.push(3, 100);
    EXPECT_EQ(q.itemsInFlight(), 2u);
    EXPECT_TRUE(q.full());
    // A worker waiting for room goes on once the consumer releases an item.
    std::thread worker([&] {
        if (q.reserve()) q.push(4, 1);
    });
    auto second = q.tryPop();
    auto third = q.tryPop();
    ASSERT_TRUE(second && third);
    q.release(third->bytes);
    auto fourth = q.popUntil(farAway());
    worker.join();
    ASSERT_TRUE(fourth);
    EXPECT_EQ(fourth->item, 4);
    // A reservation given back without an item frees its room too.
    q.release(second->bytes);
    q.release(fourth->bytes);
    ASSERT_TRUE(q.reserve());
    ASSERT_TRUE(q.reserve());
    q.cancel();
    EXPECT_EQ(q.itemsInFlight(), 1u);
    EXPECT_EQ(q.bytesInFlight(), 0u);
}

TEST(HandOverQueue, OneMoreGoesBeyondTheBoundOnceForTheConsumer) {
    // The consumer needs an item no worker has begun while the room is taken by items it needs
    // later: one worker waiting for room goes on, once, however often it is asked.
    Queue q({1, 100});
    ASSERT_TRUE(q.reserve());
    q.allowOneMore();
    q.allowOneMore();
    std::atomic<int> reserved = 0;
    std::thread first([&] {
        if (q.reserve()) ++reserved;
    });
    std::thread second([&] {
        if (q.reserve()) ++reserved;
    });
    while (reserved.load() == 0)
        std::this_thread::yield();
    EXPECT_EQ(q.itemsInFlight(), 2u);
    EXPECT_TRUE(q.full());
    // The other waits for room as before, and stops with the queue.
    q.stop();
    first.join();
    second.join();
    EXPECT_EQ(reserved.load(), 1);
}

TEST(HandOverQueue, StopWakesWaitingWorkersAndConsumerAndDropsLaterItems) {
    Queue q({1, 100});
    ASSERT_TRUE(q.reserve());
    std::atomic<int> refused = 0;
    std::vector<std::thread> workers;
    for (int i = 0; i < 3; ++i)
        workers.emplace_back([&] {
            if (!q.reserve()) ++refused;
        });
    std::thread consumer([&] { EXPECT_FALSE(q.popUntil(farAway())); });
    q.stop();
    for (std::thread& w : workers)
        w.join();
    consumer.join();
    EXPECT_EQ(refused, 3);
    q.push(1, 5);  // made under the reservation from before the stop
    EXPECT_FALSE(q.tryPop());
    EXPECT_FALSE(q.reserve());
    EXPECT_TRUE(q.stopped());
}

TEST(HandOverQueue, ManyWorkersHandEverythingOverOnceInOrderWithinBounds) {
    constexpr int workers = 4;
    constexpr int perWorker = 2000;
    constexpr std::size_t limit = 8;
    Queue q({limit, 1000});
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&q, w] {
            for (int i = 0; i < perWorker; ++i) {
                if (!q.reserve()) return;
                q.push(w * perWorker + i, std::size_t(i % 7));
            }
        });
    std::vector<int> next(workers, 0);
    std::size_t mostInFlight = 0;
    bool inOrder = true;
    for (int received = 0; received < workers * perWorker; ++received) {
        auto h = q.popUntil(farAway());
        ASSERT_TRUE(h);
        mostInFlight = std::max(mostInFlight, q.itemsInFlight());
        const int w = h->item / perWorker;
        inOrder &= h->item % perWorker == next[w]++;
        q.release(h->bytes);
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_TRUE(inOrder);
    EXPECT_LE(mostInFlight, limit);
    EXPECT_EQ(q.itemsInFlight(), 0u);
    EXPECT_EQ(q.bytesInFlight(), 0u);
    EXPECT_FALSE(q.tryPop());
}

// Woken in batches, the consumer still gets every item: the last worker at work wakes it for a
// batch that is not whole, also when the workers finish at different times.
TEST(HandOverQueue, BatchedWakingLeavesNoItemWaiting) {
    constexpr int workers = 3;
    Queue q({16, 1000, 5});
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&q, w] {
            for (int i = 0; i < 301 * (w + 1); ++i) {
                if (!q.reserve()) return;
                q.started();
                q.push(i, 1);
            }
        });
    for (int received = 0; received < 301 * 6; ++received) {
        auto h = q.popUntil(farAway());
        ASSERT_TRUE(h);
        q.release(h->bytes);
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(q.itemsInFlight(), 0u);
}

}  // namespace
}  // namespace rk
