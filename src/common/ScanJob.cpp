#include "common/ScanJob.h"

#include <utility>

#include "common/Messages.h"

namespace rk {

namespace {
thread_local ScanJob* current = nullptr;  // whose work is on the call stack, innermost
thread_local int underWay = 0;
}  // namespace

ScanJob::ScanJob() : pump_(nullptr) {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] { slice(); });
}

ScanJob::~ScanJob() {
    discard();
}

bool ScanJob::start(std::function<void()> work, std::function<void()> finished) {
    if (fiber_) return false;
    discarding_ = false;
    finished_ = std::move(finished);
    fiber_ = std::make_unique<Fiber>([this, work = std::move(work)] {
        try {
            work();
        } catch (const Discarded&) {
        }
    });
    ++underWay;
    pump_ = EventPump(
        [this] {
            Fiber::yield();
            if (discarding_) throw Discarded{};
        },
        sliceMs);
    slice();
    return true;
}

void ScanJob::slice() {
    if (!fiber_ || fiber_->active()) return;
    timer_.stop();
    ScanJob* outer = std::exchange(current, this);
    bool ended = true;
    std::exception_ptr error;
    try {
        ended = fiber_->resume();
    } catch (...) {
        error = std::current_exception();
    }
    current = outer;
    if (!ended) {
        timer_.start();
        return;
    }
    end();
    if (error) ShowGeneralError(error);
}

void ScanJob::end() {
    fiber_.reset();
    --underWay;
    if (auto finished = std::exchange(finished_, nullptr)) finished();
}

void ScanJob::discard() {
    if (!fiber_) return;
    discarding_ = true;
    if (fiber_->active()) return;  // the work sees it at its next poll
    timer_.stop();
    finished_ = nullptr;
    ScanJob* outer = std::exchange(current, this);
    try {
        // Unwinding may poll again; each poll throws anew until the work has ended.
        while (!fiber_->resume()) {
        }
    } catch (...) {
        // What a discarded job threw on its way out concerns nobody now.
    }
    current = outer;
    end();
}

EventPump& ScanJob::pump() {
    static thread_local EventPump idle(nullptr);
    return current ? current->pump_ : idle;
}

int ScanJob::runningCount() {
    return underWay;
}

}  // namespace rk
