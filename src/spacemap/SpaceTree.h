#pragma once

#include <QByteArray>
#include <QSet>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "common/BlockArray.h"
#include "common/DriveWalk.h"
#include "common/FolderWalk.h"
#include "platform/Platform.h"

namespace rk {

// Names' bytes, a block at a time; a name never straddles two blocks, so each one is read
// where it is kept. A name is found by its offset, which is the block's number and the
// place in it.
class NameArena {
public:
    static constexpr unsigned bits = 20;
    static constexpr std::size_t blockSize = std::size_t(1) << bits;

    // The offset the next name would get, at most: what the offsets have reached.
    [[nodiscard]] std::size_t end() const {
        return blocks_.empty() ? 0 : (blocks_.size() - 1) * blockSize + blocks_.back().size();
    }
    [[nodiscard]] const char* at(std::uint32_t offset) const {
        return blocks_[offset >> bits].data() + (offset & (blockSize - 1));
    }
    // Keeps a name (shorter than a block) and gives its offset.
    std::uint32_t add(const char* bytes, std::size_t length) {
        if (blocks_.empty() || blocks_.back().size() + length > blockSize) {
            blocks_.emplace_back();
            blocks_.back().reserve(blockSize);
        }
        const auto offset = std::uint32_t((blocks_.size() - 1) * blockSize + blocks_.back().size());
        blocks_.back().insert(blocks_.back().end(), bytes, bytes + length);
        return offset;
    }
    void trim() {
        if (!blocks_.empty()) blocks_.back().shrink_to_fit();
    }
    [[nodiscard]] std::size_t bytes() const {
        std::size_t out = 0;
        for (const std::vector<char>& b : blocks_)
            out += b.capacity();
        return out;
    }

private:
    std::vector<std::vector<char>> blocks_;
};

// Every file and folder of one drive with its folders' subtree totals, as the space map shows
// them. There will be millions of entries, so an entry is kept small: one flat Node each, the
// names' bytes in one arena, a folder's entries in one contiguous block of nodes (in listing
// order), and what only folders need (their block, their totals) in a Folder record of their
// own. Nodes and names grow a block at a time. A Node is 40 bytes; with a name of about twenty
// bytes and the folders' records, a scan of 1,000,000 files keeps at most 64 bytes per file
// (bench/spacemap measures it).
//
// Room counts as du counts it: space on disk, a file of several hard links once per tree,
// where it is met first. Folders that could not be read are kept, marked, with their own room,
// and counted up the tree; another file system mounted inside is kept as an excluded entry that
// counts nothing.
//
// A folder scanned again is grafted in place of its old subtree: the fresh entries go at the
// end of the arrays and the old ones stay there, out of reach, until the next whole scan.
class SpaceTree {
public:
    using Index = std::uint32_t;
    static constexpr Index none = ~Index(0);

    enum Flag : std::uint8_t {
        isFolder = 1,
        unreadable = 2,    // a folder that could not be read
        errorBelow = 4,    // a folder with an unreadable folder somewhere below it
        linkRepeat = 8,    // a hard link whose room was counted at an earlier link
        otherMount = 16,   // another file system (or a bind mount) mounted here: not counted
        notRegular = 32,   // neither a regular file nor a folder (a link, socket, device...)
        removed = 64,      // deleted since the scan; its room is gone from the totals
        multiLinked = 128  // more than one link: see links()
    };

    struct Node {
        std::int64_t room = 0;     // a folder's: its whole subtree's, its own blocks included
        std::int64_t length = 0;   // its own length in bytes
        std::int64_t changed = 0;  // its own last write, seconds since the epoch
        std::uint32_t nameOffset = 0;
        Index parent = none;
        Index folder = none;  // the Folder record of a folder that was read
        std::uint16_t nameLength = 0;
        std::uint8_t flags = 0;
        std::uint8_t reserved = 0;
    };
    static_assert(sizeof(Node) <= 40, "a node is kept for every file of a drive");

    struct Folder {
        Index node = none;
        Index first = 0;  // its entries: nodes [first, first + count)
        Index count = 0;
        std::uint32_t unreadableBelow = 0;  // folders below it that could not be read
        std::int64_t files = 0;             // in its whole subtree
        std::int64_t folders = 0;           // in its whole subtree, itself not counted
        std::int64_t latest = 0;            // the latest last write in the subtree
        std::int64_t ownRoom = 0;           // the folder's own blocks
    };

    // A file of several hard links: who it is, for an export that lets others count it once.
    struct LinkInfo {
        Index node = none;
        std::uint32_t links = 0;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
    };

