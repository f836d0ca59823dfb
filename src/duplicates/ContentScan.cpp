#include "duplicates/ContentScan.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "common/DriveWalk.h"
#include "common/SortWithEvents.h"
#include "common/TextHelpers.h"
#include "duplicates/OrderedWork.h"

namespace rk {

namespace {

constexpr int includeDupFiles = 41;          // ordinary, read-only and archive files
constexpr std::int64_t firstBlock = 4096;    // the first pass hashes this much of each file
constexpr std::int64_t segment = 1 << 20;    // reads, and the unit a hole is skipped in
constexpr std::int64_t keptWhole = 1 << 20;  // files this small are read whole, once
// Files this small skip the first block's hash: reading them whole costs hardly more than a
// block (the system's read-ahead brings in as much), and spares an open.
constexpr std::int64_t readOnce = 64 << 10;
// The bytes of the first files of a group's classes kept for the byte check; a class whose
// first file comes beyond it is compared by reading that file again.
constexpr std::int64_t keptLeads = 8 << 20;
// What the workers may have in hand: files being read or waiting to be taken, and the bytes of
// the whole files read for the byte check and not yet taken.
constexpr WorkLimits inFlight{256, std::size_t(8) << 20};

std::int64_t seconds(std::int64_t ns) {
    return ns >= 0 ? ns / 1'000'000'000 : -((-ns + 999'999'999) / 1'000'000'000);
}

// Where a file's holes are, found as the reading goes: a segment wholly inside a hole reads
// as zeros and is not read at all.
struct HoleCursor {
    std::int64_t holeUntil = 0;
    std::int64_t dataUntil = 0;

    bool isHole(const FileContents& contents, const OpenedFile& file, std::int64_t at,
                std::int64_t length) {
        if (at + length <= holeUntil) return true;
        if (at < dataUntil) return false;
        const std::int64_t data = contents.nextData(file, at);
        if (data >= at + length) {
            holeUntil = data;
            return true;
        }
        dataUntil = contents.nextHole(file, std::max(data, at));
        return false;
    }
};

bool allZero(const char* bytes, std::int64_t length) {
    static const char zeros[4096] = {};
    for (std::int64_t at = 0; at < length; at += sizeof zeros) {
        const auto n = std::size_t(std::min<std::int64_t>(sizeof zeros, length - at));
        if (std::memcmp(bytes + at, zeros, n) != 0) return false;
    }
    return true;
}

}  // namespace

