#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>

namespace rk {

// A stack of its own on the calling thread: resume() runs the body until it calls yield() or
// ends, and yield() goes back to whoever resumed it. Nothing runs at the same time as anything
// else, so what the body touches needs no locks; it is how a long job gives the thread back to
// the event loop without a nested loop.
//
// The body may resume other fibers (each goes back to its own resumer). An exception leaving
// the body ends the fiber and is thrown again from the resume() that saw it. A fiber is not
// destroyed half run unless nothing it holds needs its destructors: ScanJob unwinds it first.
class Fiber {
public:
    explicit Fiber(std::function<void()> body, std::size_t stackBytes = std::size_t(8) << 20);
    ~Fiber();
    Fiber(const Fiber&) = delete;
    Fiber& operator=(const Fiber&) = delete;

    // Runs the body to its next yield or its end; true once it has ended. Not callable while
    // the fiber is itself on the call stack.
    bool resume();
    [[nodiscard]] bool ended() const;
    // The body is on the call stack now (running, or resuming something else).
    [[nodiscard]] bool active() const;

    // Back to the resumer of the fiber running now; outside any fiber it does nothing.
    static void yield();
    [[nodiscard]] static Fiber* current();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace rk
