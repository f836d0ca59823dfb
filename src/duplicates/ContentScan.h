#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "common/FileListDeletion.h"
#include "common/FolderWalk.h"
#include "duplicates/DupScan.h"
#include "platform/FileContents.h"
#include "platform/Platform.h"

namespace rk {

template <class Result>
class OrderedWork;

// A 128-bit hash of file contents.
struct ContentHash {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    friend bool operator==(const ContentHash&, const ContentHash&) = default;
    friend auto operator<=>(const ContentHash&, const ContentHash&) = default;
};

// The duplicate search by content, without a window: the window's Content button and the
// report run it. The files of the query (pattern, size limit, neither hidden nor system) are
// grouped by size; within a size each file (device and inode) counts once, whatever names it
// has. A file of at most 64 KiB is read whole once, and hashed and compared byte for byte
// with that one reading; a larger one first has its first 4 KiB hashed, then one of at most
// 1 MiB is read whole once as a small one is, and a larger one has its whole contents hashed
// (unless it has one partner left) and is compared after. So the members of each group are
// compared byte for byte before it is listed, and a hash collision never lists a file as a
// copy of one it is not. Files are read in large blocks, and events are handled between
// blocks, so Abort is noticed within a block even inside a huge file. Holes of sparse files
// are not read: they read as zeros, and are hashed and compared as such.
// A file that cannot be opened or read is skipped and counted, as is one whose size or last
// write differs from what the walk saw, or changes while it is read.
// The files are read and hashed, and compared byte for byte, by a pool of worker threads (as
// many as the walk's, none when the platform's reads must come on this thread), each with two
// segments of buffer (2 MiB). At most 256 files are being read or wait to be taken, and the
// whole files (of at most 1 MiB) read for the byte check and not yet compared hold at most
// 8 MiB; the first files of a group's classes kept to compare the others with hold at most
// 8 MiB more (a class begun beyond that has its first file read again for each comparison);
// so the reading adds at most 32 MiB (with 8 workers) however big the search. What the workers find
// is taken on this thread in the order of a reading without them, so the groups, the counts and
// what is skipped are the same whatever the threads; events are handled while it waits, and Abort
// stops the workers within a block. Groups come largest saving first (the room of the copies but
// the one kept); each group's records are in the duplicate layout, ordered by folder and name.
class ContentScan {
public:
    struct Query {
        int sizeLimitKb = 250;  // files strictly larger than this many K
        QString pattern = QStringLiteral("*.*");
        std::vector<Drive> drives;
        // Folders whose files are originals: never marked, and a group of originals alone
        // is not listed. Exact paths, without a trailing "/".
        std::vector<QByteArray> originals;
    };

    // Reads through contents, or the platform's files when none is given.
    explicit ContentScan(const Platform& platform, EventPump* pump = nullptr,
                         const FileContents* contents = nullptr);

    bool abort = false;
    // pnlSel: the folder being searched, then the reading's progress.
    std::function<void(const QString&)> showStatus;
    void setPump(EventPump* pump) { pump_ = pump; }
    std::size_t collectLimit = DupScan::defaultCollectLimit;
    // The hash of a block of bytes: XXH3-128 unless a test puts a worse one in its place,
    // which the workers call at once.
    std::function<ContentHash(QByteArrayView bytes)> hashBlock;

    void run(const Query& query);