QString skippedFilesNote(std::uint64_t unreadable, std::uint64_t changed) {
    const auto files = [](std::uint64_t n) {
        return n == 1 ? QStringLiteral("1 file")
                      : formatThousands(std::int64_t(n)) + QStringLiteral(" files");
    };
    QStringList parts;
    if (unreadable > 0) parts << files(unreadable) + QStringLiteral(" could not be read");
    if (changed > 0) parts << files(changed) + QStringLiteral(" changed while read");
    if (parts.isEmpty()) return {};
    return QStringLiteral(" (") + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

ContentScan::ContentScan(const Platform& platform, EventPump* pump, const FileContents* contents)
    : platform_(platform), pump_(pump), contents_(contents) {
    static const FileContents systemFiles;
    if (!contents_) contents_ = &systemFiles;
}

ContentHash ContentScan::hash(QByteArrayView bytes) const {
    if (hashBlock) return hashBlock(bytes);
    const XXH128_hash_t h = XXH3_128bits(bytes.data(), std::size_t(bytes.size()));
    return {h.low64, h.high64};
}

ContentHash ContentScan::zeroSegmentHash(std::int64_t length) const {
    if (length == segment) return zeroHash_;
    return hash(QByteArray(qsizetype(length), '\0'));
}

std::function<bool()> ContentScan::goOn(int worker) const {
    if (worker >= 0) return [this] { return !stopReading_.load(std::memory_order_relaxed); };
    return [this] {
        const_cast<ContentScan*>(this)->progress();
        return !abort;
    };
}

ContentScan::Scratch& ContentScan::scratchOf(int worker) const {
    return worker < 0 ? scratch_.back() : scratch_[std::size_t(worker)];
}

template <class Result>
std::optional<Result> ContentScan::take(OrderedWork<Result>& work) {
    while (!abort && !work.done()) {
        std::optional<Result> result =
            work.next(std::chrono::steady_clock::now() + std::chrono::milliseconds(10));
        progress();
        if (result && !abort) return result;
    }
    if (abort) {
        // The workers end within the block each is reading; the window stays live meanwhile.
        stopReading_ = true;
        work.stop();
        while (!work.stopped(std::chrono::steady_clock::now() + std::chrono::milliseconds(10)))
            if (pump_) pump_->poll();
    }
    return std::nullopt;
}

void ContentScan::run(const Query& query) {
    query_ = query;
    pattern_ = NamePattern(query.pattern);
    folders_.clear();
    files_.clear();
    devices_.clear();
    names_.clear();
    listed_.clear();
    readAs_.clear();
    records_.clear();
    tally_ = {};
    bytesRead_ = 0;
    abort = false;
    stopReading_ = false;
    const int threads = walkThreads() != 0 ? walkThreads() : ParallelWalk::defaultThreads();
    threads_ = platform_.readsFromWorkers() ? std::max(threads, 0) : 0;
    scratch_.assign(std::size_t(threads_), {});
    scratch_.push_back({});  // this thread's, last
    for (Scratch& s : scratch_) {
        s.buffer.resize(segment);
        s.other.resize(segment);
    }
    zeroHash_ = hash(QByteArray(qsizetype(segment), '\0'));

    walkDrives();
    std::vector<Group> groups = sizeGroups();
    for (const Group& g : groups)
        for (const std::uint32_t f : g)
            tally_.bytesTotal += files_[f].size;
    // Files of at most readOnce are read whole once, by the byte check, which hashes them as
    // it goes; larger ones first have their first block hashed, and those beyond keptWhole
    // their whole contents, before they are compared. Not a pair of them: hashing both whole
    // first would read each twice to tell no more than the comparison does.
    std::vector<Group> once, rest, pairs, large;
    for (Group& g : groups)
        (files_[g.front()].size <= readOnce ? once : rest).push_back(std::move(g));
    for (Group& g : splitByHash(std::move(rest), false))
        (files_[g.front()].size <= keptWhole ? once
         : g.size() == 2                     ? pairs
                                             : large)
            .push_back(std::move(g));
    for (const Group& g : pairs)
        bytesRead_ += 2 * (files_[g.front()].size - firstBlock);
    large = splitByHash(std::move(large), true);
    // The byte check: each file of at most keptWhole read whole, each larger one compared with
    // its group's first, as the check will most likely need them.
    std::vector<Check> checks;
    for (const std::vector<Group>* part : {&once, &pairs, &large})
        for (const Group& g : *part)
            for (const std::uint32_t f : g)
                if (files_[f].size <= keptWhole)
                    checks.push_back({f, f, g.size() > 2});
                else if (f != g.front())
                    checks.push_back({g.front(), f});
    std::vector<Group> equal;
    readAs_.reserve(checks.size());
    {
        OrderedWork<Outcome> work(
            threads_, abort ? 0 : checks.size(), inFlight,
            [&](std::size_t i, int worker) { return check(checks[i], worker); },
            [](const Outcome& o) { return std::size_t(o.bytes.size()); });
        for (std::vector<Group>* part : {&once, &pairs, &large})
            for (const Group& g : *part) {
                if (abort) break;
                for (Group& c : splitByBytes(g, work))
                    if (c.size() >= 2) equal.push_back(std::move(c));
            }
        // Abort seen in a comparison made here: the workers too stop within their block.
        if (abort) stopReading_ = true;
    }
    list(std::move(equal));
    readAs_ = {};
    scratch_ = {};
}

void ContentScan::walkDrives() {
    const std::int64_t limit = std::int64_t(query_.sizeLimitKb) * 1024;
    searchDupDrives(
        platform_, query_.drives, abort, pump_, showStatus,
        [&](const FolderVisit& v) { collect(v, limit); }, tally_.search);
}

void ContentScan::collect(const FolderVisit& folder, std::int64_t limit) {
    bool folderAdded = false;
    for (const SearchRecord& e : folder.entries) {
        if (abort) return;
        if (pump_) pump_->poll();
        if (e.isDotEntry() || !includedBy(includeDupFiles, e.attributes) ||
            (e.attributes & attrDirectory) || e.size <= limit || !pattern_.matches(e.name))
            continue;
        if (files_.size() >= collectLimit) {
            tally_.search.limitReached = true;
            abort = true;
            return;
        }
        if (!folderAdded) {
            folders_.push_back(DupFolder::of(folder.path, true));
            folderAdded = true;
        }
        File f;
        f.size = e.size;
        f.freed = e.links <= 1 ? e.room : 0;
        f.modified = e.raw.write;
        const auto device = std::find(devices_.begin(), devices_.end(), e.device);
        f.device = std::uint32_t(device - devices_.begin());
        if (device == devices_.end()) devices_.push_back(e.device);
        f.inode = e.inode;
        f.accessed = packFileTime(e.raw.access);
        f.folder = std::uint32_t(folders_.size() - 1);
        f.name = std::uint32_t(names_.size());
        names_.append(e.name).append('\0');
        files_.push_back(f);
    }
}

std::vector<ContentScan::Group> ContentScan::sizeGroups() {
    std::vector<std::uint32_t> order(files_.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = std::uint32_t(i);
    // By size, then by file: the names of one file come together, the first met first.
    sortWithEvents(
        order.begin(), order.end(),
        [this](std::uint32_t a, std::uint32_t b) {
            const File& fa = files_[a];
            const File& fb = files_[b];
            if (fa.size != fb.size) return fa.size < fb.size;
            if (fa.device != fb.device) return fa.device < fb.device;
            if (fa.inode != fb.inode) return fa.inode < fb.inode;
            return a < b;
        },
        pump_);
    std::vector<Group> groups;
    for (std::size_t i = 0; i < order.size();) {
        std::size_t j = i;
        Group g;
        while (j < order.size() && files_[order[j]].size == files_[order[i]].size) {
            // A hard link is the same file under another name: never a copy of itself.
            const File& f = files_[order[j]];
            if (g.empty() || files_[g.back()].device != f.device ||
                files_[g.back()].inode != f.inode)
                g.push_back(order[j]);
            ++j;
        }
        if (g.size() >= 2) {
            std::sort(g.begin(), g.end());
            groups.push_back(std::move(g));
        }
        i = j;
    }
    return groups;
}

std::vector<ContentScan::Group> ContentScan::splitByHash(std::vector<Group> groups, bool whole) {
    // Read in the order of the files on the disk, as near as inode numbers tell it.
    std::vector<std::uint32_t> reads;
    for (const Group& g : groups)
        reads.insert(reads.end(), g.begin(), g.end());
    std::sort(reads.begin(), reads.end(), [this](std::uint32_t a, std::uint32_t b) {
        const File& fa = files_[a];
        const File& fb = files_[b];
        return fa.device != fb.device ? fa.device < fb.device : fa.inode < fb.inode;
    });
    std::vector<bool> failed(files_.size());
    {
        OrderedWork<Outcome> work(
            threads_, abort ? 0 : reads.size(), inFlight,
            [&](std::size_t i, int worker) { return hashFile(files_[reads[i]], whole, worker); });
        for (const std::uint32_t f : reads) {
            const std::optional<Outcome> outcome = take(work);
            if (!outcome) return {};
            if (outcome->read == Read::Ok) {
                files_[f].hash = outcome->hash;
                if (whole || files_[f].size <= firstBlock) ++tally_.filesHashed;
            } else {
                failed[f] = true;
                settle(outcome->read);
            }
        }
    }
    std::vector<Group> split;
    for (Group& g : groups) {
        std::erase_if(g, [&](std::uint32_t f) { return failed[f]; });
        std::stable_sort(g.begin(), g.end(), [this](std::uint32_t a, std::uint32_t b) {
            return files_[a].hash < files_[b].hash;
        });
        for (std::size_t i = 0; i < g.size();) {
            std::size_t j = i + 1;
            while (j < g.size() && files_[g[j]].hash == files_[g[i]].hash)
                ++j;
            if (j - i >= 2) {
                Group part(g.begin() + std::ptrdiff_t(i), g.begin() + std::ptrdiff_t(j));
                std::sort(part.begin(), part.end());
                split.push_back(std::move(part));
            } else if (!whole) {
                // A file with no partner is settled: the rest of it is never read.
                bytesRead_ += std::max<std::int64_t>(files_[g[i]].size - firstBlock, 0);
            }
            i = j;
        }
    }
    return split;
}

ContentScan::Read ContentScan::opened(const File& file, OpenedFile& f, bool sequential) const {
    f = contents_->open(pathOf(file), sequential);
    if (!f.isOpen()) return f.error == ENOENT ? Read::Changed : Read::Unreadable;
    // Another file in its place, or the same one rewritten since the walk saw it.
    if (devices_[file.device] != f.device || f.inode != file.inode || f.size != file.size ||
        seconds(f.modifiedNs) != file.modified)
        return Read::Changed;
    return Read::Ok;
}

ContentScan::Outcome ContentScan::hashFile(const File& file, bool whole, int worker) const {
    Outcome out;
    OpenedFile f;
    // The system's read-ahead only for what takes more than one read.
    if ((out.read = opened(file, f, whole && file.size > segment)) != Read::Ok) return out;
    QByteArray& buffer = scratchOf(worker).buffer;
    const std::function<bool()> going = goOn(worker);
    const auto fail = [&](Read r) {
        out.read = r;
        return out;
    };
    if (!whole) {
        const std::int64_t length = std::min(file.size, firstBlock);
        const std::int64_t n = contents_->read(f, buffer.data(), length, 0);
        if (n < 0) return fail(Read::Unreadable);
        if (n != length) return fail(Read::Changed);
        out.hash = hash(QByteArrayView(buffer.constData(), length));
        bytesRead_ += length;
    } else {
        // A hash of the hashes of its segments: a hole is hashed as the zeros it reads as,
        // without reading it.
        QByteArray hashes;
        hashes.reserve(qsizetype((file.size / segment + 1) * sizeof(ContentHash)));
        HoleCursor holes;
        for (std::int64_t at = 0; at < file.size; at += segment) {
            const std::int64_t length = std::min(segment, file.size - at);
            ContentHash h;
            if (holes.isHole(*contents_, f, at, length)) {
                h = zeroSegmentHash(length);
            } else {
                const std::int64_t n = contents_->read(f, buffer.data(), length, at);
                if (n < 0) return fail(Read::Unreadable);
                if (n != length) return fail(Read::Changed);
                h = hash(QByteArrayView(buffer.constData(), length));
            }
            hashes.append(reinterpret_cast<const char*>(&h), sizeof h);
            // The first block was counted in the first pass.
            bytesRead_ += std::max<std::int64_t>(
                0, std::min(at + length, file.size) - std::max(at, firstBlock));
            if (!going()) return fail(Read::Aborted);
        }
        out.hash = hash(hashes);
    }
    std::int64_t size = 0, modified = 0;
    if (!contents_->stateNow(f, size, modified)) return fail(Read::Unreadable);
    if (size != f.size || modified != f.modifiedNs) return fail(Read::Changed);
    return out;
}

ContentScan::Outcome ContentScan::check(Check pair, int worker) const {
    if (pair.a != pair.b) return compareFiles(pair.a, pair.b, scratchOf(worker), goOn(worker));
    Outcome out;
    OpenedFile f;
    const File& file = files_[pair.b];
    if ((out.read = opened(file, f, false)) != Read::Ok) return out;  // one read
    out.bytes.resize(qsizetype(file.size));
    const std::int64_t n = contents_->read(f, out.bytes.data(), file.size, 0);
    std::int64_t size = 0, modified = 0;
    if (n != file.size)
        out.read = n < 0 ? Read::Unreadable : Read::Changed;
    else if (!contents_->stateNow(f, size, modified) || size != f.size || modified != f.modifiedNs)
        out.read = Read::Changed;
    else
        out.a = out.b = {f.modifiedNs, f.changedNs};
    if (out.read != Read::Ok) {
        out.bytes = {};
        return out;
    }
    // Two files are simply compared: a hash would tell nothing more.
    if (pair.hashed) out.hash = hash(out.bytes);
    // What the first block's hash read of it was counted then.
    bytesRead_ += file.size > readOnce ? file.size - firstBlock : file.size;
    return out;
}

ContentScan::Outcome ContentScan::compareFiles(std::uint32_t a, std::uint32_t b, Scratch& scratch,
                                               const std::function<bool()>& goOn) const {
    // The outcome is a's; b failing is told by Changed or Unreadable with equal set.
    Outcome out;
    OpenedFile fa, fb;
    if ((out.read = opened(files_[a], fa, true)) != Read::Ok) return out;
    if ((out.read = opened(files_[b], fb, true)) != Read::Ok) {
        out.equal = true;
        return out;
    }
    out.read = compareOpened(fa, fb, out.equal, scratch, goOn);
    out.a = {fa.modifiedNs, fa.changedNs};
    out.b = {fb.modifiedNs, fb.changedNs};
    return out;
}

ContentScan::Read ContentScan::compareOpened(const OpenedFile& fa, const OpenedFile& fb,
                                             bool& equal, Scratch& scratch,
                                             const std::function<bool()>& goOn) const {
    QByteArray& buffer = scratch.buffer;
    QByteArray& other = scratch.other;
    equal = false;
    HoleCursor ha, hb;
    for (std::int64_t at = 0; at < fa.size; at += segment) {
        const std::int64_t length = std::min(segment, fa.size - at);
        const bool holeA = ha.isHole(*contents_, fa, at, length);
        const bool holeB = hb.isHole(*contents_, fb, at, length);
        if (!holeA || !holeB) {
            if (!holeA) {
                const std::int64_t n = contents_->read(fa, buffer.data(), length, at);
                if (n != length) return n < 0 ? Read::Unreadable : Read::Changed;
            }
            if (!holeB) {
                const std::int64_t n = contents_->read(fb, other.data(), length, at);
                if (n != length) {
                    equal = true;
                    return n < 0 ? Read::Unreadable : Read::Changed;
                }
            }
            const bool same = holeA   ? allZero(other.constData(), length)
                              : holeB ? allZero(buffer.constData(), length)
                                      : std::memcmp(buffer.constData(), other.constData(),
                                                    std::size_t(length)) == 0;
            if (!same) return Read::Ok;
        }
        if (!goOn()) return Read::Aborted;
    }
    std::int64_t size = 0, modified = 0;
    if (!contents_->stateNow(fa, size, modified) || size != fa.size || modified != fa.modifiedNs)
        return Read::Changed;
    if (!contents_->stateNow(fb, size, modified) || size != fb.size || modified != fb.modifiedNs) {
        equal = true;
        return Read::Changed;
    }
    equal = true;
    return Read::Ok;
}

std::vector<ContentScan::Group> ContentScan::splitByBytes(const Group& group,
                                                          OrderedWork<Outcome>& work) {
    // Each member joins the first class whose first file it equals byte for byte; only a class
    // of the same hash is tried. Equal hashes make one class the rule; a collision makes another.
    std::vector<Group> classes;
    std::vector<QByteArray> firstBytes;  // a class's first file, read whole, while keptLeads
    std::int64_t kept = 0;
    const std::int64_t size = files_[group.front()].size;
    const bool whole = size <= keptWhole;
    const auto taken = [&](std::uint32_t a, std::uint32_t b, const Outcome& o) {
        if (o.read == Read::Ok && (o.equal || a == b)) {
            readAs_[a] = o.a;
            readAs_[b] = o.b;
        }
    };
    for (const std::uint32_t m : group) {
        if (abort) return {};
        // Read ahead: m whole, or its comparison with the group's first file.
        std::optional<Outcome> ahead;
        if ((whole || m != group.front()) && !(ahead = take(work))) return {};
        QByteArray bytes;
        if (whole) {
            if (ahead->read != Read::Ok) {
                settle(ahead->read);
                continue;
            }
            taken(m, m, *ahead);
            if (group.size() > 2) files_[m].hash = ahead->hash;
            ++tally_.filesHashed;
            bytes = std::move(ahead->bytes);
            ahead.reset();
        }
        bool placed = false, dropped = false;
        for (std::size_t c = 0; c < classes.size() && !placed && !dropped;) {
            const std::uint32_t lead = classes[c].front();
            if (files_[lead].hash != files_[m].hash) {
                ++c;
                continue;
            }
            if (!firstBytes[c].isEmpty()) {
                placed = firstBytes[c] == bytes;
                if (placed) classes[c].push_back(m);
                ++c;
                continue;
            }
            Outcome o;
            if (ahead && lead == group.front()) {
                o = std::move(*ahead);
                ahead.reset();
            } else {
                o = compareFiles(lead, m, scratchOf(-1), goOn(-1));
            }
            if (o.read == Read::Aborted) return {};
            taken(lead, m, o);
            if (o.read == Read::Ok) {
                if (o.equal) {
                    classes[c].push_back(m);
                    placed = true;
                }
                ++c;
            } else if (o.equal) {
                settle(o.read);  // the member failed
                dropped = true;
            } else {
                // The class's first file failed: the others equal it as it was read, so
                // they equal each other; the next one leads.
                settle(o.read);
                classes[c].erase(classes[c].begin());
                if (classes[c].empty()) {
                    classes.erase(classes.begin() + std::ptrdiff_t(c));
                    firstBytes.erase(firstBytes.begin() + std::ptrdiff_t(c));
                }
            }
        }
        if (!placed && !dropped) {
            classes.push_back({m});
            firstBytes.emplace_back();
            if (kept + size <= keptLeads) {
                kept += size;
                firstBytes.back() = std::move(bytes);
            }
        }
        if (pump_) pump_->poll();
    }
    return classes;
}

void ContentScan::settle(Read outcome) {
    if (outcome == Read::Unreadable) ++tally_.unreadable;
    if (outcome == Read::Changed) ++tally_.changed;
}

void ContentScan::progress() {
    if (pump_) pump_->poll();
    if (!showStatus || (shown_.isValid() && shown_.elapsed() < 100)) return;
    shown_.start();
    showStatus(QStringLiteral("%1 files hashed, %2 of %3 bytes read")
                   .arg(formatThousands(std::int64_t(tally_.filesHashed)),
                        formatThousands(bytesRead_.load()), formatThousands(tally_.bytesTotal)));
}

QByteArray ContentScan::pathOf(const File& file) const {
    // Made of the bytes, sharing nothing with the folder's path: the workers make paths too.
    const QByteArray& folder = folders_[file.folder].path;
    const char* name = names_.constData() + file.name;
    QByteArray path;
    path.reserve(folder.size() + 1 + qsizetype(std::strlen(name)));
    path.append(folder.constData(), folder.size());
    if (!folder.endsWith('/')) path.append('/');
    return path.append(name);
}

QByteArray ContentScan::shownPath(const File& file) const {
    return (folders_[file.folder].slashed + recordText(QByteArray(names_.constData() + file.name)))
        .toUtf8();
}

bool ContentScan::inOriginals(const File& file) const {
    return insideFolders(folders_[file.folder].path, query_.originals);
}

void ContentScan::list(std::vector<Group> groups) {
    // A group of originals alone offers nothing to act on.
    std::erase_if(groups, [this](const Group& g) {
        return std::all_of(g.begin(), g.end(),
                           [this](std::uint32_t f) { return inOriginals(files_[f]); });
    });
    // Each group by folder and name as shown, without regard to case; the groups by the room
    // their copies take, then by size, then by their first file. The paths are made for one
    // group at a time: a list of millions is not held twice.
    std::vector<QByteArray> first(groups.size());
    for (std::size_t k = 0; k < groups.size(); ++k) {
        Group& g = groups[k];
        std::vector<std::pair<QByteArray, std::uint32_t>> keyed;
        keyed.reserve(g.size());
        for (const std::uint32_t f : g)
            keyed.emplace_back(shownPath(files_[f]), f);
        std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
            const int order = compareFolded(a.first, b.first);
            return order != 0 ? order < 0 : a.first < b.first;
        });
        for (std::size_t i = 0; i < g.size(); ++i)
            g[i] = keyed[i].second;
        first[k] = std::move(keyed.front().first);
        if (pump_) pump_->poll();
    }
    // What deleting all copies but one frees: the copy that would free least is the one kept.
    std::vector<std::int64_t> waste(groups.size());
    for (std::size_t k = 0; k < groups.size(); ++k) {
        std::int64_t least = INT64_MAX;
        for (const std::uint32_t f : groups[k]) {
            waste[k] += files_[f].freed;
            least = std::min(least, files_[f].freed);
        }
        waste[k] -= least;
    }
    std::vector<std::uint32_t> order(groups.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = std::uint32_t(k);
    sortWithEvents(
        order.begin(), order.end(),
        [&](std::uint32_t a, std::uint32_t b) {
            if (waste[a] != waste[b]) return waste[a] > waste[b];
            const std::int64_t sa = files_[groups[a].front()].size;
            const std::int64_t sb = files_[groups[b].front()].size;
            if (sa != sb) return sa > sb;
            // Paths alike but for case are told apart by their bytes: the order never depends
            // on the order the groups were found in.
            const int order = compareFolded(first[a], first[b]);
            return order != 0 ? order < 0 : first[a] < first[b];
        },
        pump_);
    first = {};
    for (const std::uint32_t k : order) {
        for (const std::uint32_t f : groups[k])
            listed_.push_back({f, std::uint32_t(tally_.groups), readAs_[f]});
        ++tally_.groups;
        tally_.freeable += waste[k];
        if (pump_ && (tally_.groups & 255) == 0) pump_->poll();
    }
}

const std::vector<DupRecord>& ContentScan::lbFiles() const {
    if (records_.empty() && !listed_.empty()) {
        DupRecordWriter writer;
        records_.reserve(listed_.size());
        for (const Listed& l : listed_) {
            const File& f = files_[l.file];
            records_.push_back(writer.record(folders_[f.folder],
                                             QByteArray(names_.constData() + f.name), f.size,
                                             packFileTime(f.modified), f.accessed));
            if (pump_ && (records_.size() & 1023) == 0) pump_->poll();
        }
    }
    return records_;
}

void ContentScan::writeListed(
    const std::function<void(QByteArrayView text, bool groupStart)>& line) const {
    DupRecordWriter writer;
    for (std::size_t i = 0; i < listed_.size(); ++i) {
        const bool start = i == 0 || listed_[i].group != listed_[i - 1].group;
        const auto write = [&](const ScanRecord& r) {
            if (r.exactPath().isEmpty())
                line(r.text(), start);
            else
                line(duplicateReportLine(r), start);
        };
        if (!records_.empty()) {
            write(records_[i]);
            continue;
        }
        const File& f = files_[listed_[i].file];
        write(writer.record(folders_[f.folder], QByteArray(names_.constData() + f.name), f.size,
                            packFileTime(f.modified), f.accessed));
    }
}

MarkedFile ContentScan::hashedFile(std::size_t i) const {
    const Listed& l = listed_[i];
    const File& f = files_[l.file];
    return MarkedFile{
        .path = pathOf(f),
        .size = f.size,
        .modified = f.modified,
        .device = devices_[f.device],
        .inode = f.inode,
        .modifiedNs = std::uint32_t(l.read.modifiedNs - seconds(l.read.modifiedNs) * 1'000'000'000),
        .changedNs = l.read.changedNs};
}

bool ContentScan::keptCopyHolds(std::size_t kept, const QByteArray& going, std::uint64_t device,
                                std::uint64_t inode) {
    const Listed& l = listed_[kept];
    const File& file = files_[l.file];
    const OpenedFile k = contents_->open(pathOf(file), true);
    if (!k.isOpen() || k.device != devices_[file.device] || k.inode != file.inode ||
        k.size != file.size || k.modifiedNs != l.read.modifiedNs || k.changedNs != l.read.changedNs)
        return false;
    const OpenedFile g = contents_->open(going, true);
    if (!g.isOpen() || g.device != device || g.inode != inode || g.size != k.size) return false;
    const auto length = qsizetype(std::min(segment, k.size));
    Scratch scratch{QByteArray(length, Qt::Uninitialized), QByteArray(length, Qt::Uninitialized)};
    bool equal = false;
    const Read r = compareOpened(k, g, equal, scratch, [] { return true; });
    return r == Read::Ok && equal;
}

}  // namespace rk
