#include "duplicates/DupScan.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>

#include "common/DriveWalk.h"
#include "common/Drives.h"
#include "common/FileTypes.h"
#include "common/ScanJob.h"
#include "common/SearchPath.h"
#include "common/SortWithEvents.h"
#include "common/TextHelpers.h"
#include "duplicates/DupColumns.h"
#include "platform/SplitPath.h"

namespace rk {

namespace {

const QString searchPathMarker = QStringLiteral("*(SEARCHPATH)*");
constexpr char searchPathMarkerBytes[] = "*(SEARCHPATH)*";
constexpr int includeDupFiles = 41;  // ordinary, read-only and archive files
// How many entries compared by their texts are sorted between two turns of the window.
constexpr std::size_t textPiece = 2048;

// Gives the window its turns through work of many small steps (files passed, records written),
// reading the clock once in a thousand of them.
class Turns {
public:
    explicit Turns(EventPump* pump) : pump_(pump) {}
    void operator()(std::size_t steps = 1) {
        passed_ += steps;
        if (passed_ < 1024) return;
        passed_ = 0;
        if (pump_) pump_->poll();
    }

private:
    EventPump* pump_;
    std::size_t passed_ = 0;
};

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

// Most names are printable ASCII, which a record shows as they are: no text conversion.
bool isPlainAscii(const QByteArray& name) {
    return std::all_of(name.begin(), name.end(), [](char ch) {
        return static_cast<unsigned char>(ch) >= 0x20 && static_cast<unsigned char>(ch) < 0x7f;
    });
}

// A size in K as sizeInKText writes it: whole K, right-aligned to five places.
struct KilobyteText {
    char text[32];
    qsizetype length;
    explicit KilobyteText(std::uint64_t kilobytes) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, kilobytes).ptr;
        const auto count = qsizetype(end - digits);
        const qsizetype pad = count < 5 ? 5 - count : 0;
        std::memset(text, ' ', std::size_t(pad));
        std::memcpy(text + pad, digits, std::size_t(count));
        std::memcpy(text + pad + count, " K", 2);
        length = pad + count + 2;
    }
    [[nodiscard]] QByteArrayView view() const { return {text, length}; }
};

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

void searchDupDrives(const Platform& platform, const std::vector<Drive>& drives, const bool& abort,
                     EventPump* pump, const std::function<void(const QString&)>& showFolder,
                     const FolderStep& step, SearchOutcome& outcome) {
    // The status shows each folder as the walk goes into it, the step lists its files.
    struct Sink : WalkSink {
        const std::function<void(const QString&)>& show;
        const FolderStep& step;
        Sink(const std::function<void(const QString&)>& sh, const FolderStep& st)
            : show(sh), step(st) {}
        void enterFolder(const FolderVisit& v) override {
            if (show) show(v.text());
        }
        void folderStep(const FolderVisit& v) override { step(v); }
    } sink(showFolder, step);
    searchDrives(platform, drives, WalkSettings{true}, sink, abort, pump, outcome);
}

QString listFullText() {
    return QStringLiteral(
        "The list holds the most rows the program keeps ... cannot process any "
        "more files.\n\nTry increasing the file size limits or file match and "
        "re-scan.");
}

DupFolder DupFolder::of(const QByteArray& path, bool asText) {
    DupFolder f;
    f.path = path;
    f.path.squeeze();  // its own exact copy: the walk's buffer goes on changing
    const QString text = recordText(path);
    const QString slashed = text.endsWith(QLatin1Char('/')) ? text : text + QLatin1Char('/');
    if (IsOnSearchPath(text)) f.marker = searchPathMarker;
    f.shownExactly = showsBytesAsTheyAre(path, text);
    if (asText) {
        f.slashed = slashed;
    } else if (!f.shownExactly) {
        f.shownSlashedUtf8_ = slashed.toUtf8();
        f.shownSlashedUtf8_.squeeze();  // the conversion leaves room for three bytes a character
    }
    return f;
}

