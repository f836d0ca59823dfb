#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/NamePattern.h"
#include "platform/SearchRecord.h"

namespace rk {

class Platform;
class ResultGrid;

// One reading of a browsed folder: everything the browser shows of it comes from this one
// listing, so the grid's sizes and the folder list can never disagree with each other.
struct FolderListing {
    int error = 0;  // the system's error number when the folder could not be read; else 0
    // The ordinary files that match the pattern (no hidden or system entries, no folders),
    // in folded name order; names equal but for letter case in byte order.
    std::vector<SearchRecord> files;
    // The real sub-folders that are not hidden, in the same order. A link to a folder is a
    // system entry and is not among them.
    std::vector<QByteArray> subFolders;
};

// Reads the folder once, without following a link anywhere.
[[nodiscard]] FolderListing listBrowsedFolder(const Platform& platform, const QByteArray& folder,
                                              const NamePattern& pattern);

// Writes one row per listed file into the grid (which keeps its schema): the six cells and
// the exact path of the file. Returns the total of their sizes. A folder without files leaves
// the one empty row of a cleared grid.
std::int64_t fillBrowseGrid(ResultGrid& grid, const QByteArray& folder,
                            const std::vector<SearchRecord>& files);

// The sort items of the browser, in the order its menu lists them.
enum class BrowseSort { Name, Modified, Access, Size, Type };
[[nodiscard]] std::optional<BrowseSort> browseSortNamed(QByteArrayView name);
// Sorts the grid's data rows the way the item does; whole rows move with their marks.
void sortBrowseGrid(ResultGrid& grid, BrowseSort sort);

// A line of the folder list: an ancestor of the shown folder (the drive's mount point
// first), the shown folder itself, or one of its sub-folders.
struct FolderLine {
    QByteArray path;  // exact bytes
    QString text;     // what the line shows
    int depth = 0;    // 0 for the mount point
    bool current = false;
};
// The lines for folder on the drive mounted at mountPoint (which holds it).
[[nodiscard]] std::vector<FolderLine> folderLines(const QByteArray& mountPoint,
                                                  const QByteArray& folder,
                                                  const std::vector<QByteArray>& subFolders);

// The folder above path; "/" for a folder directly below the root.
[[nodiscard]] QByteArray parentFolder(const QByteArray& path);

// A drive's current folder: the last one the browser showed on it during this run, else its
// mount point.
[[nodiscard]] QByteArray driveCurrentFolder(const QByteArray& mountPoint);
void rememberDriveFolder(const QByteArray& mountPoint, const QByteArray& folder);

// The listing report: the grid's six cells per file, tab-separated, in the order of the
// sort. 0 when files were written, 1 for none, 3 when the folder cannot be read: then error
// says what is wrong, in words, for the caller to tell.
int writeFolderListing(const Platform& platform, const QByteArray& folder, const QString& pattern,
                       BrowseSort sort, std::FILE* out, QString& error);

}  // namespace rk
