#include "duplicates/DupLinking.h"

#include <unistd.h>

#include <QHash>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/Errors.h"
#include "common/TextHelpers.h"
#include "duplicates/ContentScan.h"
#include "platform/FileContents.h"
#include "platform/FileLinks.h"
#include "platform/Platform.h"
#include "platform/SplitPath.h"

namespace rk {

namespace {

std::int64_t markedNs(const MarkedFile& f) {
    return f.modified * 1'000'000'000 + f.modifiedNs;
}

// The file opened is the one marked, as it was: the same file, not written since.
bool opensAsMarked(const OpenedFile& opened, const MarkedFile& marked) {
    return opened.isOpen() && opened.device == marked.device && opened.inode == marked.inode &&
           opened.size == marked.size && opened.modifiedNs == markedNs(marked) &&
           opened.changedNs == marked.changedNs;
}

// Whether the two open files hold the same bytes, read through now.
bool sameBytes(const FileContents& contents, const OpenedFile& a, const OpenedFile& b) {
    constexpr std::int64_t block = 1 << 20;
    QByteArray x(qsizetype(std::min(block, std::max<std::int64_t>(a.size, 1))), Qt::Uninitialized);
    QByteArray y(x.size(), Qt::Uninitialized);
    for (std::int64_t at = 0;; at += x.size()) {
        const std::int64_t n = contents.read(a, x.data(), x.size(), at);
        const std::int64_t m = contents.read(b, y.data(), y.size(), at);
        if (n < 0 || n != m || std::memcmp(x.constData(), y.constData(), std::size_t(n)) != 0)
            return false;
        if (n < x.size()) return true;
    }
}

// One pair's work; the result's lists and sums are filled by the caller.
class PairLinker {
public:
    PairLinker(const Platform& platform, const FileContents& contents, const FileLinks& links,
               const LinkRun& run)
        : platform_(platform), contents_(contents), links_(links), run_(run) {}

    // The room freed (predicted) and the bytes shared, or why the copy stayed.
    struct Done {
        std::optional<LeftReason> left;
        int error = 0;
        std::int64_t shared = 0;
        std::int64_t room = 0;
    };

    Done link(const CopyPair& pair) {
        const std::optional<MarkedFile> going = markFile(platform_, pair.going.path);
        if (pair.going.device == 0 || !going || *going != pair.going)
            return left(LeftReason::Changed);
        // A kept copy this run linked to before has a new last change: it is compared with
        // what it was left as.
        const MarkedFile keptWas = keptAsLeft_.value(pair.kept.path, pair.kept);
        const std::optional<MarkedFile> kept = markFile(platform_, pair.kept.path);
        if (keptWas.device == 0 || !kept || *kept != keptWas) return left(LeftReason::KeptChanged);
        if (kept->device == going->device && kept->inode == going->inode)
            return left(LeftReason::SameFile);
        const OpenedFile k = contents_.open(kept->path, true);
        if (!opensAsMarked(k, keptWas)) return left(LeftReason::KeptChanged);
        const OpenedFile g = contents_.open(going->path, true);
        if (!opensAsMarked(g, pair.going)) return left(LeftReason::Changed);
        Done done =
            run_.way == LinkWay::Share ? share(k, g, *going) : hardLink(k, g, *kept, *going);
        if (!done.left && !run_.dryRun) {
            if (const std::optional<MarkedFile> now = markFile(platform_, kept->path))
                keptAsLeft_.insert(kept->path, *now);
        }
        return done;
    }

private:
    static Done left(LeftReason reason, int error = 0) { return Done{reason, error, 0, 0}; }

    Done share(const OpenedFile& k, const OpenedFile& g, const MarkedFile& going) {
        // Shared extents free the copy's room whatever other names it has.
        if (run_.dryRun) return Done{std::nullopt, 0, 0, going.room};
        const std::int64_t shared = links_.shareExtents(k, g);
        if (shared >= 0) return Done{std::nullopt, 0, shared, going.room};
        switch (int(-shared)) {
            case EBADE:
                return left(LeftReason::Differs);
            case EXDEV:
                return left(LeftReason::OtherFileSystem);
            case EOPNOTSUPP:
            case EINVAL:
            case ENOTTY:
                return left(LeftReason::Unsupported, int(-shared));
            default:
                return left(LeftReason::Failed, int(-shared));
        }
    }

