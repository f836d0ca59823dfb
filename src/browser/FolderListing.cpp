#include "browser/FolderListing.h"

#include <QHash>
#include <QSignalBlocker>
#include <algorithm>
#include <cerrno>

#include "browser/BrowseColumns.h"
#include "common/Errors.h"
#include "common/FileTypes.h"
#include "common/GridSort.h"
#include "common/ResultGrid.h"
#include "common/ScanRecord.h"
#include "common/TextHelpers.h"
#include "common/TimeHelpers.h"
#include "platform/Platform.h"
#include "platform/SplitPath.h"

namespace rk {

namespace {

bool foldedBefore(QByteArrayView a, QByteArrayView b) {
    const int c = compareFolded(a, b);
    return c != 0 ? c < 0 : a < b;
}

// The texts of a folder's cells repeat: few days, few times of day, few extensions. Sizes
// are all different, and asking the locale for each is most of the cost of a large folder.
class CellTexts {
public:
    CellTexts() {
        // The locale's separator, where it groups by threes as most do; else ask each time.
        const QByteArray sample = formatThousands(1234567).toUtf8();
        const QByteArray sep = sample.mid(1, (sample.size() - 7) / 2);
        if (sample == "1" + sep + "234" + sep + "567")
            separator_ = sep;
        else
            byLocale_ = true;
    }
    void appendSize(QByteArray& out, std::int64_t n) {
        if (byLocale_ || n < 0) {
            out.append(formatThousands(n).toUtf8());
            return;
        }
        char digits[24];
        int count = 0;
        do {
            digits[count++] = char('0' + n % 10);
            n /= 10;
        } while (n > 0);
        for (int i = count - 1; i >= 0; --i) {
            out.append(digits[i]);
            if (i > 0 && i % 3 == 0) out.append(separator_);
        }
    }
    // A name as the record shows it: itself, unless it is not text or would break the record.
    static void appendName(QByteArray& out, const QByteArray& name) {
        const bool plain = QByteArrayView(name).isValidUtf8() && !name.contains('\t') &&
                           !name.contains('\n') && !name.contains('\r');
        out.append(plain ? name : recordText(name).toUtf8());
    }
    const QByteArray& date(PackedTime t) {
        auto it = dates_.find(t >> 16);
        if (it == dates_.end()) it = dates_.insert(t >> 16, fileDateText(t).toUtf8());
        return *it;
    }
    const QByteArray& time(PackedTime t) {
        // No time at all (a date before 1980) reads as noon: it has an entry of its own, apart
        // from midnight's, whose packed time of day is 0 as well.
        const quint32 key = t == 0 ? noTime : t & 0xffff;
        auto it = times_.find(key);
        if (it == times_.end()) it = times_.insert(key, fileTimeText(t).toUtf8());
        return *it;
    }
    const QByteArray& type(const QByteArray& name) {
        const qsizetype dot = name.lastIndexOf('.');
        const QByteArray ext = dot < 0 || dot + 1 == name.size() ? QByteArray() : name.mid(dot);
        auto it = types_.find(ext);
        if (it == types_.end())
            it = types_.insert(
                ext, ext.isEmpty() ? QByteArray() : fileTypeName(QString::fromUtf8(ext)).toUtf8());
        return *it;
    }

private:
    static constexpr quint32 noTime = 0x10000;
    QByteArray separator_;
    bool byLocale_ = false;
    QHash<quint32, QByteArray> dates_;
    QHash<quint32, QByteArray> times_;
    QHash<QByteArray, QByteArray> types_;
};

QHash<QByteArray, QByteArray>& driveFolders() {
    static QHash<QByteArray, QByteArray> folders;
    return folders;
}

}  // namespace

FolderListing listBrowsedFolder(const Platform& platform, const QByteArray& folder,
                                const NamePattern& pattern) {
    FolderListing listing;
    const OpenedFolder opened = platform.openFolder(folder);
    if (!opened.handle.isOpen()) {
        listing.error = opened.error;
        return listing;
    }
    std::vector<SearchRecord> all;
    if (const int err = platform.readFolder(opened.handle, false, all)) {
        listing.error = err;
        return listing;
    }
    for (SearchRecord& r : all) {
        if (r.isDotEntry() || (r.attributes & (attrHidden | attrSystem | attrVolumeLabel)))
            continue;
        if (r.isDirectory())
            listing.subFolders.push_back(std::move(r.name));
        else if (pattern.matches(r.name))
            listing.files.push_back(std::move(r));
    }
    std::sort(
        listing.files.begin(), listing.files.end(),
        [](const SearchRecord& a, const SearchRecord& b) { return foldedBefore(a.name, b.name); });
    std::sort(listing.subFolders.begin(), listing.subFolders.end(), foldedBefore);
    return listing;
}

std::int64_t fillBrowseGrid(ResultGrid& grid, const QByteArray& folder,
                            const std::vector<SearchRecord>& files) {
    grid.clear();
    grid.reserveRows(files.size());
    // The rows come in at once and are filled without a signal each, then a view is told of
    // them in one go: a folder of 100,000 files would otherwise send as many.
    grid.setRowCount(int(files.size()));
    QSignalBlocker quiet(grid);
    CellTexts texts;
    std::int64_t total = 0;
    QByteArray record;
    for (const SearchRecord& f : files) {
        record.truncate(0);
        record.append(texts.date(writeFileTime(f))).append('\t');
        record.append(texts.time(writeFileTime(f))).append('\t');
        record.append(texts.date(accessFileTime(f))).append('\t');
        texts.appendSize(record, f.size);
        record.append('\t');
        CellTexts::appendName(record, f.name);
        record.append('\t');
        record.append(texts.type(f.name));
        grid.addRecordUtf8(record, JoinPath(folder, f.name));
        total += f.size;
    }
    quiet.unblock();
    if (!files.empty())
        emit grid.dataChanged(grid.index(0, 0),
                              grid.index(int(files.size()) - 1, grid.columnCount() - 1));
    // One empty row for a folder without files.
    grid.trim(grid.rowsFilled());
    return total;
}

std::optional<BrowseSort> browseSortNamed(QByteArrayView name) {
    if (name == "name") return BrowseSort::Name;
    if (name == "date") return BrowseSort::Modified;
    if (name == "access") return BrowseSort::Access;
    if (name == "size") return BrowseSort::Size;
    if (name == "type") return BrowseSort::Type;
    return std::nullopt;
}

void sortBrowseGrid(ResultGrid& grid, BrowseSort sort) {
    const int last = grid.rowCount() - 1;
    switch (sort) {
        case BrowseSort::Name:
            SortGridByText(grid, 0, last, false, BrowseColumns::Filename);
            break;
        case BrowseSort::Modified:
            SortGridByDate(grid, 0, last, true, BrowseColumns::Modified);
            break;
        case BrowseSort::Access:
            SortGridByDate(grid, 0, last, true, BrowseColumns::Access);
            break;
        case BrowseSort::Size:
            SortGridByNumber(grid, 0, last, true, BrowseColumns::Size);
            break;
        case BrowseSort::Type:
            SortGridByText(grid, 0, last, false, BrowseColumns::Type);
            break;
    }
}

std::vector<FolderLine> folderLines(const QByteArray& mountPoint, const QByteArray& folder,
                                    const std::vector<QByteArray>& subFolders) {
    std::vector<FolderLine> lines;
    lines.push_back({mountPoint, displayPath(mountPoint), 0, folder == mountPoint});
    if (folder != mountPoint) {
        const QByteArray below =
            folder.mid(mountPoint.endsWith('/') ? mountPoint.size() : mountPoint.size() + 1);
        QByteArray path = mountPoint;
        int depth = 0;
        for (const QByteArray& part : below.split('/')) {
            if (part.isEmpty()) continue;
            path = JoinPath(path, part);
            lines.push_back({path, displayPath(part), ++depth, false});
        }
        lines.back().current = true;
    }
    const int depth = lines.back().depth + 1;
    for (const QByteArray& name : subFolders)
        lines.push_back({JoinPath(folder, name), displayPath(name), depth, false});
    return lines;
}

QByteArray parentFolder(const QByteArray& path) {
    const QByteArray folder = splitPath(path).folder;
    return folder.isEmpty() ? QByteArray("/") : folder;
}

QByteArray driveCurrentFolder(const QByteArray& mountPoint) {
    return driveFolders().value(mountPoint, mountPoint);
}

void rememberDriveFolder(const QByteArray& mountPoint, const QByteArray& folder) {
    driveFolders().insert(mountPoint, folder);
}

namespace {

// Why the listing report's folder could not be listed, in words.
QString listingErrorText(const QByteArray& folder, int error) {
    const QString shown = displayPath(folder);
    switch (error) {
        case ENOENT:
            return QStringLiteral("No such folder: ") + shown;
        case ENOTDIR:  // also a link: the folder itself is opened without following one
            return shown + QStringLiteral(" is not a folder.");
        default:
            return QStringLiteral("Can't read folder %1: %2.").arg(shown, errorWords(error));
    }
}

}  // namespace

int writeFolderListing(const Platform& platform, const QByteArray& folder, const QString& pattern,
                       BrowseSort sort, std::FILE* out, QString& error) {
    const FolderListing listing = listBrowsedFolder(platform, folder, NamePattern(pattern));
    if (listing.error != 0) {
        error = listingErrorText(folder, listing.error);
        return 3;
    }
    if (listing.files.empty()) return 1;
    ResultGrid grid;
    grid.setSchema(BrowseColumns::schema());
    fillBrowseGrid(grid, folder, listing.files);
    if (sort != BrowseSort::Name) sortBrowseGrid(grid, sort);
    QByteArray block;
    for (int r = 0; r < grid.rowCount(); ++r) {
        // The name as the exact bytes of the file, where the grid shows it as other text.
        const QByteArray record = grid.recordOf(r).toUtf8();
        const QByteArray path = grid.pathOf(r);
        const QByteArray name = splitPath(path).name;
        if (recordFieldBytes(record, BrowseColumns::Filename) == name)
            block.append(record);
        else
            block.append(withField(record, BrowseColumns::Filename, name));
        block.append('\n');
        if (block.size() >= 1 << 16) {
            std::fwrite(block.constData(), 1, std::size_t(block.size()), out);
            block.truncate(0);
        }
    }
    std::fwrite(block.constData(), 1, std::size_t(block.size()), out);
    std::fflush(out);
    return 0;
}

}  // namespace rk