ScanRecord DupRecordWriter::record(const DupFolder& folder, const QByteArray& exact,
                                   std::int64_t size, PackedTime written, PackedTime accessed) {
    // Nearly every record: a plain name in a folder shown as its bytes, written as bytes.
    if (folder.shownExactly && size >= 0 && isPlainAscii(exact) && !exact.endsWith(' ') &&
        !exact.endsWith(searchPathMarkerBytes)) {
        const qsizetype dot = exact.lastIndexOf('.');
        const QByteArray ext = dot < 0 ? QByteArray() : exact.mid(dot).toLower();
        auto type = typeBytes_.constFind(ext);
        if (type == typeBytes_.constEnd())
            type = typeBytes_.insert(ext, fileTypeName(QString::fromLatin1(ext)).toUtf8());
        QByteArray text;
        text.reserve(exact.size() + folder.path.size() + type->size() + 64);
        text.append(exact);
        if (exact.size() < 14) text.append(14 - exact.size(), ' ');
        text.append('\t').append(KilobyteText(std::uint64_t(size) / 1024).view());
        text.append('\t').append(times_.date(written).toUtf8());
        text.append('\t').append(times_.time(written).toUtf8());
        text.append('\t').append(times_.date(accessed).toUtf8());
        text.append('\t').append(folder.path);
        if (!folder.path.endsWith('/')) text.append('/');
        text.append(folder.marker.toUtf8()).append('\t').append(*type);
        return ScanRecord(std::move(text), QByteArray());
    }
    const QString name = recordText(exact);
    const QString ext = extensionOf(name).toLower();
    auto type = typeNames_.find(ext);
    if (type == typeNames_.end()) type = typeNames_.insert(ext, fileTypeName(ext));
    const QChar tab = QLatin1Char('\t');
    const QString record = name.leftJustified(14, QLatin1Char(' ')) + tab + sizeInKText(size) +
                           tab + times_.date(written) + tab + times_.time(written) + tab +
                           times_.date(accessed) + tab + folder.slashed + folder.marker + tab +
                           *type;
    const bool nameShownExactly =
        showsBytesAsTheyAre(exact, name) && !name.endsWith(QLatin1Char(' '));
    return ScanRecord(record.toUtf8(), folder.shownExactly && nameShownExactly
                                           ? QByteArray()
                                           : JoinPath(folder.path, exact));
}

namespace {

// A path field as a report writes it: the exact bytes, and the search-path marker where the
// record shows one.
QByteArray exactPathField(QByteArray exact, QByteArrayView shown) {
    if (shown.endsWith(searchPathMarkerBytes)) exact.append(searchPathMarkerBytes);
    return exact;
}

QByteArray hogReportLine(QByteArrayView text, const QByteArray& exact) {
    return withField(text, HogColumns::FileName,
                     exactPathField(exact, recordFieldBytes(text, HogColumns::FileName)));
}

}  // namespace

QByteArray duplicateReportLine(const DupRecord& record) {
    const QByteArray exact = record.exactPath();
    if (exact.isEmpty()) return record.text().toByteArray();
    auto [folderPath, name] = splitPath(exact);
    const QByteArray folder =
        exactPathField(folderPath.endsWith('/') ? folderPath : folderPath + '/',
                       recordFieldBytes(record.text(), DupColumns::Folder));
    const qsizetype shown = recordText(name).size();
    if (shown < 14) name.append(14 - shown, ' ');  // padded as the record pads it
    return withField(withField(record.text(), DupColumns::Folder, folder), DupColumns::Filename,
                     name);
}

QByteArray duplicatePath(const DupRecord& record) {
    if (QByteArray exact = record.exactPath(); !exact.isEmpty()) return exact;
    const QString text = QString::fromUtf8(record.text());
    QString folder = recordField(text, DupColumns::Folder);
    if (folder.endsWith(searchPathMarker)) folder.chop(searchPathMarker.size());
    QString name = recordField(text, DupColumns::Filename);
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);  // the padding
    return (folder + name).toUtf8();
}

DupScan::DupScan(const Platform& platform, EventPump* pump) : platform_(platform), pump_(pump) {}

void DupScan::run(const DupQuery& query) {
    query_ = query;
    pattern_ = NamePattern(query.pattern);
    collected_.clear();
    candidates_.clear();
    folders_.clear();
    listed_.clear();
    hogs_.clear();
    names_.clear();
    outcome_ = {};
    abort = false;
    packer_ = LocalTimePacker();  // the zone in force now
    ScanAllDrives(query.sizeLimitKb);
    if (query.duplicates)
        addDups(query.exact);
    else
        reSort();
}

void DupScan::ScanAllDrives(int sizeLimitKb) {
    searchDupDrives(
        platform_, query_.drives, abort, pump_, showFolder,
        [&](const FolderVisit& v) { scanfiles(v, sizeLimitKb); }, outcome_);
}