    Done hardLink(const OpenedFile& k, const OpenedFile& g, const MarkedFile& kept,
                  const MarkedFile& going) {
        if (k.device != g.device) return left(LeftReason::OtherFileSystem);
        if ((k.mode != g.mode || k.owner != g.owner || k.group != g.group) && !run_.ownerAgreed)
            return left(LeftReason::OwnerDiffers);
        // The copy's room comes back only with its last name.
        const std::int64_t room = going.links <= 1 ? going.room : 0;
        if (run_.dryRun) return Done{std::nullopt, 0, 0, room};
        const auto [folder, name] = splitPath(going.path);
        const auto [keptFolder, keptName] = splitPath(kept.path);
        const OpenedFolder into = platform_.openFolder(folder);
        if (!into.handle.isOpen()) return left(LeftReason::Failed, into.error);
        const OpenedFolder from = platform_.openFolder(keptFolder);
        if (!from.handle.isOpen()) return left(LeftReason::KeptChanged);
        QByteArray temporary;
        int error = EEXIST;
        for (int attempt = 0; error == EEXIST && attempt < 100; ++attempt) {
            temporary = ".roomkin-link-" + QByteArray::number(::getpid()) + '-' +
                        QByteArray::number(++serial_);
            error = links_.linkAs(from.handle, keptName, into.handle, temporary);
        }
        if (error != 0) return left(LeftReason::Failed, error);
        // The new name must be the kept copy, holding the copy's bytes now; and the copy must
        // still be as compared, as the rename puts it out of reach.
        const auto outcome = [&]() -> Done {
            const OpenedFile linked = contents_.open(JoinPath(folder, temporary), true);
            if (!linked.isOpen() || linked.device != k.device || linked.inode != k.inode ||
                !sameBytes(contents_, linked, g))
                return left(LeftReason::KeptChanged);
            SearchRecord now;
            if (platform_.statEntry(into.handle, name, now) != 0 || now.device != going.device ||
                now.inode != going.inode || now.changeNs != going.changedNs ||
                now.size != going.size)
                return left(LeftReason::Changed);
            if (const int e = links_.renameOver(into.handle, temporary, name); e != 0)
                return left(LeftReason::Failed, e);
            return Done{std::nullopt, 0, 0, room};
        }();
        if (outcome.left) platform_.removeEntry(into.handle, temporary, false);
        return outcome;
    }

    const Platform& platform_;
    const FileContents& contents_;
    const FileLinks& links_;
    const LinkRun& run_;
    QHash<QByteArray, MarkedFile> keptAsLeft_;
    std::uint64_t serial_ = 0;  // of the temporary names
};

}  // namespace

std::int64_t LinkResult::measured() const {
    std::int64_t rise = 0;
    for (const SpaceMeasure& s : space)
        if (s.before && s.after) rise += *s.after - *s.before;
    return rise;
}

LinkResult LinkCopies(const Platform& platform, const FileContents& contents,
                      const FileLinks& links, const std::vector<CopyPair>& pairs,
                      const LinkRun& run) {
    LinkResult result;
    if (!run.dryRun) {
        for (const CopyPair& p : pairs) {
            const auto on = [&](const SpaceMeasure& s) { return s.device == p.going.device; };
            if (std::none_of(result.space.begin(), result.space.end(), on)) {
                SpaceMeasure s{splitPath(p.going.path).folder, p.going.device, {}, {}};
                s.before = links.freeSpace(s.path, true);
                result.space.push_back(s);
            }
        }
    }
    PairLinker linker(platform, contents, links, run);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const PairLinker::Done done = linker.link(pairs[i]);
        if (done.left) {
            result.left.push_back({i, *done.left, done.error});
            continue;
        }
        result.linked.push_back({i, done.shared, done.room});
        result.shared += done.shared;
        result.predicted += done.room;
    }
    for (SpaceMeasure& s : result.space)
        s.after = links.freeSpace(s.path, true);
    return result;
}

