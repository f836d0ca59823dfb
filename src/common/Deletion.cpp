#include "common/Deletion.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "common/FolderWalk.h"
#include "common/Messages.h"
#include "common/ProtectedFolders.h"
#include "common/Services.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"
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

class TreeDeletion {
public:
    TreeDeletion(const Platform& platform, bool sendToBin, EventPump* pump)
        : platform_(platform), sendToBin_(sendToBin), pump_(pump) {}

    FolderTreeResult run(const QByteArray& path, const std::optional<FolderIdentity>& expected);

private:
    bool openTop(const QByteArray& name, const std::optional<FolderIdentity>& expected);
    void descend(FolderHandle& above, const SearchRecord& entry);
    void ascend();
    void fileStep(const FolderHandle& folder, const SearchRecord& entry);
    void pushName(const QByteArray& name) {
        if (!path_.endsWith('/')) path_ += '/';
        path_ += name;
    }
    void stayed(StayReason reason, int error) {
        result_.stayed.push_back(StayedEntry{path_, reason, error});
        if (reason == StayReason::Unreadable)
            ++result_.foldersNotRead;
        else
            ++result_.filesNotRemoved;
    }

    const Platform& platform_;
    const bool sendToBin_;
    EventPump* pump_;
    FolderTreeResult result_;
    bool deleteAborted_ = false;
    std::uint64_t device_ = 0;             // the file system of the tree
    std::uint64_t mountId_ = 0;            // and its mount: nothing on another one is touched
    std::optional<FolderIdentity> trash_;  // the home trash, never entered
    QByteArray path_;                      // the full path of where the run is
    FolderHandle parent_;                  // the folder that holds the tree
    std::vector<Frame> stack_;
};

FolderTreeResult TreeDeletion::run(const QByteArray& path,
                                   const std::optional<FolderIdentity>& expected) {
    QByteArray p = path;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf('/');
    const QByteArray name = p.mid(slash + 1);
    if (slash < 0 || name.isEmpty() || name == "." || name == "..") {
        result_.completed = false;
        return result_;
    }
    if (const FolderProtection why = folderProtection(p); why != FolderProtection::None) {
        result_.refused = why;
        result_.completed = false;
        return result_;
    }
    path_ = platform_.realPath(slash == 0 ? QByteArray("/") : p.left(slash));
    if (path_.isEmpty()) return result_;  // already gone
    OpenedFolder holder = platform_.openFolder(path_);
    if (!holder.handle.isOpen()) return result_;
    parent_ = std::move(holder.handle);
    if (const OpenedFolder t = platform_.openFolder(Trash::homeTrashPath()); t.handle.isOpen())
        trash_ = identityOf(t.handle);

    if (!openTop(name, expected)) {
        result_.completed = false;
        return result_;
    }
    while (!stack_.empty() && !deleteAborted_) {
        Frame& current = stack_.back();
        if (current.next < current.entries.size()) {
            const SearchRecord& e = current.entries[current.next++];
            // A mount point listed on another device is neither entered nor removed; one of
            // the same device is told apart when it is opened.
            if (e.device == device_) {
                if (e.isDirectory())
                    descend(current.handle, e);
                else
                    fileStep(current.handle, e);
            }
        } else {
            ascend();
        }
        if (pump_) pump_->poll();
    }
    if (deleteAborted_) result_.completed = false;
    return result_;
}

