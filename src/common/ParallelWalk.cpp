#include "common/ParallelWalk.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

#include "common/Errors.h"
#include "common/HandOverQueue.h"
#include "common/WalkRules.h"

namespace rk {

namespace {

using Clock = std::chrono::steady_clock;

// Paths at least this long are not handed to the system in one piece (PATH_MAX is 4096).
constexpr qsizetype longestOpenedPath = 4000;

// A folder the walk has met, as its sub-folders need it. Its ancestors live as long as it does,
// so a worker can build its path or open it again from above.
struct FolderRef {
    std::shared_ptr<FolderRef> parent;  // null for the walk's root
    QByteArray name;                    // the root's whole path
    // Set by the thread that reads the folder, before its sub-folders are published.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t room = 0;  // the folder's own blocks
    // Guarded by the reader's mutex: the folder's descriptor while sub-folders are still to be
    // opened from it, and how many are.
    std::shared_ptr<FolderHandle> handle;
    std::size_t unopened = 0;
};

enum class Outcome { Listed, OpenFailed, ReadFailed, OtherMount, OtherRoot, ReopenFailed };

// One folder to read: written by the thread that reads it, then handed to the walk.
struct Task {
    enum class State { Waiting, Taken };

    std::shared_ptr<FolderRef> ref;
    QByteArray path;  // the folder's whole path, until it has been read
    Outcome outcome = Outcome::Listed;
    int error = 0;
    std::vector<SearchRecord> entries;
    std::vector<std::shared_ptr<Task>> subFolders;  // those the walk goes into, in listing order
    State state = State::Waiting;                   // guarded by the reader's mutex
    // The walk's own: whether the listing is here, and the room it holds in the queue.
    bool arrived = false;
    bool queued = false;
    std::size_t bytes = 0;
};

using TaskPtr = std::shared_ptr<Task>;

// What a read listing holds on to, for the look-ahead's byte bound.
std::size_t footprint(const Task& t) {
    std::size_t bytes = sizeof(Task) + t.entries.size() * sizeof(SearchRecord) +
                        t.subFolders.size() * (sizeof(Task) + sizeof(FolderRef) + 64);
    for (const SearchRecord& e : t.entries)
        bytes += std::size_t(e.name.size());
    return bytes;
}

// One folder on the walk's current path, as FolderWalk keeps it.
struct Frame {
    std::shared_ptr<FolderRef> ref;  // held here so that a deep chain is let go level by level
    std::vector<SearchRecord> entries;
    std::vector<TaskPtr> subFolders;
    std::size_t next = 0;
    qsizetype pathLength = 0;
    bool isDriveRoot = false;
    bool isEmpty = false;
};

}  // namespace

struct ParallelWalk::Impl {
    Impl(const Platform& p, WalkSink& s, const ReaderSettings& r)
        : platform(p),
          sink(s),
          reader(r),
          queue({r.maxFolders, r.maxBytes, std::clamp<std::size_t>(r.maxFolders / 4, 1, 32)}) {}

    enum class Phase { Idle, Starting, Running, Done };

    const Platform& platform;
    WalkSink& sink;
    ReaderSettings reader;
    WalkSettings settings;
    std::vector<FolderKey> otherRoots;
    QByteArray root;
    bool rootIsDrive = false;
    WalkBounds bounds;  // set from the root before the workers start

    // Shared with the workers.
    HandOverQueue<TaskPtr> queue;
    std::mutex mutex;  // guards what follows, the tasks' states and the refs' descriptors
    std::condition_variable work;
    std::vector<TaskPtr> waiting;  // taken from the back: the sink's next folders come last
    TaskPtr urgent;                // the folder the walk waits for, taken before all others
    bool stopping = false;
    int kept = 0;
    std::vector<std::thread> workers;
    std::atomic<bool> stopRequested{false};

    // The walk's own, on the pumping thread.
    Phase phase = Phase::Idle;
    std::vector<Frame> stack;
    QByteArray path;
    WalkResult result;

    // --- reading, on any thread ---