WaysOpen waysOpen(const Platform& platform, const FileContents& contents, const FileLinks& links,
                  const std::vector<CopyPair>& pairs) {
    WaysOpen open;
    for (const CopyPair& p : pairs) {
        const OpenedFile k = contents.open(p.kept.path, false);
        const OpenedFile g = contents.open(p.going.path, false);
        const std::optional<MarkedFile> going = markFile(platform, p.going.path);
        if (!k.isOpen() || !g.isOpen() || !going) {
            open.share = open.link = false;
            continue;
        }
        open.share = open.share && links.canShare(k, g) == 0;
        open.link = open.link && k.device == g.device && k.inode != g.inode;
        open.ownersDiffer =
            open.ownersDiffer || k.mode != g.mode || k.owner != g.owner || k.group != g.group;
        open.shareRoom += going->room;
        open.linkRoom += going->links <= 1 ? going->room : 0;
    }
    return open;
}

std::size_t chooseKept(const std::vector<KeepCandidate>& candidates, KeepRule rule) {
    const bool anyOriginal = std::any_of(candidates.begin(), candidates.end(),
                                         [](const KeepCandidate& c) { return c.original; });
    // Whether a is a better copy to keep than b; the first of equals stays.
    const auto better = [rule](const KeepCandidate& a, const KeepCandidate& b) {
        switch (rule) {
            case KeepRule::Newest:
                return a.modifiedNs > b.modifiedNs;
            case KeepRule::Shortest:
                return a.path.size() < b.path.size();
            case KeepRule::Oldest:
            case KeepRule::Original:
                break;
        }
        return a.modifiedNs < b.modifiedNs;
    };
    std::size_t best = candidates.size();
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (anyOriginal && !candidates[i].original) continue;
        if (best == candidates.size() || better(candidates[i], candidates[best])) best = i;
    }
    return best;
}

std::vector<CopyPair> allButOne(const ContentScan& scan, KeepRule rule) {
    std::vector<CopyPair> pairs;
    std::vector<MarkedFile> group;
    std::vector<KeepCandidate> candidates;
    const auto flush = [&] {
        if (group.size() < 2) return;
        const std::size_t kept = chooseKept(candidates, rule);
        for (std::size_t i = 0; i < group.size(); ++i)
            if (i != kept && !candidates[i].original) pairs.push_back({group[kept], group[i]});
    };
    for (std::size_t i = 0; i < scan.listedCount(); ++i) {
        if (i > 0 && scan.groupOf(i) != scan.groupOf(i - 1)) {
            flush();
            group.clear();
            candidates.clear();
        }
        group.push_back(scan.hashedFile(i));
        candidates.push_back({group.back().path, markedNs(group.back()), scan.isOriginal(i)});
    }
    flush();
    return pairs;
}

QStringList linkSummaryLines(const LinkResult& result, LinkWay way) {
    const auto count = std::int64_t(result.linked.size());
    QString done =
        QStringLiteral("%1 %2 %3: %4 bytes of room predicted, %5 bytes more free.")
            .arg(formatThousands(count), countNoun(count, "file"),
                 way == LinkWay::Share ? QStringLiteral("shared") : QStringLiteral("linked"),
                 formatThousands(result.predicted), formatThousands(result.measured()));
    if (way == LinkWay::Share)
        done += QStringLiteral(" The kernel deduplicated %1 bytes.")
                    .arg(formatThousands(result.shared));
    QStringList lines{done};
    for (const SpaceMeasure& s : result.space)
        if (s.before && s.after)
            lines.append(QStringLiteral("Free on the file system of %1: %2 bytes before, %3 after.")
                             .arg(displayPath(s.path), formatThousands(*s.before),
                                  formatThousands(*s.after)));
    return lines;
}

QString leftReasonText(LeftReason reason, int error) {
    switch (reason) {
        case LeftReason::Changed:
            return QStringLiteral("it changed since it was compared");
        case LeftReason::KeptChanged:
            return QStringLiteral("the copy kept is gone or changed since it was compared");
        case LeftReason::SameFile:
            return QStringLiteral("it is the copy kept already");
        case LeftReason::OtherFileSystem:
            return QStringLiteral("the copy kept is on another file system");
        case LeftReason::OwnerDiffers:
            return QStringLiteral("the copies differ in owner or permissions");
        case LeftReason::Differs:
            return QStringLiteral("the file system found the copies different");
        case LeftReason::Unsupported:
            return QStringLiteral("its file system cannot share data between files");
        case LeftReason::Failed:
            break;
    }
    return errorWords(error);
}

}  // namespace rk