// Opens the folder to delete once, from the folder above it, and makes it the first level.
// False when the run must not go on.
bool TreeDeletion::openTop(const QByteArray& name, const std::optional<FolderIdentity>& expected) {
    SearchRecord self;
    if (platform_.statEntry(parent_, name, self) != 0) return true;  // already gone
    if (!self.isDirectory()) {
        if (expected) {
            result_.topChanged = true;
            return false;
        }
        // A link (or anything else) given as the folder is removed as it is.
        fileStep(parent_, self);
        return true;
    }
    pushName(name);
    OpenedFolder top = platform_.openSubFolder(parent_, name, path_);
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
    device_ = id.device;
    mountId_ = id.mountId;
    Frame f;
    f.name = name;
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

// above and entry may belong to the top of the stack: they are used before the push that may
// move it.
void TreeDeletion::descend(FolderHandle& above, const SearchRecord& entry) {
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
    // or replaced since it was listed, or the trash itself: left alone.
    if (h.isMountRoot || h.device != device_ || h.mountId != mountId_ || h.inode != entry.inode ||
        (trash_ && identityOf(h) == *trash_))
        return leave();
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

void TreeDeletion::ascend() {
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
    // Remove only the folder we emptied, not whatever may have taken its name since.
    SearchRecord now;
    if (platform_.statEntry(above, done.name, now) == 0 && now.device == done.device &&
        now.inode == done.inode)
        platform_.removeEntry(above, done.name, true);  // fails quietly when something stayed
}

void TreeDeletion::fileStep(const FolderHandle& folder, const SearchRecord& entry) {
    const qsizetype folderEnd = path_.size();
    pushName(entry.name);
    for (const AttributeQuestion& q : attributeQuestions) {
        if (!(entry.attributes & q.bit)) continue;
        const QString text = displayPath(path_) + QLatin1String(q.text) +
                             QStringLiteral("delete this file and continue deleting other files? ");
        if (Confirm(text, ButtonYes | ButtonNo | ButtonCancel, ButtonNo) != ButtonYes) {
            deleteAborted_ = true;
            path_.truncate(folderEnd);
            return;
        }
    }
    // Some file systems (those of other systems, shared over the network) refuse to delete a
    // read-only file; the bit goes back if the file stays after all. A trashed file keeps it.
    bool cleared = false;
    if ((entry.attributes & attrReadOnly) && !sendToBin_)
        cleared = platform_.setReadOnly(folder, entry.name, false) == 0;
    // Another name of the file may have gone since the folder was read: its links now tell
    // whether this removal frees its room.
    SearchRecord asRemoved = entry;
    if (entry.links > 1) (void)platform_.statEntry(folder, entry.name, asRemoved);
    QByteArray otherTrash;
    const int err = sendToBin_ ? platform_.moveToTrash(folder, entry.name, path_, &otherTrash)
                               : platform_.removeEntry(folder, entry.name, false);
    if (err == 0) {
        result_.removed(asRemoved, otherTrash);
    } else if (err != ENOENT) {  // relative to the open folder, ENOENT means it is gone
        stayed(StayReason::Error, err);
        if (cleared) platform_.setReadOnly(folder, entry.name, true);
    }
    path_.truncate(folderEnd);
}

}  // namespace

std::optional<FolderIdentity> folderIdentity(const QByteArray& path) {
    const OpenedFolder f = platform().openFolder(path);
    if (!f.handle.isOpen()) return std::nullopt;
    return identityOf(f.handle);
}

FolderTreeResult DeleteFolderTree(const QByteArray& path, bool sendToBin, EventPump* pump,
                                  const std::optional<FolderIdentity>& expected) {
    return TreeDeletion(platform(), sendToBin, pump).run(path, expected);
}

FolderDeletion DeleteFolder(const QByteArray& path, bool sendToBin, EventPump* pump,
                            const std::optional<FolderIdentity>& expected) {
    FolderDeletion d;
    if (const FolderProtection why = folderProtection(path); why != FolderProtection::None) {
        d.tree.refused = why;
        d.tree.completed = false;
        return d;
    }
    // The folder as it is now, unless the caller knows it from its listing: what the removal
    // below and the tree deletion act on must be that one.
    const std::optional<FolderIdentity> seen = expected ? expected : folderIdentity(path);
    QByteArray p = path;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf('/');
    if (seen && slash >= 0) {
        const OpenedFolder above =
            platform().openFolder(slash == 0 ? QByteArray("/") : p.left(slash));
        const QByteArray name = p.mid(slash + 1);
        SearchRecord now;
        if (above.handle.isOpen() && platform().statEntry(above.handle, name, now) == 0 &&
            now.device == seen->device && now.inode == seen->inode &&
            above.handle.mountId == seen->mountId &&
            platform().removeEntry(above.handle, name, true) == 0) {
            d.removedEmpty = true;
            return d;
        }
    }
    d.tree = DeleteFolderTree(path, sendToBin, pump, seen);
    return d;
}

bool RecycleOneFile(const QByteArray& path) {
    return platform().moveToTrash(path) == 0;
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

QString deletionSummary(const FolderTreeResult& r, bool recycledWording) {
    QStringList notes;
    if (r.filesNotRemoved > 0)
        notes << formatThousands(r.filesNotRemoved) + QStringLiteral(" files could not be deleted");
    if (r.foldersNotRead > 0)
        notes << formatThousands(r.foldersNotRead) + QStringLiteral(" folders could not be read");
    if (r.keptByLinks > 0) notes << keptByLinksNote(r.keptByLinks);
    if (const QString other = otherTrashesNote(r.otherTrashes); !other.isEmpty()) notes << other;
    QString text;
    if (r.files > 0) {
        text = (recycledWording ? QStringLiteral("Recycled ") : QStringLiteral("Deleted ")) +
               formatThousands(r.files) + QStringLiteral(" files for a savings of ") +
               formatThousands(r.bytes) + QStringLiteral(" bytes.");
        if (!r.completed) text += deletionCanceledNote;
        for (const QString& n : notes)
            text += QStringLiteral(" (") + n + QLatin1Char(')');
    } else if (!notes.isEmpty()) {
        text = notes.join(QStringLiteral(". ")) + QLatin1Char('.');
        if (!r.completed) text += deletionCanceledNote;
    }
    return text;
}

void ShowDeletionSummary(const FolderTreeResult& r, bool recycledWording, const QString& rootText) {
    if (r.refused != FolderProtection::None) {
        ShowError(protectionText(r.refused, rootText));
        return;
    }
    if (r.topChanged) {
        ShowError(
            QStringLiteral("The folder has changed since it was listed. Nothing was deleted."));
        return;
    }
    const QString text = deletionSummary(r, recycledWording);
    if (text.isEmpty()) return;
    if (r.files > 0)
        ShowInfo(text);
    else
        ShowError(text);
}

}  // namespace rk
