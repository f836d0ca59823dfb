#pragma once

#include <QByteArray>
#include <chrono>
#include <cstddef>
#include <memory>
#include <vector>

#include "common/FolderWalk.h"

namespace rk {

// How the parallel walk reads ahead.
struct ReaderSettings {
    // Worker threads; 0: the machine's hardware threads, at most 8; below 0: none, the pumping
    // thread reads each folder as the walk comes to it (for a platform whose reads must come on
    // that thread).
    int threads = 0;
    // The look-ahead: listings being read or read and not yet handed to the sink. No worker
    // starts another folder while this many are in flight, or while those handed over hold
    // maxBytes or more (each worker under way may then add one more listing, and one more may
    // be read when the walk needs a folder none has begun and the look-ahead is full).
    std::size_t maxFolders = 1024;
    std::size_t maxBytes = std::size_t(16) << 20;
    // Descriptors of read folders kept open for opening their sub-folders from them; beyond
    // this many, a folder is opened again (and checked to be the same) when its sub-folders
    // are read, so descriptors never grow with the depth or the width of the tree.
    int maxKeptFolders = 64;
};

// The folder walk of FolderWalk with the reading done ahead by a pool of worker threads: the
// sink gets exactly the calls FolderWalk makes, in the same order, with the same WalkResult,
// and the walk keeps every promise FolderWalk.h makes (one mount, no links, each folder once
// even when drives overlap, any depth, skipped and thrown errors alike).
//
// Workers open each folder relative to its parent's descriptor (kept while the parent still has
// sub-folders to open, within maxKeptFolders), read and statx its entries, and hand the listing
// over; they take the folders the sink will need soonest first. All sink calls come on the
// thread that calls pump(), which alone owns the path, the listings being walked and the sink;
// a worker holds a descriptor only while it reads a folder, apart from the kept ones.
//
// Usable with and without an event loop: pump() delivers sink calls for about its budget and
// says whether the walk is over, so a window drives it from a zero timer and the command line
// in a plain loop (run()). One walk per object.
class ParallelWalk {
public:
    ParallelWalk(const Platform& platform, WalkSink& sink, ReaderSettings settings = {});
    ~ParallelWalk();  // stops the workers and waits for them
    ParallelWalk(const ParallelWalk&) = delete;
    ParallelWalk& operator=(const ParallelWalk&) = delete;

    // As FolderWalk::otherRoots; set before start().
    std::vector<FolderKey> otherRoots;

    void start(const QByteArray& root, bool isDriveRoot, const WalkSettings& settings);
    // Delivers sink calls until the walk is over or the budget is spent; true when it is over
    // (result() then holds what happened). An IoError ends the walk and is thrown from here;
    // further calls then return true at once and call nothing.
    bool pump(std::chrono::milliseconds budget = std::chrono::milliseconds(10));
    // Pumps until the walk is over.
    WalkResult run();
    // Ends the walk at the next pump(), as FolderWalk's abort flag does: folders still open are
    // left without a step. Workers stop at once. Callable from any thread.
    void stop();
    [[nodiscard]] const WalkResult& result() const;

    // The worker threads a setting of 0 stands for.
    [[nodiscard]] static int defaultThreads();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace rk
