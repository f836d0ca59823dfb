#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

namespace rk {

class FolderHandle;
class OpenedFile;

// Making one file's contents serve two names: the ways the duplicate search frees the room of
// a copy without removing its name. Behind one object, so a test can refuse any step.
class FileLinks {
public:
    virtual ~FileLinks() = default;

    // Makes going's data share kept's extents, from start to end, through the kernel's
    // deduplication call: it compares the bytes itself under lock and shares nothing where
    // they differ. Names, permissions, owners and times stay, and each file stays writable on
    // its own. The bytes the kernel deduplicated, or -errno: -EBADE where the contents
    // differ, -EOPNOTSUPP (or -EINVAL) where the file system cannot share extents.
    [[nodiscard]] virtual std::int64_t shareExtents(const OpenedFile& kept,
                                                    const OpenedFile& going) const;
    // Whether the file system would share data between the two files, asked without sharing
    // any: 0, or the error shareExtents would give (EXDEV, EOPNOTSUPP, ...).
    [[nodiscard]] virtual int canShare(const OpenedFile& kept, const OpenedFile& going) const;
    // Gives the file named keptName in keptFolder one more name, name in folder; a link is
    // linked as the link. 0 or the system's error number (EEXIST when name is taken).
    virtual int linkAs(const FolderHandle& keptFolder, const QByteArray& keptName,
                       const FolderHandle& folder, const QByteArray& name) const;
    // Puts from in the place of to within folder in one step: no moment without a file named
    // to. 0 or the system's error number.
    virtual int renameOver(const FolderHandle& folder, const QByteArray& from,
                           const QByteArray& to) const;
    // The free space of the file system holding path, in bytes, as statvfs reports it to
    // the user; settle first writes out what the file system holds, so that room given back
    // by a change is counted. Empty when it cannot be read.
    [[nodiscard]] virtual std::optional<std::int64_t> freeSpace(const QByteArray& path,
                                                                bool settle) const;
};

}  // namespace rk