void DupScan::scanfiles(const FolderVisit& folder, int sizeLimitKb) {
    if (abort) return;
    if (showFolder) showFolder(folder.text());
    const std::int64_t limit = std::int64_t(sizeLimitKb) * 1024;
    bool folderAdded = false;
    for (const SearchRecord& e : folder.entries) {
        if (abort) return;
        if (pump_) pump_->poll();
        // A hog is what takes room on disk; a duplicate is about contents, so its length.
        const std::int64_t measure = query_.duplicates ? e.size : e.room;
        if (e.isDotEntry() || !includedBy(includeDupFiles, e.attributes) ||
            (e.attributes & attrDirectory) || measure <= limit || !pattern_.matches(e.name))
            continue;
        if (candidates_.size() + collected_.size() + hogs_.size() >= collectLimit) {
            outcome_.limitReached = true;
            abort = true;
            return;
        }
        if (!folderAdded) {
            folders_.push_back(DupFolder::of(folder.path, query_.duplicates));
            folderAdded = true;
        }
        const auto folderIndex = std::uint32_t(folders_.size() - 1);
        if (!query_.duplicates) {
            addHog(e, folderIndex);
            continue;
        }
        // Only files that turn out to have a partner get a whole record, after the walk.
        Candidate c;
        c.size = e.size;
        c.written = e.time;
        c.accessed = packer_.pack(e.raw.access);
        c.folder = folderIndex;
        c.device = e.device;
        c.inode = e.inode;
        c.key = std::uint32_t(names_.size());
        c.plain = isPlainAscii(e.name);
        if (c.plain) {
            names_.append(e.name);
            if (e.name.size() < 14) names_.append(14 - e.name.size(), ' ');
            c.plainLength = std::uint16_t(e.name.size());
        } else {
            names_.append(recordText(e.name).leftJustified(14, QLatin1Char(' ')).toUtf8());
        }
        c.keyLength = std::uint16_t(names_.size() - c.key);
        if (!c.plain) names_.append(e.name).append('\0');
        candidates_.push_back(c);
    }
}

void DupScan::addHog(const SearchRecord& e, std::uint32_t folder) {
    Hog h;
    h.setRoom(e.room);
    h.written = e.time;
    h.accessed = packer_.pack(e.raw.access);
    h.folder = folder;
    h.name = std::uint32_t(names_.size());
    QByteArray ext;
    char lowered[32];  // most extensions are short: looked up without a copy of their own
    if (isPlainAscii(e.name)) {
        names_.append(e.name);
        h.shownExactly = !e.name.endsWith(' ') && !e.name.endsWith(searchPathMarkerBytes);
        const qsizetype dot = e.name.lastIndexOf('.');
        const qsizetype length = dot < 0 ? 0 : e.name.size() - dot;
        if (length > qsizetype(sizeof lowered)) {
            ext = e.name.mid(dot).toLower();
        } else if (length > 0) {
            for (qsizetype i = 0; i < length; ++i) {
                const char c = e.name[dot + i];
                lowered[i] = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
            }
            ext = QByteArray::fromRawData(lowered, length);
        }
    } else {
        const QString shown = recordText(e.name);
        names_.append(shown.toUtf8());
        h.shownExactly = showsBytesAsTheyAre(e.name, shown) && !shown.endsWith(QLatin1Char(' '));
        ext = extensionOf(shown).toLower().toUtf8();
    }
    names_.append('\0');
    if (!h.shownExactly) {
        names_.append(e.name);
        names_.append('\0');
    }
    auto type = hogTypeIndex_.constFind(ext);
    if (type == hogTypeIndex_.constEnd()) {
        hogTypes_.push_back(fileTypeName(QString::fromUtf8(ext)).toUtf8());
        type = hogTypeIndex_.insert(QByteArray(ext.constData(), ext.size()),
                                    std::uint32_t(hogTypes_.size() - 1));
    }
    h.type = *type;
    hogs_.push_back(h);
}

// A duplicate's record; file hogs have theirs from appendHogText.
QByteArray DupScan::exactName(const Candidate& c) const {
    const char* key = names_.constData() + c.key;
    return c.plain ? QByteArray(key, c.plainLength) : QByteArray(key + c.keyLength);
}

ScanRecord DupScan::makeRecord(const Candidate& c) {
    return records_.record(folders_[c.folder], exactName(c), c.size, c.written, c.accessed);
}

bool insideFolders(const QByteArray& folder, const std::vector<QByteArray>& folders) {
    return std::any_of(folders.begin(), folders.end(),
                       [&](const QByteArray& o) { return folderHolds(o, folder); });
}

