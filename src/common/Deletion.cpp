#include "common/Deletion.h"

#include <cerrno>
#include <vector>

#include "common/FolderWalk.h"
#include "common/Messages.h"
#include "common/ProtectedFolders.h"
#include "common/Services.h"
#include "common/TextHelpers.h"
#include "platform/Platform.h"

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

// One folder on the current path, with its listing read once.
struct Frame {
    QByteArray path;  // full path: for the questions, and for the platform's test seams
    QByteArray name;  // its name in the folder above
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

    FolderTreeResult run(const QByteArray& path);

private:
    void descend(FolderHandle& above, const QByteArray& abovePath, const SearchRecord& entry);
    void ascend();
    void fileStep(const FolderHandle& folder, const QByteArray& folderPath,
                  const SearchRecord& entry);

    const Platform& platform_;
    const bool sendToBin_;
    EventPump* pump_;
    FolderTreeResult result_;
    bool deleteAborted_ = false;
    std::uint64_t device_ = 0;  // the file system of the tree; nothing on another is touched
    FolderHandle top_;          // the folder that holds the tree
    std::vector<Frame> stack_;
};

FolderTreeResult TreeDeletion::run(const QByteArray& path) {
    QByteArray p = path;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf('/');
    const QByteArray name = p.mid(slash + 1);
    if (slash < 0 || name.isEmpty() || name == "." || name == ".." ||
        folderProtection(p) != FolderProtection::None) {
        result_.completed = false;
        return result_;
    }
    const QByteArray above = platform_.realPath(slash == 0 ? QByteArray("/") : p.left(slash));
    if (above.isEmpty()) return result_;
    OpenedFolder holder = platform_.openFolder(above);
    if (!holder.handle.isOpen()) return result_;
    top_ = std::move(holder.handle);

    SearchRecord self;
    if (platform_.statEntry(top_, name, self) != 0) return result_;  // already gone
    device_ = self.device;
    if (!self.isDirectory()) {
        // A link (or anything else) given as the folder is removed as it is.
        fileStep(top_, above, self);
    } else {
        descend(top_, above, self);
        while (!stack_.empty() && !deleteAborted_) {
            Frame& current = stack_.back();
            if (current.next < current.entries.size()) {
                const SearchRecord& e = current.entries[current.next++];
                // A mount point belongs to another drive: neither entered nor removed.
                if (!e.isDotEntry() && e.device == device_) {
                    if (e.isDirectory())
                        descend(current.handle, current.path, e);
                    else
                        fileStep(current.handle, current.path, e);
                }
            } else {
                ascend();
            }
            if (pump_) pump_->poll();
        }
    }
    if (deleteAborted_) result_.completed = false;
    return result_;
}

// above, abovePath and entry may belong to the top of the stack: they are used before the push
// that may move it.
void TreeDeletion::descend(FolderHandle& above, const QByteArray& abovePath,
                           const SearchRecord& entry) {
    QByteArray path = JoinPath(abovePath, entry.name);
    OpenedFolder child = platform_.openSubFolder(above, entry.name, path);
    // Gone, replaced by a link, or mounted on since it was listed: left alone.
    if (!child.handle.isOpen() || child.handle.device != device_ ||
        child.handle.inode != entry.inode)
        return;
    Frame f;
    f.path = std::move(path);
    f.name = entry.name;
    f.device = child.handle.device;
    f.inode = child.handle.inode;
    // An unreadable folder is left as it is; its removal then fails quietly.
    if (platform_.readFolder(child.handle, false, f.entries) != 0) f.entries.clear();
    f.handle = std::move(child.handle);
    if (stack_.size() >= heldFolders) above = FolderHandle();
    stack_.push_back(std::move(f));
}

void TreeDeletion::ascend() {
    Frame done = std::move(stack_.back());
    stack_.pop_back();
    FolderHandle& above = stack_.empty() ? top_ : stack_.back().handle;
    if (!above.isOpen()) {
        Frame& up = stack_.back();
        OpenedFolder reopened = platform_.openSubFolder(done.handle, "..", up.path);
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

void TreeDeletion::fileStep(const FolderHandle& folder, const QByteArray& folderPath,
                            const SearchRecord& entry) {
    for (const AttributeQuestion& q : attributeQuestions) {
        if (!(entry.attributes & q.bit)) continue;
        const QString text = displayPath(JoinPath(folderPath, entry.name)) + QLatin1String(q.text) +
                             QStringLiteral("delete this file and continue deleting other files? ");
        if (Confirm(text, ButtonYes | ButtonNo | ButtonCancel, ButtonNo) != ButtonYes) {
            deleteAborted_ = true;
            return;
        }
    }
    // Some file systems (those of other systems, shared over the network) refuse to delete a
    // read-only file; the bit goes back if the file stays after all. A trashed file keeps it.
    bool cleared = false;
    if ((entry.attributes & attrReadOnly) && !sendToBin_)
        cleared = platform_.setReadOnly(folder, entry.name, false) == 0;
    const int err = sendToBin_ ? platform_.moveToTrash(folder, entry.name)
                               : platform_.removeEntry(folder, entry.name, false);
    if (err == 0) {
        ++result_.files;
        result_.bytes += entry.size;
    } else if (err != ENOENT) {
        ++result_.filesNotRemoved;
        if (cleared) platform_.setReadOnly(folder, entry.name, true);
    }
}

}  // namespace

FolderTreeResult DeleteFolderTree(const QByteArray& path, bool sendToBin, EventPump* pump) {
    return TreeDeletion(platform(), sendToBin, pump).run(path);
}

FolderDeletion DeleteFolder(const QByteArray& path, bool sendToBin, EventPump* pump) {
    FolderDeletion d;
    if (folderProtection(path) != FolderProtection::None) {
        d.tree.completed = false;
        return d;
    }
    if (platform().removeEmptyFolder(path) == 0) {
        d.removedEmpty = true;
        return d;
    }
    d.tree = DeleteFolderTree(path, sendToBin, pump);
    return d;
}

bool RecycleOneFile(const QByteArray& path) {
    return platform().moveToTrash(path) == 0;
}

QString deletionSummary(const FolderTreeResult& r, bool recycledWording) {
    const QString stayed =
        formatThousands(r.filesNotRemoved) + QStringLiteral(" files could not be deleted");
    QString text;
    if (r.files > 0) {
        text = (recycledWording ? QStringLiteral("Recycled ") : QStringLiteral("Deleted ")) +
               formatThousands(r.files) + QStringLiteral(" files for a savings of ") +
               formatThousands(r.bytes) + QStringLiteral(" bytes.");
        if (!r.completed) text += deletionCanceledNote;
        if (r.filesNotRemoved > 0) text += QStringLiteral(" (") + stayed + QLatin1Char(')');
    } else if (r.filesNotRemoved > 0) {
        text = stayed + QLatin1Char('.');
        if (!r.completed) text += deletionCanceledNote;
    }
    return text;
}

void ShowDeletionSummary(const FolderTreeResult& r, bool recycledWording) {
    const QString text = deletionSummary(r, recycledWording);
    if (text.isEmpty()) return;
    if (r.files > 0)
        ShowInfo(text);
    else
        ShowError(text);
}

}  // namespace rk
