#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace rk {

// A list of items worked on by a pool of worker threads, their results taken on the calling
// thread one by one in the list's order, whatever order the workers finish them in.
//
// Workers take the items in order. No worker starts item i before the result of item
// i - limits.items has been taken, and none starts one while the results done and not yet taken
// hold limits.bytes or more (as told by bytesOf; each worker under way may add one more beyond
// that). So at most limits.items items are being worked on or wait to be taken at any time.
//
// The calling thread, once it has caught up with the workers, sleeps until a run of results is
// there (a quarter of limits.items) or the workers can start no more, not for every result;
// likewise workers that wait for room wake once a run of items may start.
//
// With no threads the calling thread works on each item as next() asks for it: work is then
// called with worker -1. stop() makes stopping() true for the work under way, which should end
// at its next check, and no worker starts another item; the destructor stops and waits.
struct WorkLimits {
    std::size_t items;
    std::size_t bytes;
};

template <class Result>
class OrderedWork {
public:
    using Limits = WorkLimits;
    using Clock = std::chrono::steady_clock;
    // Item i's result, worked out by worker number 0 to threads - 1 (-1: the calling thread).
    using Work = std::function<Result(std::size_t item, int worker)>;

    OrderedWork(int threads, std::size_t count, Limits limits, Work work,
                std::function<std::size_t(const Result&)> bytesOf = {})
        : count_(count),
          limits_{std::max<std::size_t>(limits.items, 1), limits.bytes},
          work_(std::move(work)),
          bytesOf_(std::move(bytesOf)),
          batch_(std::max<std::size_t>(limits_.items / 4, 1)),
          slots_(threads > 0 ? limits_.items : 0) {
        const std::size_t workers = std::min(std::size_t(std::max(threads, 0)), count);
        running_ = workers;
        for (std::size_t w = 0; w < workers; ++w)
            workers_.emplace_back([this, w] { serve(int(w)); });
    }
    ~OrderedWork() {
        stop();
        for (std::thread& t : workers_)
            t.join();
    }
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    [[nodiscard]] bool done() const { return taken_ == count_; }
    [[nodiscard]] bool stopping() const { return stop_.load(std::memory_order_relaxed); }

    // The result of the next item in order, once it is there; nothing when it is not there by
    // the deadline, after stop(), or when every item has been taken.
    std::optional<Result> next(Clock::time_point deadline) {
        if (done() || stopping()) return std::nullopt;
        if (workers_.empty()) return work_(taken_++, -1);
        std::unique_lock lock(mutex_);
        std::optional<Result>& slot = slots_[taken_ % slots_.size()];
        if (!slot) {
            waiting_ = true;
            arrived_.wait_until(lock, deadline, [&] { return stopping() || slot.has_value(); });
            waiting_ = false;
        }
        if (stopping() || !slot) return std::nullopt;
        std::optional<Result> result = std::move(slot);
        slot.reset();
        ++taken_;
        if (bytesOf_) bytes_ -= bytesOf_(*result);
        const bool room = roomForRun();
        lock.unlock();
        if (room) room_.notify_all();
        return result;
    }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stop_.store(true, std::memory_order_relaxed);
        }
        room_.notify_all();
        arrived_.notify_all();
    }
    // After stop(): whether every worker has ended, waiting for it until the deadline.
    bool stopped(Clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        return ended_.wait_until(lock, deadline, [&] { return running_ == 0; });
    }

private:
    // Whether a worker may start the next item now.
    bool mayStart() const {
        return !stopping() && started_ < count_ && started_ < taken_ + limits_.items &&
               bytes_ < limits_.bytes;
    }
    // Whether workers that wait for room are woken: only once a run of items may start (or
    // the bytes in hand are down to half), so that they do not wake for every result taken.
    bool roomForRun() const {
        return (started_ + batch_ <= taken_ + limits_.items && bytes_ <= limits_.bytes / 2) ||
               started_ == taken_;
    }
    // Wakes the calling thread if it waits and a run of results is there, or (stalled) the
    // workers can start nothing more until it takes some.
    void tell(bool stalled) {
        if (!waiting_) return;
        std::size_t ready = 0;
        while (ready < batch_ && taken_ + ready < started_ &&
               slots_[(taken_ + ready) % slots_.size()].has_value())
            ++ready;
        if (ready == batch_ || (stalled && ready > 0) || stopping()) arrived_.notify_one();
    }

    void serve(int worker) {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (!mayStart()) {
                tell(true);
                room_.wait(lock, [&] { return stopping() || started_ == count_ || mayStart(); });
            }
            if (stopping() || started_ == count_) break;
            const std::size_t item = started_++;
            lock.unlock();
            Result result = work_(item, worker);
            lock.lock();
            if (bytesOf_) bytes_ += bytesOf_(result);
            slots_[item % slots_.size()] = std::move(result);
            tell(!mayStart());
        }
        --running_;
        if (waiting_) arrived_.notify_one();  // the last results, whatever their number
        ended_.notify_all();
    }

    const std::size_t count_;
    const Limits limits_;
    const Work work_;
    const std::function<std::size_t(const Result&)> bytesOf_;
    const std::size_t batch_;
    std::mutex mutex_;
    std::condition_variable room_;     // workers wait on it for an item they may start
    std::condition_variable arrived_;  // the calling thread waits on it for the next result
    std::condition_variable ended_;
    std::vector<std::optional<Result>> slots_;  // item i's result at i % items until taken
    std::atomic<bool> stop_{false};
    std::size_t started_ = 0;
    std::size_t taken_ = 0;
    std::size_t bytes_ = 0;  // of the results done and not yet taken
    std::size_t running_ = 0;
    bool waiting_ = false;  // the calling thread waits for the result of item taken_
    std::vector<std::thread> workers_;
};

}  // namespace rk