    // Reads the folder open at handle into t and makes the tasks of its sub-folders.
    void list(Task& t, FolderHandle handle, bool driveRoot) {
        FolderRef& ref = *t.ref;
        ref.device = handle.device;
        ref.inode = handle.inode;
        ref.room = handle.room;
        if (const int err = platform.readFolder(handle, driveRoot, t.entries)) {
            t.outcome = Outcome::ReadFailed;
            t.error = err;
            return;
        }
        for (const SearchRecord& e : t.entries) {
            if (!bounds.entersSubFolder(e)) continue;
            auto sub = std::make_shared<Task>();
            sub->ref = std::make_shared<FolderRef>();
            sub->ref->parent = t.ref;
            // Copies of their own, not shares of the listing's: the listing goes to the walk's
            // thread, and text shared between threads is freed wherever it is let go last.
            sub->ref->name = QByteArray(e.name.constData(), e.name.size());
            sub->path.reserve(t.path.size() + 1 + e.name.size());
            sub->path.append(t.path);
            if (!sub->path.endsWith('/')) sub->path.append('/');
            sub->path.append(e.name);
            t.subFolders.push_back(std::move(sub));
        }
        if (t.subFolders.empty()) return;
        std::lock_guard lock(mutex);
        ref.unopened = t.subFolders.size();
        if (kept < reader.maxKeptFolders) {
            ref.handle = std::make_shared<FolderHandle>(std::move(handle));
            ++kept;
        }
    }

    // One more sub-folder of ref has been opened (or tried); its descriptor goes with the last.
    void openedOne(FolderRef& ref) {
        std::shared_ptr<FolderHandle> done;
        std::lock_guard lock(mutex);
        if (--ref.unopened == 0 && ref.handle) {
            done = std::move(ref.handle);
            --kept;
        }
    }

    std::shared_ptr<FolderHandle> keptHandle(const FolderRef& ref) {
        std::lock_guard lock(mutex);
        return ref.handle;
    }

    // The path of ref's parent, from ref's own.
    static QByteArray parentPath(const QByteArray& path, const FolderRef& ref) {
        const FolderRef& parent = *ref.parent;
        const bool joined = parent.parent || !parent.name.endsWith('/');
        return path.left(path.size() - ref.name.size() - (joined ? 1 : 0));
    }

    static bool isFolder(const FolderHandle& h, const FolderRef& ref) {
        return h.device == ref.device && h.inode == ref.inode;
    }

    // The descriptor of the folder t lies in: the kept one, or the folder opened again and checked
    // to be the one read (as FolderWalk checks ".." on its way up). By path where the system takes
    // it in one piece, else one name at a time down from the nearest folder above that can be.
    std::shared_ptr<FolderHandle> parentHandleOf(const Task& t, int& error) {
        const FolderRef& ref = *t.ref->parent;
        std::shared_ptr<FolderHandle> base = keptHandle(ref);
        if (base) return base;
        QByteArray atPath = parentPath(t.path, *t.ref);
        std::vector<const FolderRef*> down;
        const FolderRef* at = &ref;
        for (;;) {
            if (at != &ref && (base = keptHandle(*at))) break;
            if (atPath.size() < longestOpenedPath || !at->parent) {
                OpenedFolder o = platform.openFolder(atPath);
                if (!o.handle.isOpen()) {
                    error = o.error;
                    return nullptr;
                }
                if (!isFolder(o.handle, *at)) {
                    error = ESTALE;
                    return nullptr;
                }
                base = std::make_shared<FolderHandle>(std::move(o.handle));
                break;
            }
            down.push_back(at);
            atPath = parentPath(atPath, *at);
            at = at->parent.get();
        }
        for (auto it = down.rbegin(); it != down.rend(); ++it) {
            OpenedFolder o = platform.openSubFolder(*base, (*it)->name, QByteArray());
            if (!o.handle.isOpen() || !isFolder(o.handle, **it)) {
                error = o.handle.isOpen() ? ESTALE : o.error;
                return nullptr;
            }
            base = std::make_shared<FolderHandle>(std::move(o.handle));
        }
        return base;
    }

    // Opens and reads the folder of a sub-folder task, relative to its parent.
    void read(Task& t) {
        FolderRef& parent = *t.ref->parent;
        int error = 0;
        OpenedFolder opened;
        std::shared_ptr<FolderHandle> from = parentHandleOf(t, error);
        const bool reached = from != nullptr;
        if (reached) opened = platform.openSubFolder(*from, t.ref->name, t.path);
        from.reset();
        openedOne(parent);
        if (!reached) {
            t.outcome = Outcome::ReopenFailed;
            t.error = error;
        } else if (!opened.handle.isOpen()) {
            t.outcome = Outcome::OpenFailed;
            t.error = opened.error;
        } else if (bounds.onOtherMount(opened.handle)) {
            t.outcome = Outcome::OtherMount;  // a mount point, or mounted on since
        } else if (isOtherRoot(otherRoots, opened.handle)) {
            t.outcome = Outcome::OtherRoot;
        } else {
            list(t, std::move(opened.handle), false);
        }
        t.path = QByteArray();
    }