    [[nodiscard]] bool empty() const { return nodes_.empty(); }
    [[nodiscard]] Index root() const { return nodes_.empty() ? none : 0; }
    [[nodiscard]] const Node& node(Index i) const { return nodes_[i]; }
    [[nodiscard]] std::size_t size() const { return nodes_.size(); }
    [[nodiscard]] bool has(Index i, Flag f) const { return nodes_[i].flags & f; }
    // The root's name is the drive's path; every other name is one entry's, as exact bytes.
    [[nodiscard]] QByteArray name(Index i) const;
    // The same bytes where they are kept, valid until the tree changes.
    [[nodiscard]] QByteArrayView nameView(Index i) const {
        return {names_.at(nodes_[i].nameOffset), qsizetype(nodes_[i].nameLength)};
    }
    [[nodiscard]] QByteArray path(Index i) const;
    // The folder's record, or null for a file and a folder that was not read.
    [[nodiscard]] const Folder* folderOf(Index i) const {
        const Index f = nodes_[i].folder;
        return f == none ? nullptr : &folders_[f];
    }
    [[nodiscard]] std::int64_t files(Index i) const;
    [[nodiscard]] std::int64_t folders(Index i) const;
    [[nodiscard]] std::int64_t latest(Index i) const;
    // A folder's entries, largest room first (ties by name), without those removed.
    [[nodiscard]] std::vector<Index> children(Index i) const;
    // Null unless the node has the multiLinked flag.
    [[nodiscard]] const LinkInfo* links(Index i) const;
    // The entry at a path below the root, or none.
    [[nodiscard]] Index find(const QByteArray& path) const;
    // The device and mount the tree was read from (0 when they are not known).
    [[nodiscard]] std::uint64_t device() const { return device_; }
    [[nodiscard]] std::uint64_t mount() const { return mount_; }

    // Takes a deleted entry's room, files and folders off its folders' totals, and marks it.
    void remove(Index i);
    // Puts a fresh scan of a folder (its root the folder) in place of what was known below it,
    // and corrects the totals of every folder above. The root takes the fresh tree whole.
    void graft(Index folder, SpaceTree&& fresh);
    // The files of several links counted outside a folder, as (device, inode): a scan of the
    // folder alone counts their other links there as repeats, so no room is counted twice.
    [[nodiscard]] QSet<std::pair<std::uint64_t, std::uint64_t>> linksCountedOutside(
        Index folder) const;

    // Bytes held, for the benchmark: what the containers have reserved.
    [[nodiscard]] std::size_t memoryBytes() const;

    // Building, in pre-order: a folder's entries come as one block, right after it is read.
    // The root first; then for each folder read, its block.
    Index addRoot(const QByteArray& path, std::int64_t ownRoom, std::int64_t length,
                  std::int64_t changed, std::uint64_t device, std::uint64_t mount = 0);
    // Starts the block of a folder that was read, with the folder's own room; addEntry then
    // adds its entries.
    void openBlock(Index folderNode, std::int64_t ownRoom);
    Index addEntry(const QByteArray& name, std::int64_t room, std::int64_t length,
                   std::int64_t changed, std::uint8_t flags);
    void addLinks(const LinkInfo& info) { links_.push_back(info); }
    void markUnreadable(Index i) { nodes_[i].flags |= unreadable; }
    // Totals every folder from its block up, once all blocks are in.
    void finish();
    // Lets go of the slack the vectors grew with.
    void compact();

private:
    // The latest last write below a folder, from its entries' and sub-folders' figures.
    [[nodiscard]] std::int64_t latestOfBlock(const Folder& f) const;

    BlockArray<Node, 16> nodes_;
    std::vector<Folder> folders_;
    NameArena names_;
    std::vector<LinkInfo> links_;  // by node, ascending
    std::uint64_t device_ = 0;
    std::uint64_t mount_ = 0;
    Index filling_ = none;  // the folder record whose block is being filled
};

// The scan behind the space map: one drive walked into a SpaceTree. Hidden folders are walked
// too, so that the totals are du's.
class SpaceScan {
public:
    explicit SpaceScan(const Platform& platform);
    ~SpaceScan();

    bool abort = false;
    // Walks drive into a fresh tree. False when the drive's root could not be opened.
    bool run(const QByteArray& drive, EventPump* pump = nullptr);
    // Walks one folder of a tree scanned before into a fresh tree of its own, with the files
    // of several links that tree counted elsewhere taken as met already.
    bool rescan(const QByteArray& folder, QSet<std::pair<std::uint64_t, std::uint64_t>> counted,
                EventPump* pump = nullptr);

    // The sink that fills the tree, for a job that walks on its own.
    [[nodiscard]] WalkSink& sink();
    // Starts a fresh tree at a drive's root; false when it cannot be opened.
    bool begin(const QByteArray& drive);
    // Totals the tree once the walk is over (also after an abort: what was read).
    void end();

    [[nodiscard]] const SpaceTree& tree() const { return tree_; }
    [[nodiscard]] SpaceTree& tree() { return tree_; }
    [[nodiscard]] SpaceTree takeTree() { return std::move(tree_); }
    [[nodiscard]] const WalkResult& result() const { return result_; }

private:
    class Sink;
    friend class Sink;
    void walk(const QByteArray& drive, EventPump* pump);

    const Platform& platform_;
    SpaceTree tree_;
    WalkResult result_;
    std::unique_ptr<Sink> sink_;
    QSet<std::pair<std::uint64_t, std::uint64_t>> linked_;  // (device, inode) met so far
};

}  // namespace rk