    // The listed records, in grid order, made when first asked for.
    [[nodiscard]] const std::vector<DupRecord>& lbFiles() const;
    [[nodiscard]] std::size_t listedCount() const { return listed_.size(); }
    [[nodiscard]] std::size_t groupCount() const { return tally_.groups; }
    // The room on disk the deletion of all but one copy of each group could give: the copy
    // that frees least stays, and a copy that keeps another hard link frees nothing.
    [[nodiscard]] std::int64_t freeableBytes() const { return tally_.freeable; }
    // The group of listed file i; the files of a group are listed together.
    [[nodiscard]] std::uint32_t groupOf(std::size_t i) const { return listed_[i].group; }
    // Listed file i as it was when read, so that a deletion can tell whether it changed since.
    [[nodiscard]] MarkedFile hashedFile(std::size_t i) const;
    // Whether listed file i lies in one of the query's originals folders, at any depth.
    [[nodiscard]] bool isOriginal(std::size_t i) const {
        return inOriginals(files_[listed_[i].file]);
    }
    // Whether listed file kept still stands as it was read (to the nanosecond of its last
    // write and last change) and holds, read now, the same bytes as the file at going, which
    // must still be the file of device and inode: deleting going then loses no contents.
    [[nodiscard]] bool keptCopyHolds(std::size_t kept, const QByteArray& going,
                                     std::uint64_t device, std::uint64_t inode);
    // Each listed record's line as a report writes it (names and paths as their exact
    // bytes) in grid order, and whether it begins a group.
    void writeListed(const std::function<void(QByteArrayView text, bool groupStart)>& line) const;
    // Lets the records go once a window's grid holds them; the groups stay.
    void releaseList() const { records_ = {}; }
    [[nodiscard]] QByteArray pathOf(const DupRecord& record) const { return duplicatePath(record); }

    // What the walk met: folders skipped, drives not opened, a full list.
    [[nodiscard]] const SearchOutcome& outcome() const { return tally_.search; }
    [[nodiscard]] std::uint64_t unreadableFiles() const { return tally_.unreadable; }
    [[nodiscard]] std::uint64_t changedFiles() const { return tally_.changed; }
    [[nodiscard]] bool incomplete() const { return abort; }

private:
    // A collected file. A search collects millions and drops most after the size pass, so
    // it stays small (64 bytes); its name is in names_, ended by a NUL, its device in
    // devices_ (a search meets few).
    struct File {
        std::int64_t size = 0;      // length: what contents are compared by
        std::int64_t freed = 0;     // room on disk its deletion frees: 0 with other hard links
        std::int64_t modified = 0;  // last write as the walk saw it, seconds
        std::uint64_t inode = 0;
        ContentHash hash;  // of the first block, then of the whole file
        std::uint32_t device = 0;
        PackedTime accessed = 0;
        std::uint32_t folder = 0;  // in folders_
        std::uint32_t name = 0;    // offset in names_
    };
    // The collected files in blocks: no list twice the size while it grows.
    class FileList {
    public:
        static constexpr std::size_t block = 1 << 14;
        [[nodiscard]] File& operator[](std::size_t i) { return blocks_[i / block][i % block]; }
        [[nodiscard]] const File& operator[](std::size_t i) const {
            return blocks_[i / block][i % block];
        }
        [[nodiscard]] std::size_t size() const { return size_; }
        void push_back(const File& f) {
            if (size_ % block == 0) blocks_.push_back(std::make_unique<File[]>(block));
            (*this)[size_++] = f;
        }
        void clear() {
            blocks_.clear();
            size_ = 0;
        }

    private:
        std::vector<std::unique_ptr<File[]>> blocks_;
        std::size_t size_ = 0;
    };
    // A file's times when its contents were last read whole and found equal to another's.
    struct ReadAs {
        std::int64_t modifiedNs = 0;
        std::int64_t changedNs = 0;
    };
    // A listed file, its group, and how it stood when read.
    struct Listed {
        std::uint32_t file;
        std::uint32_t group;
        ReadAs read;
    };
    enum class Read { Ok, Unreadable, Changed, Aborted };
    using Group = std::vector<std::uint32_t>;  // indices in files_
    // What reading one file, or comparing two, found; made on a worker, taken on this thread.
    struct Outcome {
        Read read = Read::Ok;
        bool equal = false;  // compared: the files hold the same bytes (or, failed: b failed)
        ContentHash hash;    // hashed
        QByteArray bytes;    // read whole: what it holds
        ReadAs a, b;         // how the file (or the two compared) stood when read
    };
    // A pair of files the byte check needs compared (a == b: b read whole, and hashed when its
    // group has more than two members to tell apart), in its order.
    struct Check {
        std::uint32_t a;
        std::uint32_t b;
        bool hashed = false;
    };
    // A worker's buffers: a segment each for the two files of a comparison.
    struct Scratch {
        QByteArray buffer, other;
    };

