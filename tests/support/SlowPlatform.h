#pragma once

#include <functional>

#include "TestPlatform.h"
#include "common/ScanJob.h"

namespace rk::test {

// Each folder read ends a slice of the scan's job, so events come in between reads as they
// would during a long scan; the folders read are counted, so a test can tell whether a walk
// ran on.
class SlowPlatform : public TestPlatform {
public:
    using TestPlatform::TestPlatform;
    int readFolder(const FolderHandle& folder, bool isDriveRoot,
                   std::vector<SearchRecord>& entries) const override {
        ++reads;
        if (onRead) onRead(reads);
        ScanJob::pump().pump();
        return TestPlatform::readFolder(folder, isDriveRoot, entries);
    }
    // The events come on the walk's thread, as a window's scan would meet them: no workers.
    [[nodiscard]] bool readsFromWorkers() const override { return false; }
    mutable int reads = 0;
    // Told the count as each folder is read, before the events come in.
    std::function<void(int reads)> onRead;
};

// A window test's fixture whose drive takes a while to read: the fixture's `tree`, its
// `installed` platform and its `window`, which goes before the slow platform does.
template <class Fixture>
class WithSlowPlatform : public Fixture {
protected:
    void SetUp() override {
        Fixture::SetUp();
        slow.setCurrentFolder(this->tree.root());
        this->installed.usePlatform(slow);
    }
    void TearDown() override { this->window.reset(); }
    SlowPlatform slow{{this->tree.root()}};
};

}  // namespace rk::test
