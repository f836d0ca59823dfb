#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace rk {

// Hands what worker threads make (folder listings) to the one thread that consumes them, with
// a bound on what is in flight so that workers wait instead of reading ahead without end.
//
// A worker reserves room for one item before it starts making it, and the room comes back only
// when the consumer releases the item, after it has used it. So at most limits.items items are
// being made or wait to be used at any time, and no worker starts one while the items handed
// over and not yet released hold limits.bytes or more (an item's bytes are known only once it
// is made, so each of the workers under way may add one item beyond that). The consumer may
// let one more item be started beyond the bound when it needs one that no worker has begun
// (allowOneMore), rather than make it itself and stop consuming meanwhile.
//
// The consumer is woken in batches, as waking a thread costs more than handing over a small
// item: a push wakes it when limits.wakeAfter items wait, when no worker can reserve room, or
// when no worker is at work any more (each says when it starts an item, with started()), so
// that nothing is left waiting for items that will not come.
//
// stop() ends the hand-over for good: waiting workers and consumers wake, reserve() says no
// from then on, and what is pushed after it is dropped.
template <class T>
class HandOverQueue {
public:
    struct Limits {
        std::size_t items;
        std::size_t bytes;
        std::size_t wakeAfter = 1;
    };
    struct Handed {
        T item;
        std::size_t bytes = 0;  // to give back with release()
    };
    using Clock = std::chrono::steady_clock;

    explicit HandOverQueue(Limits limits) : limits_(limits) {
        if (limits_.items == 0) limits_.items = 1;
    }

    // Worker: waits for room for one more item; false once stopped.
    bool reserve() {
        std::unique_lock lock(mutex_);
        roomChanged_.wait(lock, [&] { return stopped_ || hasRoom() || oneMore_; });
        if (stopped_) return false;
        if (!hasRoom()) oneMore_ = false;
        ++items_;
        return true;
    }
    // Consumer: lets one worker reserve room beyond the bound once (asked again before it is
    // used, it is still once).
    void allowOneMore() {
        {
            std::lock_guard lock(mutex_);
            oneMore_ = true;
        }
        roomChanged_.notify_one();
    }
    // Worker: gives back a reservation it will make no item for.
    void cancel() { release(0); }
    // Worker: starts making the item of its reservation, which it will push.
    void started() {
        std::lock_guard lock(mutex_);
        ++atWork_;
    }
    // Worker: hands over the item made under a reservation (after started()).
    void push(T item, std::size_t bytes) {
        bool wake = false;
        {
            std::lock_guard lock(mutex_);
            if (atWork_ > 0) --atWork_;
            if (stopped_) {
                --items_;
                return;
            }
            bytes_ += bytes;
            ready_.push_back(Handed{std::move(item), bytes});
            wake = atWork_ == 0 || ready_.size() >= limits_.wakeAfter || !hasRoom();
        }
        if (wake) arrived_.notify_one();
    }

    // Consumer: the next item handed over, if any is there now.
    std::optional<Handed> tryPop() {
        std::lock_guard lock(mutex_);
        return takeFront();
    }
    // Consumer: the next item, waiting for one until the deadline or a stop.
    std::optional<Handed> popUntil(Clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        arrived_.wait_until(lock, deadline, [&] { return stopped_ || !ready_.empty(); });
        return takeFront();
    }
    // Consumer: done with an item of this many bytes; its room goes back to the workers.
    void release(std::size_t bytes) {
        {
            std::lock_guard lock(mutex_);
            --items_;
            bytes_ -= bytes;
        }
        roomChanged_.notify_all();  // bytes given back may make room for more than one
    }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
            ready_.clear();
        }
        roomChanged_.notify_all();
        arrived_.notify_all();
    }

    [[nodiscard]] bool stopped() const {
        std::lock_guard lock(mutex_);
        return stopped_;
    }
    // True when no worker can reserve room until the consumer releases something.
    [[nodiscard]] bool full() const {
        std::lock_guard lock(mutex_);
        return !hasRoom();
    }
    [[nodiscard]] std::size_t itemsInFlight() const {
        std::lock_guard lock(mutex_);
        return items_;
    }
    [[nodiscard]] std::size_t bytesInFlight() const {
        std::lock_guard lock(mutex_);
        return bytes_;
    }

private:
    bool hasRoom() const { return items_ < limits_.items && bytes_ < limits_.bytes; }
    std::optional<Handed> takeFront() {
        if (ready_.empty()) return std::nullopt;
        Handed h = std::move(ready_.front());
        ready_.pop_front();
        return h;
    }

    Limits limits_;
    mutable std::mutex mutex_;
    std::condition_variable roomChanged_;  // workers wait on it for room
    std::condition_variable arrived_;      // the consumer waits on it for items
    std::deque<Handed> ready_;
    std::size_t items_ = 0;   // reserved and not yet released
    std::size_t bytes_ = 0;   // of the items handed over and not yet released
    std::size_t atWork_ = 0;  // items started and not yet pushed
    bool oneMore_ = false;    // a reservation beyond the bound is allowed
    bool stopped_ = false;
};

}  // namespace rk