    // The same, never throwing: a worker has no one to throw to, so a failure such as a lack of
    // memory becomes the folder's error and ends the walk when the walk reaches it.
    void readCaught(Task& t) {
        try {
            read(t);
        } catch (const std::bad_alloc&) {
            t.outcome = Outcome::ReadFailed;
            t.error = ENOMEM;
        } catch (...) {
            t.outcome = Outcome::ReadFailed;
            t.error = EIO;
        }
    }

    void publish(const std::vector<TaskPtr>& subs) {
        if (subs.empty() || workers.empty()) return;
        {
            std::lock_guard lock(mutex);
            waiting.insert(waiting.end(), subs.rbegin(), subs.rend());
        }
        work.notify_all();
    }

    TaskPtr take() {
        std::unique_lock lock(mutex);
        for (;;) {
            if (stopping) return nullptr;
            if (urgent) {
                TaskPtr t = std::move(urgent);
                urgent.reset();
                if (t->state == Task::State::Waiting) {
                    t->state = Task::State::Taken;
                    return t;
                }
            }
            while (!waiting.empty()) {
                TaskPtr t = std::move(waiting.back());
                waiting.pop_back();
                if (t->state == Task::State::Waiting) {
                    t->state = Task::State::Taken;
                    return t;
                }
            }
            work.wait(lock);
        }
    }

    void workerLoop() {
        while (queue.reserve()) {
            TaskPtr t = take();
            if (!t) {
                queue.cancel();
                return;
            }
            queue.started();
            readCaught(*t);
            publish(t->subFolders);
            const std::size_t bytes = footprint(*t);
            queue.push(std::move(t), bytes);
        }
    }

    void startWorkers() {
        if (reader.threads < 0) return;
        const int n = reader.threads > 0 ? reader.threads : defaultThreads();
        workers.reserve(std::size_t(n));
        for (int i = 0; i < n; ++i)
            workers.emplace_back([this] { workerLoop(); });
    }

    void stopWorkers() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        work.notify_all();
        queue.stop();
    }

    void finish() {
        stopWorkers();
        for (std::thread& w : workers)
            w.join();
        workers.clear();
        phase = Phase::Done;
        stack.clear();
        waiting.clear();
        urgent.reset();
    }

    // --- the walk, on the pumping thread ---

    void arrive(HandOverQueue<TaskPtr>::Handed& h) {
        h.item->arrived = true;
        h.item->queued = true;
        h.item->bytes = h.bytes;
    }

    // Waits until t's listing is here; false when the deadline passed or the walk was stopped.
    bool await(const TaskPtr& t, Clock::time_point deadline) {
        bool asked = false;
        bool overdrawn = false;
        while (!t->arrived) {
            if (stopRequested) return false;
            if (auto h = queue.tryPop()) {
                arrive(*h);
                continue;
            }
            if (!asked) {
                asked = true;
                {
                    std::lock_guard lock(mutex);
                    if (t->state == Task::State::Waiting) urgent = t;
                }
                work.notify_one();
            }
            // With the look-ahead full of folders needed later, no worker may start this one
            // unless it is let go beyond the bound (reading it here would hold the window up for
            // as long as a folder of thousands of entries takes). Without workers it is read here.
            if (workers.empty() && claim(*t)) {
                read(*t);
                publish(t->subFolders);
                t->arrived = true;
                break;
            }
            if (!overdrawn && !workers.empty() && queue.full()) {
                overdrawn = true;
                queue.allowOneMore();
            }
            if (Clock::now() >= deadline) return false;
            if (auto h = queue.popUntil(deadline)) arrive(*h);
        }
        return true;
    }

    bool claim(Task& t) {
        std::lock_guard lock(mutex);
        if (t.state != Task::State::Waiting) return false;
        t.state = Task::State::Taken;
        return true;
    }

    FolderVisit visitOf(const Frame& f) {
        return FolderVisit{path, f.entries, f.isDriveRoot, int(stack.size()) - 1, f.ref->room};
    }

    void enter(Task& t, bool driveRoot) {
        Frame f;
        f.ref = t.ref;
        f.entries = std::move(t.entries);
        f.subFolders = std::move(t.subFolders);
        f.pathLength = path.size();
        f.isDriveRoot = driveRoot;
        f.isEmpty = holdsNothingWalked(f.entries);
        stack.push_back(std::move(f));
        sink.enterFolder(visitOf(stack.back()));
    }

