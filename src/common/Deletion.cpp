#include "common/Deletion.h"

#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "common/FolderWalk.h"
#include "common/ProtectedFolders.h"
#include "common/Services.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"
#include "platform/SplitPath.h"
#include "platform/Trash.h"

namespace rk {

namespace {

// Folders on the current path are held open down to this depth; deeper ones are found again
// through ".." when their sub-folder is done, so any depth costs at most this many descriptors.
constexpr std::size_t heldFolders = 32;

struct AttributeQuestion {
    int bit;
    const char* text;
};
constexpr AttributeQuestion attributeQuestions[] = {
    {attrReadOnly, " is read-only, "},
    {attrHidden, " is hidden, "},
    {attrSystem, " is a system file, "},
};

FolderIdentity identityOf(const FolderHandle& h) {
    return FolderIdentity{h.device, h.inode, h.mountId};
}

// One folder on the current path, with its listing read once. Its full path is the run's
// path buffer up to pathEnd: no level keeps a path of its own, so memory grows with the depth,
// not with its square.
struct Frame {
    QByteArray name;  // its name in the folder above, to remove it from there
    qsizetype pathEnd = 0;
    FolderHandle handle;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::vector<SearchRecord> entries;
    std::size_t next = 0;
};

// The one walk of a folder tree: it counts the tree, deletes it, or sends it to the trash,
// so that what the user is shown and what goes cannot differ.
class TreeWalk {
public:
    enum class Mode { Count, Delete, Trash };

    TreeWalk(const Platform& platform, Mode mode, EventPump* pump, const AskYesNo& ask = {})
        : platform_(platform),
          mode_(mode),
          counting_(mode != Mode::Delete),
          pump_(pump),
          ask_(ask) {}

    FolderTreeResult run(const QByteArray& path, const std::optional<FolderIdentity>& expected);
    FolderTreeCount count(const QByteArray& path);

private:
    struct Flagged {  // a file to ask about before the tree goes to the trash whole
        QByteArray path;
        std::uint8_t attributes = 0;
    };

    bool openParent(const QByteArray& path);
    bool openTop(const std::optional<FolderIdentity>& expected);
    void walk();
    bool trashWhole();
    void descend(FolderHandle& above, const SearchRecord& entry);
    void ascend();
    void fileStep(const FolderHandle& folder, const SearchRecord& entry);
    void countFile(const SearchRecord& entry);
    bool mayRemove(const QByteArray& path, std::uint8_t attributes);
    void pushName(const QByteArray& name) {
        if (!path_.endsWith('/')) path_ += '/';
        path_ += name;
    }
    void stayed(StayReason reason, int error) {
        if (counting_) {
            if (reason == StayReason::Unreadable) ++count_.foldersNotRead;
            count_.complete = false;
            return;
        }
        result_.stayed.push_back(StayedEntry{path_, reason, error});
        if (reason == StayReason::Unreadable)
            ++result_.foldersNotRead;
        else
            ++result_.filesNotRemoved;
    }
    void leftOut() {
        if (counting_) ++count_.leftOut;
    }

