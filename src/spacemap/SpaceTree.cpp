#include "spacemap/SpaceTree.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "common/DriveWalk.h"

namespace rk {

namespace {

// What an entry adds to its folder's room: nothing for a repeated link, a mount or a deleted
// entry.
bool counts(const SpaceTree::Node& n) {
    return !(n.flags & (SpaceTree::linkRepeat | SpaceTree::otherMount | SpaceTree::removed));
}

}  // namespace

QByteArray SpaceTree::name(Index i) const {
    const Node& n = nodes_[i];
    return QByteArray(names_.at(n.nameOffset), n.nameLength);
}

QByteArray SpaceTree::path(Index i) const {
    std::vector<Index> chain;
    for (Index at = i; at != none; at = nodes_[at].parent)
        chain.push_back(at);
    QByteArray out = name(chain.back());
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) {
        if (!out.endsWith('/')) out.append('/');
        out.append(name(*it));
    }
    return out;
}

std::int64_t SpaceTree::files(Index i) const {
    if (const Folder* f = folderOf(i)) return f->files;
    return (nodes_[i].flags & isFolder) || !counts(nodes_[i]) ? 0 : 1;
}

std::int64_t SpaceTree::folders(Index i) const {
    const Folder* f = folderOf(i);
    return f ? f->folders : 0;
}

std::int64_t SpaceTree::latest(Index i) const {
    const Folder* f = folderOf(i);
    return f ? f->latest : nodes_[i].changed;
}

std::vector<SpaceTree::Index> SpaceTree::children(Index i) const {
    std::vector<Index> out;
    const Folder* f = folderOf(i);
    if (!f) return out;
    out.reserve(f->count);
    for (Index c = f->first; c < f->first + f->count; ++c)
        if (!(nodes_[c].flags & removed)) out.push_back(c);
    std::sort(out.begin(), out.end(), [this](Index a, Index b) {
        if (nodes_[a].room != nodes_[b].room) return nodes_[a].room > nodes_[b].room;
        return nameView(a) < nameView(b);
    });
    return out;
}

const SpaceTree::LinkInfo* SpaceTree::links(Index i) const {
    if (!(nodes_[i].flags & multiLinked)) return nullptr;
    const auto it = std::lower_bound(links_.begin(), links_.end(), i,
                                     [](const LinkInfo& l, Index n) { return l.node < n; });
    return it != links_.end() && it->node == i ? &*it : nullptr;
}

SpaceTree::Index SpaceTree::find(const QByteArray& path) const {
    if (empty()) return none;
    QByteArray top = name(0);
    if (path == top) return 0;
    if (!top.endsWith('/')) top.append('/');
    if (!path.startsWith(top)) return none;
    Index at = 0;
    for (const QByteArray& part : path.mid(top.size()).split('/')) {
        if (part.isEmpty()) continue;
        const Folder* f = folderOf(at);
        if (!f) return none;
        Index found = none;
        for (Index c = f->first; c < f->first + f->count && found == none; ++c)
            if (!(nodes_[c].flags & removed) && name(c) == part) found = c;
        if (found == none) return none;
        at = found;
    }
    return at;
}

void SpaceTree::remove(Index i) {
    Node& n = nodes_[i];
    if (n.flags & removed || i == 0) return;
    const bool counted = counts(n);
    const std::int64_t room = counted ? n.room : 0;
    const std::int64_t goneFiles = files(i);
    const std::int64_t goneFolders =
        (n.flags & isFolder) && !(n.flags & otherMount) ? folders(i) + 1 : 0;
    n.flags |= removed;
    for (Index at = n.parent; at != none; at = nodes_[at].parent) {
        nodes_[at].room -= room;
        Folder& f = folders_[nodes_[at].folder];
        f.files -= goneFiles;
        f.folders -= goneFolders;
    }
}

