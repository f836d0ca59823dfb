#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/FileListDeletion.h"

namespace rk {

class ContentScan;
class FileContents;
class FileLinks;
class Platform;

// The ways a marked copy gives its room back while keeping its name.
enum class LinkWay {
    Share,     // its data shares the kept copy's extents; both stay files of their own
    HardLink,  // its name becomes one more name of the kept copy
};

// Which copy of a group stays as it is when all but one are acted on. A copy in an originals
// folder always stays, whatever the rule; Original keeps the oldest where none is.
enum class KeepRule { Oldest, Newest, Original, Shortest };

// A copy to link and the copy it is linked to, each as the content search read it.
struct CopyPair {
    MarkedFile kept;
    MarkedFile going;
};

// Why a copy was left as it was.
enum class LeftReason {
    Changed,          // it is not the file it was when it was compared
    KeptChanged,      // the kept copy is gone, changed, or holds other bytes now
    SameFile,         // the two names are one file already
    OtherFileSystem,  // a hard link cannot reach another file system
    OwnerDiffers,     // a hard link would change its owner or permissions, not agreed to
    Differs,          // the file system compared the two and found them different
    Unsupported,      // the file system cannot share data between files
    Failed,           // the system refused; the error says why
};

struct LinkRun {
    LinkWay way = LinkWay::Share;
    // The user agreed that a link takes the kept copy's owner and permissions.
    bool ownerAgreed = false;
    bool dryRun = false;  // check everything, change nothing
};

struct LinkedCopy {
    std::size_t pair = 0;
    std::int64_t shared = 0;  // what the kernel deduplicated, in bytes
    std::int64_t room = 0;    // what it was predicted to free
};

struct LeftCopy {
    std::size_t pair = 0;
    LeftReason reason = LeftReason::Failed;
    int error = 0;
};

// The free space of one file system the copies lie on, before and after.
struct SpaceMeasure {
    QByteArray path;  // a folder on it
    std::uint64_t device = 0;
    std::optional<std::int64_t> before, after;
};

struct LinkResult {
    std::vector<LinkedCopy> linked;
    std::vector<LeftCopy> left;
    std::int64_t shared = 0;     // bytes the kernel deduplicated, all copies
    std::int64_t predicted = 0;  // the room the linked copies were to free
    std::vector<SpaceMeasure> space;
    // The rise in free space over every file system measured both times.
    [[nodiscard]] std::int64_t measured() const;
};

// Links each pair's going copy to its kept copy the way run asks, in order. Before a copy is
// touched, it and its kept copy must still be the files the search compared (identity, size,
// last write and last change to the nanosecond), and they must be two files: else it stays.
// Sharing leaves the byte comparison to the kernel, which makes it under lock. A hard link is
// made under a temporary name beside the copy, its bytes compared with the copy's once more,
// and only then renamed over the copy, so the name is never missing and no contents are lost;
// it is refused across file systems, and where owner or permissions differ unless agreed.
// The free space of each file system is measured before and after (not on a dry run).
LinkResult LinkCopies(const Platform& platform, const FileContents& contents,
                      const FileLinks& links, const std::vector<CopyPair>& pairs,
                      const LinkRun& run);

// What the confirmation offers for a list of pairs: each way only where it can work for every
// pair (a copy that cannot be opened closes both), and the room each would free.
struct WaysOpen {
    bool share = true;
    bool link = true;
    bool ownersDiffer = false;  // a link would give a copy the kept copy's owner or permissions
    std::int64_t shareRoom = 0;
    std::int64_t linkRoom = 0;  // a copy with other hard links frees nothing
};
[[nodiscard]] WaysOpen waysOpen(const Platform& platform, const FileContents& contents,
                                const FileLinks& links, const std::vector<CopyPair>& pairs);

// The copy of candidates that stays under rule; candidates are one group's copies.
struct KeepCandidate {
    QByteArray path;
    std::int64_t modifiedNs = 0;
    bool original = false;
};
[[nodiscard]] std::size_t chooseKept(const std::vector<KeepCandidate>& candidates, KeepRule rule);

// All but the kept copy of each group the content search listed, paired with it; a copy in an
// originals folder is never among the going ones.
[[nodiscard]] std::vector<CopyPair> allButOne(const ContentScan& scan, KeepRule rule);

// What a linking did, in words: the copies done with the room predicted and the free space
// gained (with what the kernel deduplicated when sharing), then a line per file system with
// its free space before and after.
[[nodiscard]] QStringList linkSummaryLines(const LinkResult& result, LinkWay way);

// Why a copy was left, in words: "it changed since it was compared".
[[nodiscard]] QString leftReasonText(LeftReason reason, int error);

}  // namespace rk
