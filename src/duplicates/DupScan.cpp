#include "duplicates/DupScan.h"

#include <QFile>
#include <algorithm>

#include "common/DriveWalk.h"
#include "common/Drives.h"
#include "common/FileTypes.h"
#include "common/Messages.h"
#include "common/SearchPath.h"
#include "common/SortWithEvents.h"
#include "common/TextHelpers.h"

namespace rk {

namespace {

const QString searchPathMarker = QStringLiteral("*(SEARCHPATH)*");
constexpr int includeDupFiles = 41;  // ordinary, read-only and archive files

// The record's first field, or its first two fields joined, as the grouping key.
QByteArrayView dupKey(QByteArrayView record, bool exact) {
    const qsizetype tab = record.indexOf('\t');
    if (tab < 0) return record;
    if (!exact) return QByteArrayView(record.constData(), tab);
    const qsizetype tab2 = record.indexOf('\t', tab + 1);
    return QByteArrayView(record.constData(), tab2 < 0 ? record.size() : tab2);
}

// Fields hold no tabs, so comparing the keys with the tab between field 1 and field 2 is
// comparing both fields.
bool sameKey(QByteArrayView a, QByteArrayView b) {
    return compareFolded(a, b) == 0;
}

// Whether a record's text gives back these exact bytes: decodable, nothing replaced, and
// nothing that reading the path back out of the record would cut off.
bool showsBytesAsTheyAre(const QByteArray& bytes, const QString& shown) {
    return recordShowsExactly(bytes, shown) && !shown.endsWith(searchPathMarker);
}

}  // namespace

QString KiloToMega(int sizeLimitKb) {
    if (sizeLimitKb < 1000) return QStringLiteral("KB (%1 bytes)").arg(qint64(sizeLimitKb) * 1024);
    const double megs = (sizeLimitKb / 100) * 0.1;
    return QStringLiteral("KB (%1 Meg)").arg(megs, 4, 'f', 1);
}

QString extensionOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

DupScan::DupScan(const Platform& platform, EventPump* pump) : platform_(platform), pump_(pump) {}

void DupScan::run(const DupQuery& query) {
    query_ = query;
    pattern_ = NamePattern(query.pattern);
    collected_.clear();
    candidates_.clear();
    folders_.clear();
    listed_.clear();
    skipped_ = 0;
    unopened_ = 0;
    abort = false;
    ScanAllDrives(query.sizeLimitKb);
    if (query.duplicates)
        addDups(query.exact);
    else
        reSort();
}

void DupScan::ScanAllDrives(int sizeLimitKb) {
    const SearchDrives search = distinctDrives(platform_, query_.drives);
    otherRoots_ = search.roots;
    for (const Drive& drive : search.drives) {
        if (!IsDriveReady(drive.caption())) continue;
        scan_dir(drive, sizeLimitKb);
    }
}

void DupScan::scan_dir(const Drive& drive, int sizeLimitKb) {
    // The status shows each folder as the walk goes into it, the step lists its files.
    struct Sink : WalkSink {
        DupScan& scan;
        int limitKb;
        Sink(DupScan& s, int kb) : scan(s), limitKb(kb) {}
        void enterFolder(const FolderVisit& v) override {
            if (scan.showFolder) scan.showFolder(v.text());
        }
        void folderStep(const FolderVisit& v) override { scan.scanfiles(v, limitKb); }
    } sink(*this, sizeLimitKb);
    FolderWalk walk(platform_, abort, pump_);
    walk.otherRoots = otherRoots_;
    const WalkResult result = walkDrive(walk, drive, WalkSettings{true}, sink);
    skipped_ += result.skippedFolders;
    if (!result.rootOpened && !result.aborted) ++unopened_;
}

void DupScan::scanfiles(const FolderVisit& folder, int sizeLimitKb) {
    if (abort) return;
    if (showFolder) showFolder(folder.text());
    const std::int64_t limit = std::int64_t(sizeLimitKb) * 1024;
    bool folderAdded = false;
    for (const SearchRecord& e : folder.entries) {
        if (abort) return;
        if (pump_) pump_->poll();
        if (e.isDotEntry() || !includedBy(includeDupFiles, e.attributes) ||
            (e.attributes & attrDirectory) || e.size <= limit || !pattern_.matches(e.name))
            continue;
        if (candidates_.size() + collected_.size() >= collectLimit) {
            ShowWarning(
                QStringLiteral("Due to Windows resource limitations ... cannot process "
                               "any more files.\n\nTry increasing the file size limits "
                               "or file match and re-scan."));
            abort = true;
            return;
        }
        if (!folderAdded) {
            // The folder's part of every record: its path with "/" and the search-path marker.
            FolderPart f;
            f.path = folder.path;
            f.path.squeeze();  // its own exact copy: the walk's buffer goes on changing
            const QString text = recordText(folder.path);
            f.slashed = text.endsWith(QLatin1Char('/')) ? text : text + QLatin1Char('/');
            if (IsOnSearchPath(text)) f.marker = searchPathMarker;
            f.shownExactly = showsBytesAsTheyAre(folder.path, text);
            folders_.push_back(std::move(f));
            folderAdded = true;
        }
        Candidate c;
        c.name = e.name;
        c.size = e.size;
        c.written = e.time;
        c.accessed = packFileTime(e.raw.access);
        c.device = e.device;
        c.inode = e.inode;
        c.folder = std::uint32_t(folders_.size() - 1);
        if (query_.duplicates) {
            // Only files that turn out to have a partner get a whole record, after the walk.
            c.key = recordText(e.name).leftJustified(14, QLatin1Char(' ')).toUtf8();
            candidates_.push_back(std::move(c));
        } else {
            collected_.push_back(makeRecord(c));
        }
    }
    // A file hog's record is written at once, so its folder is not needed any more.
    if (!query_.duplicates) folders_.clear();
}

ScanRecord DupScan::makeRecord(const Candidate& c) {
    const FolderPart& folder = folders_[c.folder];
    const QString name = recordText(c.name);
    const QString ext = extensionOf(name).toLower();
    auto type = typeNames_.find(ext);
    if (type == typeNames_.end()) type = typeNames_.insert(ext, fileTypeName(ext));
    const QString size = sizeInKText(c.size);
    const QChar tab = QLatin1Char('\t');
    QString record;
    if (query_.duplicates) {
        record = name.leftJustified(14, QLatin1Char(' ')) + tab + size + tab +
                 times_.date(c.written) + tab + times_.time(c.written) + tab +
                 times_.date(c.accessed) + tab + folder.slashed + folder.marker + tab + *type;
    } else {
        record = size + tab + times_.date(c.written) + tab + times_.time(c.written) + tab +
                 times_.date(c.accessed) + tab + folder.slashed + name + folder.marker + tab +
                 *type;
    }
    const bool nameShownExactly =
        showsBytesAsTheyAre(c.name, name) && !name.endsWith(QLatin1Char(' '));
    return ScanRecord(record.toUtf8(), folder.shownExactly && nameShownExactly
                                           ? QByteArray()
                                           : JoinPath(folder.path, c.name));
}

void DupScan::addDups(bool exact) {
    // Files without a partner are dropped before any record is written: group the
    // candidates by their key (the padded name, with Exact also the size in K).
    std::vector<std::uint32_t> order(candidates_.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = std::uint32_t(i);
    const auto compareKeys = [&](std::uint32_t a, std::uint32_t b) {
        const int byName = compareFolded(candidates_[a].key, candidates_[b].key);
        if (byName != 0 || !exact) return byName;
        const std::int64_t ka = candidates_[a].size / 1024;
        const std::int64_t kb = candidates_[b].size / 1024;
        return ka == kb ? 0 : (ka < kb ? -1 : 1);
    };
    sortWithEvents(
        order.begin(), order.end(),
        [&](std::uint32_t a, std::uint32_t b) {
            // Ties in walk order, so which name of a file stays listed does not vary.
            const int order = compareKeys(a, b);
            return order != 0 ? order < 0 : a < b;
        },
        pump_);
    for (std::size_t i = 0; i < order.size();) {
        std::size_t j = i + 1;
        while (j < order.size() && compareKeys(order[i], order[j]) == 0)
            ++j;
        // One file is never its own duplicate: a second name or path of the same file
        // (device and inode) is left out of the group.
        std::vector<std::size_t> distinct;
        for (std::size_t k = i; k < j; ++k) {
            const Candidate& c = candidates_[order[k]];
            const bool seen = std::any_of(distinct.begin(), distinct.end(), [&](std::size_t d) {
                const Candidate& o = candidates_[order[d]];
                return o.device == c.device && o.inode == c.inode;
            });
            if (!seen) distinct.push_back(k);
        }
        if (distinct.size() >= 2)
            for (const std::size_t k : distinct)
                collected_.push_back(makeRecord(candidates_[order[k]]));
        i = j;
    }
    candidates_ = {};

    // The groups in the order of the records, as a sorted list of them holds them.
    sortFolded(collected_, pump_);
    const std::size_t count = collected_.size();
    std::size_t i = 0;
    while (i + 1 < count) {
        const QByteArrayView key = dupKey(collected_[i].text(), exact);
        std::size_t j = i + 1;
        while (j < count && sameKey(dupKey(collected_[j].text(), exact), key)) {
            if (j == i + 1) listed_.push_back(std::move(collected_[i]));
            listed_.push_back(std::move(collected_[j]));
            ++j;
        }
        i = j;
    }
    collected_ = {};
}

void DupScan::reSort() {
    rankLargestFirst(collected_, pump_);
    listed_ = std::move(collected_);
    collected_ = {};
}

QByteArray DupScan::pathOf(const DupRecord& record) const {
    if (QByteArray exact = record.exactPath(); !exact.isEmpty()) return exact;
    const QString text = QString::fromUtf8(record.text());
    QString path;
    if (query_.duplicates) {
        QString folder = tabField(text, 6);
        if (folder.endsWith(searchPathMarker)) folder.chop(searchPathMarker.size());
        QString name = tabField(text, 1);
        while (name.endsWith(QLatin1Char(' ')))
            name.chop(1);  // the padding
        path = folder + name;
    } else {
        path = tabField(text, 5);
        if (path.endsWith(searchPathMarker)) path.chop(searchPathMarker.size());
    }
    return path.toUtf8();
}

}  // namespace rk