    const Platform& platform_;
    const Mode mode_;
    bool counting_;  // the first pass of a trashing, or a count: nothing is removed
    EventPump* pump_;
    const AskYesNo ask_;  // how the caller asks about flagged files
    FolderTreeResult result_;
    FolderTreeCount count_;
    std::unordered_set<std::uint64_t> linkedInodes_;  // files of several links, counted once
    std::vector<Flagged> flagged_;
    // The files counted, as a file-by-file run would tell them (room freed, files another
    // link keeps), for a folder that goes to the trash whole.
    FolderTreeResult asWhole_;
    bool deleteAborted_ = false;
    std::uint64_t device_ = 0;             // the file system of the tree
    std::uint64_t mountId_ = 0;            // and its mount: nothing on another one is touched
    std::optional<FolderIdentity> trash_;  // the home trash, never entered
    QByteArray name_;                      // the folder's name in its parent
    QByteArray parentPath_;                // the parent's link-free path
    FolderIdentity top_;                   // the folder as it was opened
    QByteArray path_;                      // the full path of where the run is
    FolderHandle parent_;                  // the folder that holds the tree
    std::vector<Frame> stack_;
};

FolderTreeResult TreeWalk::run(const QByteArray& path,
                               const std::optional<FolderIdentity>& expected) {
    if (!openParent(path)) return result_;
    if (!openTop(expected)) {
        result_.completed = false;
        return result_;
    }
    if (mode_ == Mode::Trash && trashWhole()) return result_;
    walk();
    if (deleteAborted_) result_.completed = false;
    return result_;
}

FolderTreeCount TreeWalk::count(const QByteArray& path) {
    if (openParent(path) && openTop(std::nullopt)) walk();
    count_.isLink = result_.topIsLink;
    if (deleteAborted_) count_.complete = false;
    return count_;
}

// Finds the folder that holds the tree and opens it. False when there is nothing to do: the
// path names no folder that may go, or it is already gone.
bool TreeWalk::openParent(const QByteArray& path) {
    const PathParts parts = splitPath(path);
    name_ = parts.name;
    if (parts.folder.isEmpty() || name_.isEmpty() || name_ == "." || name_ == "..") {
        result_.completed = false;
        return false;
    }
    if (const FolderProtection why = folderProtection(platform_, JoinPath(parts.folder, name_));
        why != FolderProtection::None) {
        result_.refused = why;
        result_.completed = false;
        return false;
    }
    parentPath_ = platform_.realPath(parts.folder);
    if (parentPath_.isEmpty()) return false;  // already gone
    OpenedFolder holder = platform_.openFolder(parentPath_);
    if (!holder.handle.isOpen()) return false;
    parent_ = std::move(holder.handle);
    if (const OpenedFolder t = platform_.openFolder(Trash::homeTrashPath()); t.handle.isOpen())
        trash_ = identityOf(t.handle);
    return true;
}

// Opens the folder to delete once, from the folder above it, and makes it the first level.
// False when the run must not go on.
bool TreeWalk::openTop(const std::optional<FolderIdentity>& expected) {
    path_ = parentPath_;
    SearchRecord self;
    if (platform_.statEntry(parent_, name_, self) != 0) return true;  // already gone
    if (!self.isDirectory()) {
        // Whatever took the folder's name is not what the user chose; a link given as the
        // folder is refused as a mount point is, and never removed in its place.
        if (!expected && (self.attributes & attrSystem))
            result_.topIsLink = true;
        else
            result_.topChanged = true;
        return false;
    }
    pushName(name_);
    OpenedFolder top = platform_.openSubFolder(parent_, name_, path_);
    if (!top.handle.isOpen()) {
        if (top.error != ENOENT) stayed(StayReason::Unreadable, top.error);
        return true;
    }
    const FolderIdentity id = identityOf(top.handle);
    if ((expected && !(id == *expected)) || id.inode != self.inode) {
        result_.topChanged = true;
        return false;
    }
    // A file system mounted on a folder (a bind mount too) is refused like a drive's root.
    if (top.handle.isMountRoot || id.mountId != parent_.mountId || id.device != parent_.device) {
        result_.refused = FolderProtection::DriveRoot;
        return false;
    }
    if (trash_ && id == *trash_) {
        result_.refused = FolderProtection::HoldsTrash;
        return false;
    }
    top_ = id;
    device_ = id.device;
    mountId_ = id.mountId;
    count_.counted = true;
    count_.folderBytes += top.handle.room;
    Frame f;
    f.name = name_;
    f.pathEnd = path_.size();
    f.device = id.device;
    f.inode = id.inode;
    // Asked without "." and "..", which the run has no use for.
    if (const int err = platform_.readFolder(top.handle, true, f.entries); err != 0) {
        stayed(StayReason::Unreadable, err);
        return true;
    }
    f.handle = std::move(top.handle);
    stack_.push_back(std::move(f));
    return true;
}

void TreeWalk::walk() {
    while (!stack_.empty() && !deleteAborted_) {
        Frame& current = stack_.back();
        if (current.next < current.entries.size()) {
            const SearchRecord& e = current.entries[current.next++];
            // A mount point listed on another device, or marked as one, is neither entered nor
            // removed; one that shows neither is told apart when it is opened.
            if (e.device != device_ || e.isMountPoint)
                leftOut();
            else if (e.isDirectory())
                descend(current.handle, e);
            else
                fileStep(current.handle, e);
        } else {
            ascend();
        }
        if (pump_) pump_->poll();
    }
}

// The trash's first pass has counted the tree. When it lies whole on its file system and
// every folder in it was read, it goes to the trash as one entry, renamed relative to the
// folder that holds it. True when that settled the run (sent, or stopped by the user); false
// when it must go file by file, with the tree opened again for that.
bool TreeWalk::trashWhole() {
    walk();
    counting_ = false;
    if (deleteAborted_) {  // the tree moved while it was counted
        result_.completed = false;
        return true;
    }
    if (count_.leftOut > 0) {
        result_.piecemeal = TrashPiecemeal::MountInside;
    } else if (!count_.complete) {
        result_.piecemeal = TrashPiecemeal::FolderNotRead;
    } else {
        for (const Flagged& f : flagged_)
            if (!mayRemove(f.path, f.attributes)) {
                result_.completed = false;
                return true;
            }
        SearchRecord now;
        if (platform_.statEntry(parent_, name_, now) != 0 || now.device != top_.device ||
            now.inode != top_.inode) {
            result_.topChanged = true;
            result_.completed = false;
            return true;
        }
        QByteArray otherTrash;
        const int err = platform_.moveFolderToTrash(parent_, name_, JoinPath(parentPath_, name_),
                                                    count_.bytes + count_.folderBytes, &otherTrash);
        if (err == 0) {
            result_.trashedWhole = true;
            result_.files = asWhole_.files;
            result_.bytes = asWhole_.bytes;
            result_.keptByLinks = asWhole_.keptByLinks;
            result_.usedTrash(otherTrash);
            return true;
        }
        result_.piecemeal = TrashPiecemeal::TrashRefused;
        result_.piecemealError = err;
    }
    flagged_.clear();
    if (!openTop(top_)) {
        result_.completed = false;
        return true;
    }
    return false;
}

// above and entry may belong to the top of the stack: they are used before the push that may
// move it.
void TreeWalk::descend(FolderHandle& above, const SearchRecord& entry) {
    const qsizetype aboveEnd = path_.size();
    pushName(entry.name);
    OpenedFolder child = platform_.openSubFolder(above, entry.name, path_);
    const auto leave = [&] { path_.truncate(aboveEnd); };
    if (!child.handle.isOpen()) {
        // Gone, or replaced by a link, since it was listed: nothing of ours. Anything else
        // keeps its contents out of sight, and that is told.
        if (child.error != ENOENT && child.error != ELOOP && child.error != ENOTDIR)
            stayed(StayReason::Unreadable, child.error);
        return leave();
    }
    const FolderHandle& h = child.handle;
    // Mounted on (a bind mount of this file system has its device but a mount of its own),
    // or the trash itself: left alone. Replaced since it was listed: not ours.
    if (h.isMountRoot || h.device != device_ || h.mountId != mountId_ ||
        (trash_ && identityOf(h) == *trash_)) {
        leftOut();
        return leave();
    }
    if (h.inode != entry.inode) return leave();
    if (counting_) {
        ++count_.folders;
        count_.folderBytes += h.room;
    }
    Frame f;
    f.name = entry.name;
    f.pathEnd = path_.size();
    f.device = h.device;
    f.inode = h.inode;
    if (const int err = platform_.readFolder(child.handle, true, f.entries); err != 0) {
        stayed(StayReason::Unreadable, err);
        return leave();
    }
    f.handle = std::move(child.handle);
    if (stack_.size() >= heldFolders) above = FolderHandle();
    stack_.push_back(std::move(f));
}

void TreeWalk::ascend() {
    Frame done = std::move(stack_.back());
    stack_.pop_back();
    const qsizetype slash = path_.lastIndexOf('/', done.pathEnd - 1);
    path_.truncate(slash == 0 ? 1 : slash);
    FolderHandle& above = stack_.empty() ? parent_ : stack_.back().handle;
    if (!above.isOpen()) {
        Frame& up = stack_.back();
        OpenedFolder reopened = platform_.openSubFolder(done.handle, "..", path_);
        if (!reopened.handle.isOpen() || reopened.handle.device != up.device ||
            reopened.handle.inode != up.inode) {
            // The tree was moved while we were inside it: stop rather than guess.
            deleteAborted_ = true;
            return;
        }
        up.handle = std::move(reopened.handle);
    }
    done.handle = FolderHandle();
    if (counting_) return;
    // Remove only the folder we emptied, not whatever may have taken its name since.
    SearchRecord now;
    if (platform_.statEntry(above, done.name, now) == 0 && now.device == done.device &&
        now.inode == done.inode)
        platform_.removeEntry(above, done.name, true);  // fails quietly when something stayed
}

// Asks about a read-only, hidden or system file before it goes; false when the user keeps
// it, which ends the whole run.
bool TreeWalk::mayRemove(const QByteArray& path, std::uint8_t attributes) {
    for (const AttributeQuestion& q : attributeQuestions) {
        if (!(attributes & q.bit)) continue;
        const QString text = displayPath(path) + QLatin1String(q.text) +
                             QStringLiteral("delete this file and continue deleting other files? ");
        if (!ask_ || !ask_(text, true)) {
            deleteAborted_ = true;
            return false;
        }
    }
    return true;
}

// A file met while counting. Those the deletion would ask about are kept, so that a tree
// going to the trash whole asks the same questions first.
void TreeWalk::countFile(const SearchRecord& entry) {
    ++count_.files;
    asWhole_.removed(entry);
    if (entry.links <= 1 || linkedInodes_.insert(entry.inode).second) count_.bytes += entry.room;
    constexpr int asked = attrReadOnly | attrHidden | attrSystem;
    if (mode_ == Mode::Trash && (entry.attributes & asked))
        flagged_.push_back(Flagged{path_, entry.attributes});
}

void TreeWalk::fileStep(const FolderHandle& folder, const SearchRecord& entry) {
    const qsizetype folderEnd = path_.size();
    pushName(entry.name);
    const auto leave = [&] { path_.truncate(folderEnd); };
    if (counting_) {
        countFile(entry);
        return leave();
    }
    if (!mayRemove(path_, entry.attributes)) return leave();
    // Some file systems (those of other systems, shared over the network) refuse to delete a
    // read-only file; the bit goes back if the file stays after all. A trashed file keeps it.
    const bool sendToBin = mode_ == Mode::Trash;
    bool cleared = false;
    if ((entry.attributes & attrReadOnly) && !sendToBin)
        cleared = platform_.setReadOnly(folder, entry.name, false) == 0;
    // Another name of the file may have gone since the folder was read: its links now tell
    // whether this removal frees its room.
    SearchRecord asRemoved = entry;
    if (entry.links > 1) (void)platform_.statEntry(folder, entry.name, asRemoved);
    QByteArray otherTrash;
    const int err = sendToBin ? platform_.moveToTrash(folder, entry.name, path_, &otherTrash)
                              : platform_.removeEntry(folder, entry.name, false);
    if (err == 0) {
        result_.removed(asRemoved, otherTrash);
    } else if (err != ENOENT) {  // relative to the open folder, ENOENT means it is gone
        stayed(StayReason::Error, err);
        if (cleared) platform_.setReadOnly(folder, entry.name, true);
    }
    leave();
}

}  // namespace

std::optional<FolderIdentity> folderIdentity(const Platform& platform, const QByteArray& path) {
    const OpenedFolder f = platform.openFolder(path);
    if (!f.handle.isOpen()) return std::nullopt;
    return identityOf(f.handle);
}

FolderTreeCount CountFolderTree(const Platform& platform, const QByteArray& path) {
    return TreeWalk(platform, TreeWalk::Mode::Count, nullptr).count(path);
}

QString folderTreeCountText(const FolderTreeCount& c) {
    if (c.isLink)
        return QStringLiteral("This is a symbolic link, not a folder: it will not be deleted.");
    if (!c.counted) return QStringLiteral("What this folder holds could not be counted.");
    QString text =
        (c.complete ? QStringLiteral("It holds ") : QStringLiteral("It holds at least ")) +
        formatThousands(c.files) + QStringLiteral(" files and ") + formatThousands(c.folders) +
        QStringLiteral(" folders (") + formatThousands(c.bytes) +
        QStringLiteral(" bytes on disk).");
    if (!c.complete)
        text +=
            QStringLiteral(" Some folders inside could not be read: the count is not complete.");
    if (c.leftOut > 0)
        text +=
            QStringLiteral(" File systems mounted inside are not counted and stay as they are.");
    return text;
}

FolderTreeResult DeleteFolderTree(const Platform& platform, const QByteArray& path, bool sendToBin,
                                  EventPump* pump, const std::optional<FolderIdentity>& expected,
                                  const AskYesNo& ask) {
    return TreeWalk(platform, sendToBin ? TreeWalk::Mode::Trash : TreeWalk::Mode::Delete, pump, ask)
        .run(path, expected);
}

FolderDeletion DeleteFolder(const Platform& platform, const QByteArray& path, bool sendToBin,
                            EventPump* pump, const std::optional<FolderIdentity>& expected,
                            const AskYesNo& ask) {
    FolderDeletion d;
    if (const FolderProtection why = folderProtection(platform, path);
        why != FolderProtection::None) {
        d.tree.refused = why;
        d.tree.completed = false;
        return d;
    }
    // The folder as it is now, unless the caller knows it from its listing: what the removal
    // below and the tree deletion act on must be that one.
    const std::optional<FolderIdentity> seen = expected ? expected : folderIdentity(platform, path);
    const auto [folder, name] = splitPath(path);
    if (seen && !folder.isEmpty()) {
        const OpenedFolder above = platform.openFolder(folder);
        SearchRecord now;
        if (above.handle.isOpen() && platform.statEntry(above.handle, name, now) == 0 &&
            now.device == seen->device && now.inode == seen->inode &&
            above.handle.mountId == seen->mountId &&
            platform.removeEntry(above.handle, name, true) == 0) {
            d.removedEmpty = true;
            return d;
        }
    }
    d.tree = DeleteFolderTree(platform, path, sendToBin, pump, seen, ask);
    return d;
}

bool RecycleOneFile(const Platform& platform, const QByteArray& path) {
    return platform.moveToTrash(path) == 0;
}

QString otherTrashesNote(const std::vector<QByteArray>& trashes) {
    if (trashes.empty()) return {};
    QStringList shown;
    for (const QByteArray& t : trashes)
        shown << displayPath(t);
    return QStringLiteral("the home trash could not be used: files were sent to the trash in ") +
           shown.join(QStringLiteral(", "));
}

QString keptByLinksNote(std::int64_t files) {
    if (files == 1) return QStringLiteral("1 file keeps another hard link: its room is not freed");
    return formatThousands(files) +
           QStringLiteral(" files keep other hard links: their room is not freed");
}

namespace {

// Why a folder sent to the trash went file by file.
QString piecemealNote(const FolderTreeResult& r) {
    switch (r.piecemeal) {
        case TrashPiecemeal::No:
            return {};
        case TrashPiecemeal::MountInside:
            return QStringLiteral(
                "other file systems are mounted inside the folder, so its files "
                "went to the trash one by one and the mounted ones stayed");
        case TrashPiecemeal::FolderNotRead:
            return QStringLiteral(
                "a folder inside could not be read, so the files went to the "
                "trash one by one");
        case TrashPiecemeal::TrashRefused:
            return QStringLiteral("the trash could not take the folder whole (") +
                   QString::fromLocal8Bit(std::strerror(r.piecemealError)) +
                   QStringLiteral("), so its files went one by one");
    }
    return {};
}

}  // namespace

QString deletionSummary(const FolderTreeResult& r, bool recycledWording) {
    QStringList notes;
    if (r.filesNotRemoved > 0)
        notes << formatThousands(r.filesNotRemoved) + QLatin1Char(' ') +
                     countNoun(r.filesNotRemoved, "file") + QStringLiteral(" could not be deleted");
    if (r.foldersNotRead > 0)
        notes << formatThousands(r.foldersNotRead) + QLatin1Char(' ') +
                     countNoun(r.foldersNotRead, "folder") + QStringLiteral(" could not be read");
    if (r.keptByLinks > 0) notes << keptByLinksNote(r.keptByLinks);
    if (const QString other = otherTrashesNote(r.otherTrashes); !other.isEmpty()) notes << other;
    if (const QString why = piecemealNote(r); !why.isEmpty()) notes << why;
    QString text;
    if (r.files > 0) {
        text = (recycledWording ? QStringLiteral("Recycled ") : QStringLiteral("Deleted ")) +
               formatThousands(r.files) + QLatin1Char(' ') + countNoun(r.files, "file") +
               QStringLiteral(" for a savings of ") + formatThousands(r.bytes) +
               QStringLiteral(" bytes.");
        if (!r.completed) text += deletionCanceledNote;
        for (const QString& n : notes)
            text += QStringLiteral(" (") + n + QLatin1Char(')');
    } else if (!notes.isEmpty()) {
        text = notes.join(QStringLiteral(". ")) + QLatin1Char('.');
        if (!r.completed) text += deletionCanceledNote;
    }
    return text;
}

}  // namespace rk
