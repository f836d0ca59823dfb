#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/FolderWalk.h"

namespace rk {

// What decides where a walk of one drive goes, shared by the one-thread and the parallel walk
// so that both go exactly the same way.
struct WalkBounds {
    std::uint64_t device = 0;   // of the folder the walk started at
    std::uint64_t mountId = 0;  // its mount, where the system tells one
    bool entersHidden = false;  // WalkSettings::entersHidden

    // A folder on another mount is another drive's, even when it is a bind mount of this
    // file system (same device). Where the system tells no mount identity, the device does.
    [[nodiscard]] bool onOtherMount(const FolderHandle& h) const {
        return h.device != device || h.isMountRoot ||
               (mountId != 0 && h.mountId != 0 && mountId != h.mountId);
    }
    // Hidden folders are entered only when asked, system folders never; mount points are told by
    // the listing already, so that an automount point is never opened (which would mount it).
    [[nodiscard]] bool entersSubFolder(const SearchRecord& e) const {
        const int include = entersHidden ? includeWalk | attrHidden : includeWalk;
        return e.isDirectory() && !e.isDotEntry() && includedBy(include, e.attributes) &&
               e.device == device && !e.isMountPoint;
    }
};

[[nodiscard]] inline bool isOtherRoot(const std::vector<FolderKey>& otherRoots,
                                      const FolderHandle& h) {
    return std::find(otherRoots.begin(), otherRoots.end(), FolderKey{h.device, h.inode}) !=
           otherRoots.end();
}

// Opens the folder a walk starts at; where the walk ends before it starts (aborted already, or
// the folder cannot be opened), no handle, and result says why.
[[nodiscard]] inline OpenedFolder openWalkRoot(const Platform& platform, const QByteArray& root,
                                               bool aborted, WalkResult& result) {
    if (aborted) {
        result.aborted = true;
        return {};
    }
    OpenedFolder opened = platform.openFolder(root);
    if (!opened.handle.isOpen()) {
        result.rootOpened = false;
        result.rootError = opened.error;
    }
    return opened;
}

// Whether a listing holds nothing but hidden and system entries.
[[nodiscard]] inline bool holdsNothingWalked(const std::vector<SearchRecord>& entries) {
    return std::none_of(entries.begin(), entries.end(), [](const SearchRecord& e) {
        return includedBy(includeWalk, e.attributes);
    });
}

}  // namespace rk
