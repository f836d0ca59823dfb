#include "duplicates/DupScan.h"

#include <QFile>
#include <algorithm>

#include "common/DriveWalk.h"
#include "common/Drives.h"
#include "common/FileTypes.h"
#include "common/Messages.h"
#include "common/SearchPath.h"
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

QString sizeInKText(std::int64_t bytes) {
    return QString::number(bytes / 1024).rightJustified(5, QLatin1Char(' ')) + QStringLiteral(" K");
}

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
    collected_.clear();
    listed_.clear();
    skipped_ = 0;
    abort = false;
    ScanAllDrives(query.sizeLimitKb);
    if (query.duplicates)
        addDups(query.exact);
    else
        reSort();
}

void DupScan::ScanAllDrives(int sizeLimitKb) {
    for (const Drive& drive : query_.drives) {
        if (!IsDriveReady(drive.caption())) continue;
        scan_dir(drive, sizeLimitKb);
    }
}

void DupScan::scan_dir(const Drive& drive, int sizeLimitKb) {
    FolderWalk walk(platform_, abort, pump_);
    walk.showFolder = showFolder;
    const WalkResult result = walkDrive(walk, drive, WalkSettings{true},
                                        [&](const FolderVisit& v) { scanfiles(v, sizeLimitKb); });
    skipped_ += result.skippedFolders;
}

void DupScan::scanfiles(const FolderVisit& folder, int sizeLimitKb) {
    if (abort) return;
    if (showFolder) showFolder(folder.text);
    const NamePattern pattern(query_.pattern);
    const std::int64_t limit = std::int64_t(sizeLimitKb) * 1024;
    // The folder's part of every record: its path with "/", and the search-path marker.
    const QString folderText = recordText(folder.path);
    const QString slashed =
        folderText.endsWith(QLatin1Char('/')) ? folderText : folderText + QLatin1Char('/');
    const bool onSearchPath = IsOnSearchPath(folderText);
    const QString marker = onSearchPath ? searchPathMarker : QString();
    const bool folderShownExactly = showsBytesAsTheyAre(folder.path, folderText);
    for (const SearchRecord& e : folder.entries) {
        if (abort) return;
        if (pump_) pump_->poll();
        if (e.isDotEntry() || !includedBy(includeDupFiles, e.attributes) ||
            (e.attributes & attrDirectory) || e.size <= limit || !pattern.matches(e.name))
            continue;
        if (collected_.size() >= collectLimit) {
            ShowWarning(
                QStringLiteral("Due to Windows resource limitations ... cannot process "
                               "any more files.\n\nTry increasing the file size limits "
                               "or file match and re-scan."));
            abort = true;
            return;
        }
        const QString name = recordText(e.name);
        const PackedTime written = e.time;
        const PackedTime accessed = packFileTime(e.raw.access);
        const QString ext = extensionOf(name).toLower();
        auto type = typeNames_.find(ext);
        if (type == typeNames_.end()) type = typeNames_.insert(ext, fileTypeName(ext));
        const QString size = sizeInKText(e.size);
        const QChar tab = QLatin1Char('\t');
        QString record;
        if (query_.duplicates) {
            record = name.leftJustified(14, QLatin1Char(' ')) + tab + size + tab +
                     times_.date(written) + tab + times_.time(written) + tab +
                     times_.date(accessed) + tab + slashed + marker + tab + *type;
        } else {
            record = size + tab + times_.date(written) + tab + times_.time(written) + tab +
                     times_.date(accessed) + tab + slashed + name + marker + tab + *type;
        }
        const bool nameShownExactly =
            showsBytesAsTheyAre(e.name, name) && !name.endsWith(QLatin1Char(' '));
        collected_.emplace_back(
            record.toUtf8(), e.size / 1024,
            folderShownExactly && nameShownExactly ? QByteArray() : JoinPath(folder.path, e.name));
    }
}

void DupScan::addDups(bool exact) {
    sortFolded(collected_);
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
    collected_.clear();
    collected_.shrink_to_fit();
}

void DupScan::reSort() {
    rankLargestFirst(collected_);
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
