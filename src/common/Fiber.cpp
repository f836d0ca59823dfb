#include "common/Fiber.h"

#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <new>
#include <stdexcept>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#define RK_FIBER_ASAN 1
#endif
#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#define RK_FIBER_TSAN 1
#endif

namespace rk {

namespace {
thread_local Fiber* running = nullptr;
}

struct Fiber::Impl {
    std::function<void()> body;
    void* stack = nullptr;  // the mapping, a guard page at its low end
    std::size_t stackBytes = 0;
    ucontext_t own{};
    ucontext_t resumer{};
    Fiber* outer = nullptr;  // the fiber that resumed this one, if any
    bool ended = false;
    bool active = false;
    std::exception_ptr error;
#ifdef RK_FIBER_ASAN
    void* fakeStack = nullptr;            // the resumer's, kept while this one runs
    const void* resumerBottom = nullptr;  // the resumer's stack, as the checker knows it
    std::size_t resumerSize = 0;
#endif
#ifdef RK_FIBER_TSAN
    void* tsanOwn = nullptr;
    void* tsanResumer = nullptr;
#endif

    static void entry();
    void switchOut(bool ending);
};

void Fiber::Impl::entry() {
    Impl& d = *running->d_;
#ifdef RK_FIBER_ASAN
    __sanitizer_finish_switch_fiber(nullptr, &d.resumerBottom, &d.resumerSize);
#endif
    try {
        d.body();
    } catch (...) {
        d.error = std::current_exception();
    }
    d.ended = true;
    d.switchOut(true);
}

// Back to the resumer; returns when resumed again (never when ending).
void Fiber::Impl::switchOut([[maybe_unused]] bool ending) {
#ifdef RK_FIBER_ASAN
    void* fake = nullptr;
    __sanitizer_start_switch_fiber(ending ? nullptr : &fake, resumerBottom, resumerSize);
#endif
#ifdef RK_FIBER_TSAN
    __tsan_switch_to_fiber(tsanResumer, 0);
#endif
    swapcontext(&own, &resumer);
#ifdef RK_FIBER_ASAN
    __sanitizer_finish_switch_fiber(fake, &resumerBottom, &resumerSize);
#endif
}

Fiber::Fiber(std::function<void()> body, std::size_t stackBytes) : d_(std::make_unique<Impl>()) {
    d_->body = std::move(body);
    const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
    d_->stackBytes = (stackBytes + page - 1) / page * page + page;
    // Pages are taken only as the stack grows into them; the lowest is a guard.
    d_->stack = ::mmap(nullptr, d_->stackBytes, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
    if (d_->stack == MAP_FAILED) throw std::bad_alloc();
    ::mprotect(d_->stack, page, PROT_NONE);
    getcontext(&d_->own);
    d_->own.uc_stack.ss_sp = static_cast<char*>(d_->stack) + page;
    d_->own.uc_stack.ss_size = d_->stackBytes - page;
    d_->own.uc_link = nullptr;
    makecontext(&d_->own, &Impl::entry, 0);
#ifdef RK_FIBER_TSAN
    d_->tsanOwn = __tsan_create_fiber(0);
#endif
}

Fiber::~Fiber() {
#ifdef RK_FIBER_TSAN
    __tsan_destroy_fiber(d_->tsanOwn);
#endif
    ::munmap(d_->stack, d_->stackBytes);
}

bool Fiber::resume() {
    Impl& d = *d_;
    if (d.ended) return true;
    if (d.active) throw std::logic_error("a fiber resumed from inside itself");
    d.active = true;
    d.outer = running;
    running = this;
#ifdef RK_FIBER_ASAN
    __sanitizer_start_switch_fiber(&d.fakeStack, d.own.uc_stack.ss_sp, d.own.uc_stack.ss_size);
#endif
#ifdef RK_FIBER_TSAN
    d.tsanResumer = __tsan_get_current_fiber();
    __tsan_switch_to_fiber(d.tsanOwn, 0);
#endif
    swapcontext(&d.resumer, &d.own);
#ifdef RK_FIBER_ASAN
    __sanitizer_finish_switch_fiber(d.fakeStack, nullptr, nullptr);
#endif
    running = d.outer;
    d.active = false;
    if (d.ended && d.error) std::rethrow_exception(std::exchange(d.error, nullptr));
    return d.ended;
}

bool Fiber::ended() const {
    return d_->ended;
}

bool Fiber::active() const {
    return d_->active;
}

void Fiber::yield() {
    if (running) running->d_->switchOut(false);
}

Fiber* Fiber::current() {
    return running;
}

}  // namespace rk