    void leave(bool stepped) {
        path.truncate(stack.back().pathLength);
        sink.leaveFolder(visitOf(stack.back()), stepped);
        stack.pop_back();
    }

    void skipOrThrow(int error) {
        if (!isSkippableOpenError(error)) throw IoError(error);
        ++result.skippedFolders;
    }

    // Opens and reads the root here; false when the walk ends with it.
    bool begin() {
        phase = Phase::Running;
        OpenedFolder opened = openWalkRoot(platform, root, stopRequested, result);
        if (!opened.handle.isOpen()) return false;
        bounds = {opened.handle.device, opened.handle.mountId, settings.entersHidden};
        Task t;
        t.ref = std::make_shared<FolderRef>();
        t.ref->name = root;
        t.path = root;
        list(t, std::move(opened.handle), rootIsDrive);
        path = root;
        if (t.outcome == Outcome::ReadFailed) {
            skipOrThrow(t.error);
            return false;
        }
        startWorkers();
        publish(t.subFolders);
        enter(t, rootIsDrive);
        return true;
    }

    // Takes the next sub-folder of the deepest folder on the path: enters it, or skips it as
    // FolderWalk would.
    void takeSubFolder(TaskPtr t) {
        if (t->queued) queue.release(t->bytes);
        Frame& top = stack.back();
        path.truncate(top.pathLength);
        if (!path.endsWith('/')) path.append('/');
        path.append(t->ref->name);
        switch (t->outcome) {
            case Outcome::OpenFailed:
            case Outcome::ReadFailed:
                skipOrThrow(t->error);
                break;
            case Outcome::ReopenFailed:
                throw IoError(t->error);
            case Outcome::OtherMount:
            case Outcome::OtherRoot:
                break;
            case Outcome::Listed:
                enter(*t, false);
                break;
        }
    }

    bool pump(Clock::time_point deadline) {
        if (phase == Phase::Starting && !begin()) return true;
        while (!stack.empty()) {
            if (stopRequested) {
                result.aborted = true;
                while (!stack.empty())
                    leave(false);
                break;
            }
            Frame& top = stack.back();
            if (top.next < top.subFolders.size()) {
                const TaskPtr& sub = top.subFolders[top.next];
                if (!await(sub, deadline)) {
                    if (stopRequested) continue;
                    return false;
                }
                TaskPtr t = std::move(top.subFolders[top.next++]);
                takeSubFolder(std::move(t));
            } else {
                path.truncate(top.pathLength);
                const bool stepped = !top.isEmpty || settings.stepOnEmptyFolder;
                if (stepped) {
                    sink.folderStep(visitOf(top));
                    ++result.folders;
                }
                leave(stepped);
            }
            if (!stack.empty() && Clock::now() >= deadline) return false;
        }
        return true;
    }
};

ParallelWalk::ParallelWalk(const Platform& platform, WalkSink& sink, ReaderSettings settings)
    : d_(std::make_unique<Impl>(platform, sink, settings)) {}

ParallelWalk::~ParallelWalk() {
    d_->finish();
}

int ParallelWalk::defaultThreads() {
    return std::clamp(int(std::thread::hardware_concurrency()), 1, 8);
}

void ParallelWalk::start(const QByteArray& root, bool isDriveRoot, const WalkSettings& settings) {
    Impl& w = *d_;
    if (w.phase != Impl::Phase::Idle) return;
    w.root = root;
    w.rootIsDrive = isDriveRoot;
    w.settings = settings;
    w.otherRoots = otherRoots;
    w.phase = Impl::Phase::Starting;
}

bool ParallelWalk::pump(std::chrono::milliseconds budget) {
    Impl& w = *d_;
    if (w.phase == Impl::Phase::Done || w.phase == Impl::Phase::Idle) return true;
    try {
        if (!w.pump(Clock::now() + budget)) return false;
    } catch (...) {
        w.finish();
        throw;
    }
    w.finish();
    return true;
}

WalkResult ParallelWalk::run() {
    while (!pump(std::chrono::hours(1))) {
    }
    return result();
}

void ParallelWalk::stop() {
    d_->stopRequested = true;
    d_->stopWorkers();
}

const WalkResult& ParallelWalk::result() const {
    return d_->result;
}

}  // namespace rk