void DupScan::addDups(bool exact) {
    // Files without a partner are dropped before any record is written: group the
    // candidates by their key (the padded name, with Exact also the size in K).
    const auto compareKeys = [&](std::uint32_t a, std::uint32_t b) {
        const int byName = compareFolded(keyOf(candidates_[a]), keyOf(candidates_[b]));
        if (byName != 0 || !exact) return byName;
        const std::int64_t ka = candidates_[a].size / 1024;
        const std::int64_t kb = candidates_[b].size / 1024;
        return ka == kb ? 0 : (ka < kb ? -1 : 1);
    };
    // The names' first bytes folded go beside them: most comparisons end there.
    struct Keyed {
        std::uint64_t prefix;
        std::uint32_t index;
    };
    std::vector<Keyed> keyed(candidates_.size());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        keyed[i] = {foldedKey(keyOf(candidates_[i])), std::uint32_t(i)};
    sortWithEvents(
        keyed.begin(), keyed.end(),
        [&](const Keyed& a, const Keyed& b) {
            if (a.prefix != b.prefix) return a.prefix < b.prefix;
            // Ties in walk order, so which name of a file stays listed does not vary.
            const int order = compareKeys(a.index, b.index);
            return order != 0 ? order < 0 : a.index < b.index;
        },
        pump_, textPiece);
    std::vector<std::uint32_t> order(keyed.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = keyed[i].index;
    keyed = {};
    // Groups of a common name hold thousands, and a record is written for each.
    Turns turn(pump_);
    for (std::size_t i = 0; i < order.size();) {
        std::size_t j = i + 1;
        while (j < order.size() && compareKeys(order[i], order[j]) == 0)
            ++j;
        // One file is never its own duplicate: a second name or path of the same file
        // (device and inode) is left out of the group. Groups of common names run to many
        // thousands, so the copies are found by sorting, not by comparing every pair.
        std::vector<std::uint32_t> group(order.begin() + std::ptrdiff_t(i),
                                         order.begin() + std::ptrdiff_t(j));
        const auto sameFile = [&](std::uint32_t a, std::uint32_t b) {
            return candidates_[a].device == candidates_[b].device &&
                   candidates_[a].inode == candidates_[b].inode;
        };
        std::sort(group.begin(), group.end(), [&](std::uint32_t a, std::uint32_t b) {
            const Candidate& ca = candidates_[a];
            const Candidate& cb = candidates_[b];
            if (ca.device != cb.device) return ca.device < cb.device;
            if (ca.inode != cb.inode) return ca.inode < cb.inode;
            return a < b;
        });
        // The first met of each file stays; the group keeps its walk order.
        group.erase(std::unique(group.begin(), group.end(), sameFile), group.end());
        std::sort(group.begin(), group.end());
        const auto original = [&](std::uint32_t k) {
            return insideFolders(folders_[candidates_[k].folder].path, query_.originals);
        };
        if (group.size() >= 2 && !std::all_of(group.begin(), group.end(), original))
            for (const std::uint32_t k : group) {
                collected_.push_back(makeRecord(candidates_[k]));
                turn(4);  // a record costs a few files passed
            }
        turn(j - i);
        i = j;
    }
    candidates_ = {};
    names_ = {};

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
        turn(j - i);
        i = j;
    }
    collected_ = {};
}

void DupScan::reSort() {
    rankHogs();
}

namespace {

// Packed times are valid or 0, so a date text is one per packed date and a time text one per
// packed time of day; 0 has texts of its own (no date, and noon).
constexpr std::uint32_t noTime = 65536;
std::uint32_t dateKey(PackedTime t) {
    return t == 0 ? noTime : t >> 16;
}
std::uint32_t timeKey(PackedTime t) {
    return t == 0 ? noTime : t & 0xFFFF;
}

// The texts of the keys in use, and each key's place among them in the order of the sorted
// list: where two records differ first in a date or time, that place decides their order.
template <typename Texts>
std::vector<std::uint32_t> rankTexts(Texts& texts, const std::vector<std::uint8_t>& used,
                                     const std::function<QByteArray(std::uint32_t)>& textOf,
                                     EventPump* pump) {
    texts.at.assign(noTime + 2, 0);
    texts.bytes.clear();
    std::vector<std::uint32_t> keys;
    for (std::uint32_t k = 0; k <= noTime; ++k) {
        texts.at[k] = std::uint32_t(texts.bytes.size());
        if (used[k]) {
            texts.bytes.append(textOf(k));
            keys.push_back(k);
            if (pump) pump->poll();  // tens of thousands of times of day are written
        }
    }
    texts.at[noTime + 1] = std::uint32_t(texts.bytes.size());
    sortWithEvents(
        keys.begin(), keys.end(),
        [&](std::uint32_t a, std::uint32_t b) { return compareFolded(texts[a], texts[b]) < 0; },
        pump, textPiece);
    if (pump) pump->poll();
    std::vector<std::uint32_t> rank(noTime + 1);
    std::uint32_t r = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i > 0 && compareFolded(texts[keys[i - 1]], texts[keys[i]]) != 0) ++r;
        rank[keys[i]] = r;
    }
    return rank;
}