void SpaceTree::graft(Index folder, SpaceTree&& fresh) {
    if (folder == root() || fresh.empty()) {
        if (folder == root()) *this = std::move(fresh);
        return;
    }
    if (nodes_.size() + fresh.nodes_.size() >= none - 1 ||
        names_.end() + fresh.names_.end() + 2 * NameArena::blockSize >
            std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("space map: too many entries");
    Node& self = nodes_[folder];
    const std::int64_t oldRoom = self.room;
    const std::int64_t oldFiles = files(folder);
    const std::int64_t oldFolders = folders(folder);
    const Folder* old = folderOf(folder);
    const std::int64_t oldUnreadable =
        (self.flags & unreadable ? 1 : 0) + (old ? std::int64_t(old->unreadableBelow) : 0);

    // The fresh root is the folder itself; every other fresh entry moves up by base.
    const Index base = Index(nodes_.size()) - 1;
    const Index folderBase = Index(folders_.size());
    const auto moved = [&](Index i) { return i == 0 ? folder : i + base; };
    for (std::size_t k = 1; k < fresh.nodes_.size(); ++k) {
        Node n = fresh.nodes_[k];
        n.nameOffset = names_.add(fresh.names_.at(n.nameOffset), n.nameLength);
        n.parent = moved(n.parent);
        if (n.folder != none) n.folder += folderBase;
        nodes_.push_back(n);
    }
    for (Folder f : fresh.folders_) {
        f.node = moved(f.node);
        f.first += base;
        folders_.push_back(f);
    }
    for (LinkInfo l : fresh.links_) {
        l.node += base;
        links_.push_back(l);  // after every older node, so the list stays in node order
    }

    Node& grafted = nodes_[folder];
    const Node& freshRoot = fresh.nodes_[0];
    Folder& record = folders_[freshRoot.folder + folderBase];
    grafted.folder = freshRoot.folder + folderBase;
    grafted.room = freshRoot.room;
    grafted.flags =
        std::uint8_t((grafted.flags & ~(unreadable | errorBelow)) | (freshRoot.flags & errorBelow));
    record.latest = std::max(record.latest, grafted.changed);

    const bool counted = counts(grafted);
    const std::int64_t room = counted ? grafted.room - oldRoom : 0;
    const std::int64_t moreFiles = record.files - oldFiles;
    const std::int64_t moreFolders = record.folders - oldFolders;
    const std::int64_t moreUnreadable = std::int64_t(record.unreadableBelow) - oldUnreadable;
    for (Index at = grafted.parent; at != none; at = nodes_[at].parent) {
        Node& up = nodes_[at];
        Folder& f = folders_[up.folder];
        up.room += room;
        f.files += moreFiles;
        f.folders += moreFolders;
        f.unreadableBelow = std::uint32_t(std::int64_t(f.unreadableBelow) + moreUnreadable);
        f.latest = latestOfBlock(f);
        up.flags = std::uint8_t(f.unreadableBelow ? up.flags | errorBelow : up.flags & ~errorBelow);
    }
}

std::int64_t SpaceTree::latestOfBlock(const Folder& f) const {
    std::int64_t latest = nodes_[f.node].changed;
    for (Index c = f.first; c < f.first + f.count; ++c) {
        if (!counts(nodes_[c])) continue;
        latest = std::max(latest, nodes_[c].changed);
        if (const Folder* sub = folderOf(c)) latest = std::max(latest, sub->latest);
    }
    return latest;
}

QSet<std::pair<std::uint64_t, std::uint64_t>> SpaceTree::linksCountedOutside(Index folder) const {
    QSet<std::pair<std::uint64_t, std::uint64_t>> out;
    for (const LinkInfo& l : links_) {
        bool outside = !(nodes_[l.node].flags & (linkRepeat | removed));
        for (Index at = nodes_[l.node].parent; outside && at != none; at = nodes_[at].parent)
            outside = at != folder && !(nodes_[at].flags & removed);
        if (outside) out.insert({l.device, l.inode});
    }
    return out;
}

std::size_t SpaceTree::memoryBytes() const {
    return nodes_.bytes() + folders_.capacity() * sizeof(Folder) + names_.bytes() +
           links_.capacity() * sizeof(LinkInfo);
}

SpaceTree::Index SpaceTree::addRoot(const QByteArray& path, std::int64_t ownRoom,
                                    std::int64_t length, std::int64_t changed, std::uint64_t device,
                                    std::uint64_t mount) {
    *this = SpaceTree();
    device_ = device;
    mount_ = mount;
    filling_ = none;
    const Index root = addEntry(path, ownRoom, length, changed, isFolder);
    return root;
}

void SpaceTree::openBlock(Index folderNode, std::int64_t ownRoom) {
    Folder f;
    f.node = folderNode;
    f.first = Index(nodes_.size());
    f.ownRoom = ownRoom;
    nodes_[folderNode].room = ownRoom;
    nodes_[folderNode].folder = Index(folders_.size());
    filling_ = nodes_[folderNode].folder;
    folders_.push_back(f);
}

SpaceTree::Index SpaceTree::addEntry(const QByteArray& name, std::int64_t room, std::int64_t length,
                                     std::int64_t changed, std::uint8_t flags) {
    // Offsets and indices are 32 bits: four thousand million entries and names' bytes.
    if (nodes_.size() >= none - 1 ||
        names_.end() + std::size_t(name.size()) + NameArena::blockSize >
            std::numeric_limits<std::uint32_t>::max() ||
        name.size() > std::numeric_limits<std::uint16_t>::max())
        throw std::length_error("space map: too many entries");
    Node n;
    n.room = room;
    n.length = length;
    n.changed = changed;
    n.nameLength = std::uint16_t(name.size());
    n.flags = flags;
    if (filling_ != none) {
        n.parent = folders_[filling_].node;
        ++folders_[filling_].count;
    }
    n.nameOffset = names_.add(name.constData(), std::size_t(name.size()));
    nodes_.push_back(n);
    return Index(nodes_.size() - 1);
}

void SpaceTree::finish() {
    // Folder records come in pre-order, so going through them backwards totals every folder
    // after all the folders below it.
    for (auto f = folders_.rbegin(); f != folders_.rend(); ++f) {
        Node& self = nodes_[f->node];
        f->files = f->folders = 0;
        f->unreadableBelow = 0;
        f->latest = self.changed;
        std::int64_t room = f->ownRoom;
        for (Index c = f->first; c < f->first + f->count; ++c) {
            const Node& n = nodes_[c];
            if (!counts(n)) continue;
            room += n.room;
            f->latest = std::max(f->latest, n.changed);
            if (!(n.flags & isFolder)) {
                ++f->files;
                continue;
            }
            ++f->folders;
            if (n.flags & unreadable) ++f->unreadableBelow;
            if (const Folder* sub = folderOf(c)) {
                f->files += sub->files;
                f->folders += sub->folders;
                f->latest = std::max(f->latest, sub->latest);
                f->unreadableBelow += sub->unreadableBelow;
            }
        }
        self.room = room;
        if (f->unreadableBelow) self.flags |= errorBelow;
    }
}

void SpaceTree::compact() {
    nodes_.trim();
    folders_.shrink_to_fit();
    names_.trim();
    links_.shrink_to_fit();
}

// Fills the tree as the walk goes down: a folder's whole listing becomes its block when the
// walk enters it, and the walk enters sub-folders in listing order, so each one is found in
// its parent's block by looking on from the last one found.
class SpaceScan::Sink : public WalkSink {
public:
    explicit Sink(SpaceScan& scan) : scan_(scan) {}

    void enterFolder(const FolderVisit& v) override {
        SpaceTree& tree = scan_.tree_;
        SpaceTree::Index self = 0;
        if (v.depth > 0) {
            Level& parent = stack_.back();
            const QByteArray name = v.path.mid(v.path.lastIndexOf('/') + 1);
            const SpaceTree::Folder& block = *tree.folderOf(parent.node);
            self = SpaceTree::none;
            for (SpaceTree::Index c = std::max(parent.cursor, block.first);
                 c < block.first + block.count; ++c) {
                if (tree.has(c, SpaceTree::isFolder) && tree.name(c) == name) {
                    self = c;
                    parent.cursor = c + 1;
                    break;
                }
            }
            if (self == SpaceTree::none) throw std::logic_error("space map: folder not listed");
        }
        tree.openBlock(self, v.room);
        for (const SearchRecord& e : v.entries) {
            if (e.isDotEntry()) continue;
            tree.addEntry(e.name, e.room, e.size, e.raw.write, flagsOf(e));
            if (e.links > 1 && !e.isDirectory())
                tree.addLinks({SpaceTree::Index(tree.size() - 1), e.links, e.device, e.inode});
        }
        stack_.push_back({self, 0});
    }

    void folderStep(const FolderVisit&) override {}

    void leaveFolder(const FolderVisit&, bool stepped) override {
        SpaceTree& tree = scan_.tree_;
        const SpaceTree::Folder& block = *tree.folderOf(stack_.back().node);
        // A sub-folder the walk could go into and did not could not be read. An aborted walk
        // leaves its folders unstepped, and what it did not reach is merely unknown.
        if (stepped) {
            for (SpaceTree::Index c = block.first; c < block.first + block.count; ++c)
                if (tree.has(c, SpaceTree::isFolder) && !tree.folderOf(c) &&
                    !tree.has(c, SpaceTree::otherMount))
                    tree.markUnreadable(c);
        }
        stack_.pop_back();
    }

private:
    struct Level {
        SpaceTree::Index node;
        SpaceTree::Index cursor;
    };

    std::uint8_t flagsOf(const SearchRecord& e) {
        std::uint8_t flags = 0;
        if (e.isDirectory()) {
            flags |= SpaceTree::isFolder;
            if (e.device != scan_.tree_.device() || e.isMountPoint) flags |= SpaceTree::otherMount;
            return flags;
        }
        if (e.attributes & attrSystem) flags |= SpaceTree::notRegular;
        if (e.links > 1) {
            flags |= SpaceTree::multiLinked;
            const std::pair<std::uint64_t, std::uint64_t> id{e.device, e.inode};
            if (scan_.linked_.contains(id))
                flags |= SpaceTree::linkRepeat;
            else
                scan_.linked_.insert(id);
        }
        return flags;
    }

    SpaceScan& scan_;
    std::vector<Level> stack_;
};

SpaceScan::SpaceScan(const Platform& platform) : platform_(platform) {}
SpaceScan::~SpaceScan() = default;

WalkSink& SpaceScan::sink() {
    if (!sink_) sink_ = std::make_unique<Sink>(*this);
    return *sink_;
}

bool SpaceScan::begin(const QByteArray& drive) {
    linked_.clear();
    result_ = {};
    sink_ = std::make_unique<Sink>(*this);
    const OpenedFolder opened = platform_.openFolder(drive);
    if (!opened.handle.isOpen()) {
        tree_ = SpaceTree();
        result_.rootOpened = false;
        result_.rootError = opened.error;
        return false;
    }
    tree_.addRoot(drive, opened.handle.room, 0, 0, opened.handle.device, opened.handle.mountId);
    return true;
}

void SpaceScan::end() {
    tree_.finish();
    tree_.compact();
    linked_ = {};
}

bool SpaceScan::run(const QByteArray& drive, EventPump* pump) {
    abort = false;
    if (!begin(drive)) return false;
    walk(drive, pump);
    return result_.rootOpened;
}

bool SpaceScan::rescan(const QByteArray& folder,
                       QSet<std::pair<std::uint64_t, std::uint64_t>> counted, EventPump* pump) {
    abort = false;
    if (!begin(folder)) return false;
    linked_ = std::move(counted);
    walk(folder, pump);
    return result_.rootOpened;
}

void SpaceScan::walk(const QByteArray& drive, EventPump* pump) {
    WalkSettings settings;
    settings.entersHidden = true;
    result_ = walkFolders(platform_, drive, true, settings, sink(), abort, pump);
    end();
}

}  // namespace rk
