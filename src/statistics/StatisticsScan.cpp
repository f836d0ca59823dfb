#include "statistics/StatisticsScan.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "common/DriveWalk.h"
#include "common/Errors.h"

namespace rk {

int sizeClassOf(std::int64_t size) {
    static constexpr std::array<std::int64_t, sizeClassCount - 1> upper{
        16'384, 32'768, 131'072, 1'048'576, 2'097'152, 4'194'304, 8'388'608, 16'777'216};
    for (std::size_t i = 0; i < upper.size(); ++i)
        if (size <= upper[i]) return int(i) + 1;
    return sizeClassCount;
}

int ageToIndex(std::int64_t days) {
    static constexpr std::array<std::int64_t, ageRowCount - 2> upper{7,   30,  60,  90,
                                                                     120, 365, 730, 1095};
    if (days < 0) return 0;
    for (std::size_t i = 0; i < upper.size(); ++i)
        if (days <= upper[i]) return int(i) + 1;
    return ageRowCount - 1;
}

QByteArray extensionOf(const QByteArray& name) {
    const qsizetype dot = name.lastIndexOf('.');
    if (dot < 0) return {};
    QByteArray ext = name.mid(dot);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return ext;
}

bool fitsTypeTable(QByteArrayView extension) {
    // Characters, not bytes: a UTF-8 continuation byte starts no character.
    int characters = 0;
    for (char c : extension)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    return characters <= 5;
}

namespace {

constexpr std::int64_t secondsPerDay = 86'400;
constexpr std::int64_t firstPackedDay =
    std::chrono::sys_days{std::chrono::year{1980} / 1 / 1}.time_since_epoch().count();
constexpr std::int64_t afterLastPackedDay =
    std::chrono::sys_days{std::chrono::year{2108} / 1 / 1}.time_since_epoch().count();

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

std::int64_t LocalDays::dayOf(std::int64_t unixSeconds) {
    if (unixSeconds == 0) return dayNone;
    const std::int64_t quarter = floorDiv(unixSeconds, 900);
    Slot& slot = slots_[std::size_t(quarter) % slots_.size()];
    if (slot.quarter != quarter) {
        const std::time_t t = std::time_t(unixSeconds);
        std::tm tm{};
        if (!::localtime_r(&t, &tm)) return dayNone;
        slot.quarter = quarter;
        slot.offset = tm.tm_gmtoff;
    }
    const std::int64_t day = floorDiv(unixSeconds + slot.offset, secondsPerDay);
    if (day < firstPackedDay || day >= afterLastPackedDay) return dayNone;
    return day;
}

std::int64_t epochDay(const QDate& date) {
    return date.toJulianDay() - QDate(1970, 1, 1).toJulianDay();
}

std::int64_t fileAgeDays(std::int64_t fileDay, std::int64_t today) {
    if (fileDay == LocalDays::dayNone) return -1;
    return fileDay > today ? fileDay - today : today - fileDay;
}

void StatisticsTallies::clear() {
    *this = StatisticsTallies();
}

void StatisticsTallies::insertType(QByteArrayView extension, std::int64_t size) {
    if (!fitsTypeTable(extension)) return;
    // The view's bytes are looked up without a copy; a new extension is copied once.
    const QByteArray key = QByteArray::fromRawData(extension.data(), extension.size());
    const auto found = typeIndex_.constFind(key);
    if (found != typeIndex_.constEnd()) {
        types[*found].tally.add(size);
        return;
    }
    TypeTally line{QByteArray(extension.data(), extension.size()), {}};
    line.tally.add(size);
    typeIndex_.insert(line.extension, types.size());
    types.push_back(std::move(line));
}

StatisticsScan::StatisticsScan(const Platform& platform) : platform_(platform) {}

int StatisticsScan::progressPercent() const {
    const std::int64_t used = usedBytes();
    if (used <= 0) return 0;
    // The used space moves while the run goes on, and files grow as they are counted: the
    // share is kept within 0 to 100.
    const long double share = (long double)tallies_.bytesProcessed * 100.0L / (long double)used;
    return int(std::clamp<long double>(share, 0.0L, 100.0L));
}

bool StatisticsScan::firstSighting(const SearchRecord& e) {
    if (e.links <= 1) return true;
    const std::pair<std::uint64_t, std::uint64_t> id{e.device, e.inode};
    if (linkedFiles_.contains(id)) return false;
    linkedFiles_.insert(id);
    return true;
}

void StatisticsScan::crunchNumbers(const SearchRecord& e) {
    StatisticsTallies& t = tallies_;
    if (t.fileCount % 25 == 0 && showCount) showCount(t.fileCount);
    // The byte sums count the room files take on disk, as df and du do; only the size class
    // goes by the length, which is what a file's contents are.
    const std::int64_t room = e.room;
    const auto age = [&](std::int64_t stamp) {
        return ageToIndex(fileAgeDays(days_.dayOf(stamp), todayDay_));
    };
    t.access[std::size_t(age(e.raw.access))].add(room);
    t.create[std::size_t(age(e.raw.creation))].add(room);
    t.write[std::size_t(age(e.raw.write))].add(room);

    // The extension upper-cased into a buffer of its own: no allocation per file. One longer
    // than the buffer has more than five characters and gets no line.
    const qsizetype dot = e.name.lastIndexOf('.');
    char ext[24];
    qsizetype length = 0;
    if (dot >= 0 && e.name.size() - dot <= qsizetype(sizeof ext)) {
        length = e.name.size() - dot;
        for (qsizetype i = 0; i < length; ++i) {
            const char c = e.name[dot + i];
            ext[i] = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
        }
    }
    if (dot < 0 || length > 0) t.insertType(QByteArrayView(ext, length), room);

    t.sizes[std::size_t(sizeClassOf(e.size))].add(room);
    t.bytesProcessed += room;
    ++t.fileCount;
}

StatisticsScan::Outcome StatisticsScan::run(const Drive& drive, const QDate& today) {
    error_.clear();
    errorNumber_ = 0;
    const std::optional<DriveSpace> space = platform_.driveSpace(drive.mountPoint);
    if (!space) return Outcome::NotReady;
    space_ = *space;

    // The tallies are cleared only once the root has been read, so a root that cannot be
    // opened leaves the last run's figures standing.
    struct Sink : WalkSink {
        StatisticsScan& scan;
        const QDate& today;
        explicit Sink(StatisticsScan& s, const QDate& d) : scan(s), today(d) {}
        void enterFolder(const FolderVisit& v) override {
            if (v.depth != 0) return;
            scan.tallies_.clear();
            scan.linkedFiles_.clear();
            scan.skipped_ = 0;
            scan.today_ = today;
            scan.todayDay_ = epochDay(today);
        }
        void folderStep(const FolderVisit& v) override {
            for (const SearchRecord& e : v.entries) {
                if (scan.abort) return;
                if (scan.pump_) scan.pump_->poll();
                if (e.isDirectory() || !scan.firstSighting(e)) continue;
                scan.crunchNumbers(e);
            }
        }
    } sink(*this, today);

    WalkResult result;
    try {
        result =
            walkFolders(platform_, drive.mountPoint, true, WalkSettings{true}, sink, abort, pump_);
    } catch (const IoError& e) {
        error_ = e.message();
        errorNumber_ = e.errorNumber();
        abort = false;
        return Outcome::IoError;
    }
    skipped_ = result.skippedFolders;
    const bool aborted = abort || result.aborted;
    abort = false;
    if (!result.rootOpened && !result.aborted) return Outcome::RootNotOpened;
    return aborted ? Outcome::Aborted : Outcome::Completed;
}

}  // namespace rk