// The rest of two records of one folder compared as compareFolded compares them (name, mark,
// tab, type), the names as they are kept, each ended by a NUL: most differ within their first
// bytes, so they are not measured first.
int compareNamesFolded(const char* a, const char* b, QByteArrayView marker, QByteArrayView typeA,
                       QByteArrayView typeB) {
    const auto upper = [](char c) {
        return static_cast<unsigned char>((c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c);
    };
    qsizetype i = 0;
    for (; a[i] != 0 && b[i] != 0; ++i) {
        if (a[i] == b[i]) continue;
        const unsigned char fa = upper(a[i]);
        const unsigned char fb = upper(b[i]);
        if (fa != fb) return fa < fb ? -1 : 1;
    }
    if (a[i] == 0 && b[i] == 0) return compareFolded(typeA, typeB);  // the same mark and tab
    const QByteArrayView tab("\t");
    return compareFolded({QByteArrayView(a + i), marker, tab, typeA},
                         {QByteArrayView(b + i), marker, tab, typeB});
}

using Slashed = std::array<QByteArrayView, 2>;

// Whether a folder's path as records show it begins with another's, letter case folded.
bool beginsFolded(const Slashed& path, const Slashed& start) {
    const qsizetype length = start[0].size() + start[1].size();
    if (path[0].size() + path[1].size() < length) return false;
    const QByteArrayView first = path[0].first(std::min(length, path[0].size()));
    const QByteArrayView second = path[1].first(length - first.size());
    return compareFolded({start[0], start[1]}, {first, second}) == 0;
}

// The folders in the folded order of their paths as records show them. Two records of folders
// neither of whose paths begins the other's are ordered by their folders alone, wherever their
// names would take a comparison of the whole paths. The paths that begin with a given one follow
// it in a run, which nestedEnd ends.
struct FolderOrder {
    std::vector<std::uint32_t> place;      // by folder
    std::vector<std::uint32_t> nestedEnd;  // by place

    // Made in the middle of a ranking, so a window waiting on it is given its turns.
    FolderOrder(const std::deque<DupFolder>& folders, EventPump* pump) {
        const auto count = std::uint32_t(folders.size());
        std::vector<Slashed> paths(count);
        std::vector<std::uint32_t> byPlace(count);
        for (std::uint32_t f = 0; f < count; ++f) {
            paths[f] = folders[f].slashedUtf8();
            byPlace[f] = f;
        }
        sortWithEvents(
            byPlace.begin(), byPlace.end(),
            [&](std::uint32_t a, std::uint32_t b) {
                return compareFolded({paths[a][0], paths[a][1]}, {paths[b][0], paths[b][1]}) < 0;
            },
            pump, textPiece);
        place.resize(count);
        nestedEnd.assign(count, count);
        std::vector<std::uint32_t> open;  // places whose runs go on, each beginning the next
        for (std::uint32_t p = 0; p < count; ++p) {
            if (pump && (p & 4095) == 0) pump->poll();
            place[byPlace[p]] = p;
            const Slashed& path = paths[byPlace[p]];
            while (!open.empty() && !beginsFolded(path, paths[byPlace[open.back()]])) {
                nestedEnd[open.back()] = p;
                open.pop_back();
            }
            open.push_back(p);
        }
    }
    [[nodiscard]] bool decides(std::uint32_t a, std::uint32_t b) const {
        const std::uint32_t first = std::min(place[a], place[b]);
        return std::max(place[a], place[b]) >= nestedEnd[first];
    }
};

}  // namespace