    void walkDrives();
    void collect(const FolderVisit& folder, std::int64_t limit);
    [[nodiscard]] std::vector<Group> sizeGroups();
    // Hashes the first block (whole: the whole file) of each file of the groups and splits
    // them by it; files that fail drop out.
    std::vector<Group> splitByHash(std::vector<Group> groups, bool whole);
    // Compares the members of a group byte for byte: the classes of equal files.
    // Each of its checks taken in turn from work, the speculative comparisons with the group's
    // first file among them.
    std::vector<Group> splitByBytes(const Group& group, OrderedWork<Outcome>& work);
    // The work of a worker (-1: this thread); between blocks it asks goOn() whether to go on.
    Outcome hashFile(const File& file, bool whole, int worker) const;
    Outcome check(Check pair, int worker) const;
    Outcome compareFiles(std::uint32_t a, std::uint32_t b, Scratch& scratch,
                         const std::function<bool()>& goOn) const;
    // The same for two files opened already, of a's size, asking goOn between segments.
    Read compareOpened(const OpenedFile& a, const OpenedFile& b, bool& equal, Scratch& scratch,
                       const std::function<bool()>& goOn) const;
    Read opened(const File& file, OpenedFile& opened, bool sequential) const;
    [[nodiscard]] std::function<bool()> goOn(int worker) const;
    [[nodiscard]] Scratch& scratchOf(int worker) const;
    // The next result of work, events handled while it is awaited; nothing once all is taken
    // or on Abort, which stops the workers.
    template <class Result>
    std::optional<Result> take(OrderedWork<Result>& work);
    void list(std::vector<Group> groups);
    void settle(Read outcome);
    void progress();

    [[nodiscard]] QByteArray pathOf(const File& file) const;
    [[nodiscard]] bool inOriginals(const File& file) const;
    // The file's folder and name as a record shows them: the order within a group.
    [[nodiscard]] QByteArray shownPath(const File& file) const;
    [[nodiscard]] ContentHash hash(QByteArrayView bytes) const;
    [[nodiscard]] ContentHash zeroSegmentHash(std::int64_t length) const;

    const Platform& platform_;
    EventPump* pump_;
    const FileContents* contents_;
    Query query_;
    NamePattern pattern_;
    std::vector<DupFolder> folders_;
    FileList files_;
    std::vector<std::uint64_t> devices_;
    QByteArray names_;
    std::vector<Listed> listed_;
    // How the files that reach the byte comparison stood when it read them, until listed.
    std::unordered_map<std::uint32_t, ReadAs> readAs_;
    mutable std::vector<DupRecord> records_;
    // What one run found and read.
    struct Tally {
        std::size_t groups = 0;
        std::int64_t freeable = 0;
        SearchOutcome search;
        std::uint64_t unreadable = 0;
        std::uint64_t changed = 0;
        // Reading's progress: files read through, bytes of the total read (holes included;
        // bytesRead_ the workers add to).
        std::uint64_t filesHashed = 0;
        std::int64_t bytesTotal = 0;
    } tally_;
    mutable std::atomic<std::int64_t> bytesRead_{0};
    QElapsedTimer shown_;  // since the progress was last shown
    int threads_ = 0;      // the workers reading for this run
    std::atomic<bool> stopReading_{false};
    mutable std::vector<Scratch> scratch_;  // each worker's, then this thread's
    ContentHash zeroHash_;                  // of a whole segment of zeros
};

// What the status adds for files skipped by the content search: " (2 files could not be
// read, 1 changed while read)", or nothing.
[[nodiscard]] QString skippedFilesNote(std::uint64_t unreadable, std::uint64_t changed);

}  // namespace rk