void DupScan::rankHogs() {
    // Largest first by the K, then by the rest of the record, descending, as ranking the
    // records themselves would: field by field, since the tab that ends a field sorts before
    // anything a field holds. Only ties in the K, dates and time compare the paths' text.
    // Every pass over a list of millions gives the window its turns.
    Turns turn(pump_);
    std::vector<std::uint8_t> datesUsed(noTime + 1), timesUsed(noTime + 1);
    for (const Hog& h : hogs_) {
        datesUsed[dateKey(h.written)] = datesUsed[dateKey(h.accessed)] = 1;
        timesUsed[timeKey(h.written)] = 1;
        turn();
    }
    const std::vector<std::uint32_t> dateRank = rankTexts(
        dateTexts_, datesUsed,
        [this](std::uint32_t k) {
            return k == noTime ? QByteArray("") : times_.date(PackedTime(k) << 16).toUtf8();
        },
        pump_);
    // Any valid date will do for a time of day: 1 January 1980.
    const std::vector<std::uint32_t> timeRank = rankTexts(
        timeTexts_, timesUsed,
        [this](std::uint32_t k) {
            return times_.time(k == noTime ? 0 : (PackedTime(0x21) << 16) | k).toUtf8();
        },
        pump_);

    // The names grew by doubling; what they did not fill goes before the keys come.
    names_.squeeze();
    // A key is 16 bytes, as a list of millions holds one per hog: the K's place among the
    // distinct K listed (far fewer than the hogs) stands for the K itself.
    std::vector<std::uint64_t> kilobytes;
    {
        std::vector<std::uint8_t> seen;
        for (const Hog& h : hogs_) {
            const std::uint64_t k = h.kilobytes();
            if (k < 65536) {
                if (seen.empty()) seen.resize(65536);
                if (!seen[k]) kilobytes.push_back(k);
                seen[k] = 1;
            } else {
                kilobytes.push_back(k);
            }
            turn();
        }
        if (pump_) pump_->poll();
        std::sort(kilobytes.begin(), kilobytes.end());
        kilobytes.erase(std::unique(kilobytes.begin(), kilobytes.end()), kilobytes.end());
        kilobytes.shrink_to_fit();
    }
    std::vector<std::uint32_t> smallPlace(65536);  // the place of each K below 64 MB
    for (std::size_t p = 0; p < kilobytes.size() && kilobytes[p] < 65536; ++p)
        smallPlace[kilobytes[p]] = std::uint32_t(p);
    const auto placeOf = [&](std::uint64_t k) {
        if (k < 65536) return smallPlace[k];
        return std::uint32_t(std::lower_bound(kilobytes.begin(), kilobytes.end(), k) -
                             kilobytes.begin());
    };
    struct Key {
        std::uint64_t times;
        std::uint32_t kilobytes;  // place among the distinct K, ascending
        std::uint32_t index;
    };
    static_assert(sizeof(Key) == 16);
    std::vector<Key> keys(hogs_.size());
    for (std::size_t i = 0; i < hogs_.size(); ++i) {
        const Hog& h = hogs_[i];
        keys[i] = {std::uint64_t(dateRank[dateKey(h.written)]) << 42 |
                       std::uint64_t(timeRank[timeKey(h.written)]) << 21 |
                       dateRank[dateKey(h.accessed)],
                   placeOf(h.kilobytes()), std::uint32_t(i)};
        turn();
    }
    kilobytes = {};
    smallPlace = {};
    // The rest of a record: folder, name, mark, tab, type; its pieces compared as they stand.
    std::vector<QByteArray> markers(folders_.size());
    for (std::size_t f = 0; f < folders_.size(); ++f) {
        markers[f] = folders_[f].marker.toUtf8();
        turn();
    }
    const QByteArrayView tab("\t");
    // First by the K and the times alone, which the keys hold, in the walk's order where they
    // tie. The hogs themselves are read only for the ties, once each: in a run of ties the K and
    // times, the same throughout, give way in the keys to the hog's folder, type and name, so
    // the run is sorted without going back to the list (a hundred thousand misses of the cache
    // on a tree of copies, where most files tie with their copy).
    sortWithEvents(
        keys.begin(), keys.end(),
        [](const Key& a, const Key& b) {
            if (a.kilobytes != b.kilobytes) return a.kilobytes > b.kilobytes;
            if (a.times != b.times) return a.times > b.times;
            return a.index < b.index;
        },
        pump_);
    const auto folderOf = [](const Key& tie) { return std::uint32_t(tie.times >> 32); };
    const auto typeOf = [&](const Key& tie) {
        return QByteArrayView(hogTypes_[std::uint32_t(tie.times)]);
    };
    const auto nameOf = [&](const Key& tie) { return names_.constData() + tie.kilobytes; };
    // Made when first needed: where sizes and times differ, no path is ever compared.
    std::optional<FolderOrder> folderOrder;
    const auto ranksAbove = [&](const Key& a, const Key& b) {
        const std::uint32_t fa = folderOf(a);
        const std::uint32_t fb = folderOf(b);
        int order = 0;
        if (fa == fb) {
            order = compareNamesFolded(nameOf(a), nameOf(b), markers[fa], typeOf(a), typeOf(b));
        } else {
            if (!folderOrder) folderOrder.emplace(folders_, pump_);
            if (folderOrder->decides(fa, fb))
                return folderOrder->place[fa] > folderOrder->place[fb];
            const auto folderA = folders_[fa].slashedUtf8();
            const auto folderB = folders_[fb].slashedUtf8();
            order = compareFolded(
                {folderA[0], folderA[1], QByteArrayView(nameOf(a)), markers[fa], tab, typeOf(a)},
                {folderB[0], folderB[1], QByteArrayView(nameOf(b)), markers[fb], tab, typeOf(b)});
        }
        return order != 0 ? order > 0 : a.index < b.index;
    };
    for (std::size_t i = 0; i < keys.size();) {
        std::size_t j = i + 1;
        while (j < keys.size() && keys[j].kilobytes == keys[i].kilobytes &&
               keys[j].times == keys[i].times)
            ++j;
        if (j - i > 1) {
            const Key run = keys[i];
            for (std::size_t k = i; k < j; ++k) {
                const Hog& h = hogs_[keys[k].index];
                keys[k].times = std::uint64_t(h.folder) << 32 | h.type;
                keys[k].kilobytes = h.name;
            }
            const auto from = keys.begin() + std::ptrdiff_t(i);
            sortWithEvents(from, keys.begin() + std::ptrdiff_t(j), ranksAbove, pump_, textPiece);
            for (std::size_t k = i; k < j; ++k) {
                keys[k].times = run.times;
                keys[k].kilobytes = run.kilobytes;
            }
        }
        turn(j - i);
        i = j;
    }
    std::vector<std::uint32_t> order(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[i] = keys[i].index;
    keys = {};
    permuteInPlace(hogs_, order, pump_);
}

QByteArrayView HogRows::hogName(const Hog& h) const {
    return QByteArrayView(names_.constData() + h.name);
}

void HogRows::appendHogText(QByteArray& out, const Hog& h) const {
    // One line of millions: its pieces are measured, then copied in one go.
    const KilobyteText size(h.kilobytes());
    const DupFolder& f = folders_[h.folder];
    const auto folder = f.slashedUtf8();
    const QByteArray marker = f.marker.isEmpty() ? QByteArray() : f.marker.toUtf8();
    const QByteArrayView tab("\t");
    const QByteArrayView pieces[] = {size.view(),
                                     tab,
                                     dateTexts_[dateKey(h.written)],
                                     tab,
                                     timeTexts_[timeKey(h.written)],
                                     tab,
                                     dateTexts_[dateKey(h.accessed)],
                                     tab,
                                     folder[0],
                                     folder[1],
                                     hogName(h),
                                     marker,
                                     tab,
                                     hogTypes_[h.type]};
    qsizetype length = 0;
    for (const QByteArrayView& piece : pieces)
        length += piece.size();
    const qsizetype at = out.size();
    out.resize(at + length);
    char* to = out.data() + at;
    for (const QByteArrayView& piece : pieces) {
        if (piece.isEmpty()) continue;  // an empty view may have no bytes at all
        std::memcpy(to, piece.data(), std::size_t(piece.size()));
        to += piece.size();
    }
}

void HogRows::appendHogField(QByteArray& out, const Hog& h, int column) const {
    switch (column) {
        case HogColumns::Size:
            out.append(KilobyteText(h.kilobytes()).view());
            return;
        case HogColumns::Modified:
            out.append(dateTexts_[dateKey(h.written)]);
            return;
        case HogColumns::Time:
            out.append(timeTexts_[timeKey(h.written)]);
            return;
        case HogColumns::Access:
            out.append(dateTexts_[dateKey(h.accessed)]);
            return;
        case HogColumns::FileName: {
            const DupFolder& f = folders_[h.folder];
            const auto folder = f.slashedUtf8();
            out.append(folder[0]).append(folder[1]).append(hogName(h));
            if (!f.marker.isEmpty()) out.append(f.marker.toUtf8());
            return;
        }
        case HogColumns::Type:
            out.append(hogTypes_[h.type]);
            return;
        default:
            return;
    }
}

QByteArray HogRows::hogPath(const Hog& h) const {
    const QByteArrayView shown = hogName(h);
    // A name not shown as it is has its exact bytes after the shown ones.
    const QByteArrayView exact =
        h.shownExactly ? shown : QByteArrayView(names_.constData() + h.name + shown.size() + 1);
    return JoinPath(folders_[h.folder].path, exact.toByteArray());
}

void HogRows::fetchAhead(std::size_t i) const {
    constexpr std::size_t ahead = 8;
    if (i + 2 * ahead < hogs_.size()) {
        const Hog& later = hogs_[i + 2 * ahead];
        __builtin_prefetch(names_.constData() + later.name);
        __builtin_prefetch(&folders_[later.folder]);
    }
    if (i + ahead < hogs_.size())
        __builtin_prefetch(folders_[hogs_[i + ahead].folder].slashedUtf8()[0].data());
}

void HogRows::writeRecord(std::size_t index, QByteArray& out) const {
    fetchAhead(index);
    out.truncate(0);  // keeps the buffer, unlike clear()
    appendHogText(out, hogs_[index]);
}

bool HogRows::writeField(std::size_t index, int column, QByteArray& out) const {
    if (column == HogColumns::FileName) fetchAhead(index);
    out.truncate(0);
    appendHogField(out, hogs_[index], column);
    return true;
}

QByteArray HogRows::recordPath(std::size_t index) const {
    return hogPath(hogs_[index]);
}

ScanRecord DupScan::hogRecord(const Hog& h) const {
    QByteArray text;
    appendHogText(text, h);
    if (folders_[h.folder].shownExactly && h.shownExactly) return ScanRecord(std::move(text));
    return ScanRecord(std::move(text), hogPath(h));
}

const std::vector<DupRecord>& DupScan::lbFiles() const {
    if (listed_.empty() && !hogs_.empty()) {
        listed_.reserve(hogs_.size());
        // A window's job gives its thread back now and then while a million records are made.
        EventPump& pump = ScanJob::pump();
        for (const Hog& h : hogs_) {
            listed_.push_back(hogRecord(h));
            pump.poll();
        }
        hogs_ = {};  // the records say it all now
        names_ = {};
    }
    return listed_;
}

std::shared_ptr<const RowSource> DupScan::takeListedRows() {
    if (!listed_.empty() || hogs_.empty()) return nullptr;
    auto rows = std::make_shared<HogRows>(std::move(static_cast<HogRows&>(*this)));
    static_cast<HogRows&>(*this) = HogRows();
    hogTypeIndex_.clear();  // the type names went with the rows
    return rows;
}

void DupScan::releaseList() {
    listed_ = {};
    hogs_ = {};
    names_ = {};
}

std::size_t DupScan::listedCount() const {
    return listed_.empty() ? hogs_.size() : listed_.size();
}

void DupScan::writeListed(const std::function<void(QByteArrayView)>& line) const {
    if (!listed_.empty() || hogs_.empty()) {
        for (const DupRecord& r : listed_) {
            if (r.exactPath().isEmpty())
                line(r.text());
            else if (query_.duplicates)
                line(duplicateReportLine(r));
            else
                line(hogReportLine(r.text(), r.exactPath()));
        }
        return;
    }
    eachHog([&](QByteArrayView text, const Hog& h) {
        if (folders_[h.folder].shownExactly && h.shownExactly)
            line(text);
        else
            line(hogReportLine(text, hogPath(h)));
    });
}

void DupScan::eachHog(const std::function<void(QByteArrayView, const Hog&)>& line) const {
    QByteArray text;
    text.reserve(4096);
    for (std::size_t i = 0; i < hogs_.size(); ++i) {
        fetchAhead(i);
        text.truncate(0);  // keeps the buffer, unlike clear()
        appendHogText(text, hogs_[i]);
        line(text, hogs_[i]);
    }
}

QByteArray DupScan::pathOf(const DupRecord& record) const {
    if (query_.duplicates) return duplicatePath(record);
    if (QByteArray exact = record.exactPath(); !exact.isEmpty()) return exact;
    QString path = recordField(QString::fromUtf8(record.text()), HogColumns::FileName);
    if (path.endsWith(searchPathMarker)) path.chop(searchPathMarker.size());
    return path.toUtf8();
}

}  // namespace rk
