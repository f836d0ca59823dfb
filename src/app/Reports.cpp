#include "app/Reports.h"

#include "app/Version.h"

#include <QDateTime>
#include <QSaveFile>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>

#include "browser/FolderListing.h"
#include "bydate/DateColumns.h"
#include "bydate/DateScan.h"
#include "common/DriveWalk.h"
#include "common/Drives.h"
#include "common/Errors.h"
#include "common/SearchPath.h"
#include "common/TextHelpers.h"
#include "duplicates/ContentScan.h"
#include "duplicates/DupLinking.h"
#include "duplicates/DupScan.h"
#include "folderhogs/FolderHogColumns.h"
#include "folderhogs/FolderHogScan.h"
#include "platform/FileContents.h"
#include "platform/FileLinks.h"
#include "platform/Platform.h"
#include "platform/SplitPath.h"
#include "spacemap/ScanFile.h"
#include "spacemap/SpaceReport.h"
#include "spacemap/SpaceTree.h"
#include "statistics/StatisticsPages.h"
#include "statistics/StatisticsScan.h"
#include "ui/CoreMessages.h"
#include "ui/Services.h"
#include "viewer/AsciiStrings.h"
#include "viewer/FileViewModel.h"
#include "viewer/ViewerFile.h"

namespace rk {

namespace {

constexpr int searchFailed = 3;

// The drives named with --drive, or else the drive of the current folder.
std::vector<Drive> reportDrives(const CommandLine& commandLine, const DriveTable& table) {
    std::vector<Drive> drives;
    for (const QByteArray& folder : commandLine.drives)
        for (const Drive& d : table.drives())
            if (d.mountPoint == folder) drives.push_back(d);
    if (commandLine.drives.empty() && table.currentIndex() >= 0)
        drives.push_back(table.drives()[std::size_t(table.currentIndex())]);
    return drives;
}

void writeLine(QByteArrayView text, std::FILE* out) {
    std::fwrite(text.data(), 1, std::size_t(text.size()), out);
    std::fputc('\n', out);
}

// The records' lines, the path in field pathField written as the exact bytes it stands for.
int writeLines(const std::vector<ScanRecord>& records, int pathField, std::FILE* out) {
    for (const ScanRecord& r : records) {
        const QByteArray exact = r.exactPath();
        writeLine(
            exact.isEmpty() ? r.text() : QByteArrayView(withField(r.text(), pathField, exact)),
            out);
    }
    std::fflush(out);
    return 0;
}

// Lines written in blocks: one write call per line would cost more than making the line.
class LineBlocks {
public:
    explicit LineBlocks(std::FILE* out) : out_(out) { block_.reserve(1 << 16); }
    ~LineBlocks() {
        flush();
        std::fflush(out_);
    }
    void add(QByteArrayView text) {
        const qsizetype at = block_.size();
        block_.resize(at + text.size() + 1);
        char* to = block_.data() + at;
        if (!text.isEmpty()) std::memcpy(to, text.data(), std::size_t(text.size()));
        to[text.size()] = '\n';
        if (block_.size() >= (1 << 16) - 4096) flush();
    }

private:
    void flush() {
        std::fwrite(block_.constData(), 1, std::size_t(block_.size()), out_);
        block_.truncate(0);
    }
    std::FILE* out_;
    QByteArray block_;
};

// A walk stopped by a system error: the reader is told why in words.
int searchStopped(const Services& services, int error) {
    services.showMessage(MessageKind::Error,
                         QStringLiteral("The search stopped: %1.").arg(errorWords(error)));
    return searchFailed;
}

// A drive that could not be searched, or a list cut short, is a failed search even where
// other drives gave lines: the lines are written, the status says the list is not whole.
template <class Scan, class Write>
int finish(const Services& services, const Scan& scan, Write write) {
    if (!scan.outcome().unopened.empty() || scan.incomplete()) {
        write();
        return searchFailed;
    }
    if (scan.listedCount() == 0) {
        services.showInfo(QStringLiteral("No files found."));
        return 1;
    }
    write();
    return 0;
}

int duplicatesReport(const Services& services, const CommandLine& commandLine, Platform& platform,
                     const std::vector<Drive>& drives, std::FILE* out) {
    DupQuery query;
    query.duplicates = commandLine.report == ReportKind::Duplicates;
    query.exact = commandLine.exact;
    query.sizeLimitKb = commandLine.minKb;
    query.pattern = commandLine.pattern;
    query.drives = drives;
    query.originals = commandLine.originals;
    DupScan scan(platform);
    scan.run(query);
    tellSearchOutcome(services, scan.outcome(), listFullText(), true);
    // The lines are written straight from the scan's own list, so a list of millions is
    // never held twice.
    const auto write = [&] {
        LineBlocks lines(out);
        scan.writeListed([&](QByteArrayView text) { lines.add(text); });
    };
    return finish(services, scan, write);
}

// Groups of identical files, each group's records one a line, an empty line between groups.
int contentReport(const Services& services, const CommandLine& commandLine, Platform& platform,
                  const std::vector<Drive>& drives, std::FILE* out) {
    ContentScan scan(platform);
    scan.run({commandLine.minKb, commandLine.pattern, drives, commandLine.originals});
    tellSearchOutcome(services, scan.outcome(), listFullText(), true);
    const auto write = [&] {
        LineBlocks lines(out);
        bool first = true;
        scan.writeListed([&](QByteArrayView text, bool groupStart) {
            if (groupStart && !first) lines.add({});
            lines.add(text);
            first = false;
        });
    };
    return finish(services, scan, write);
}

// The content search, then all but one copy of each group linked to the one kept: a line for
// each copy acted on (or that would be, on a dry run), then what was freed. Exit 0 when every
// copy was done, 1 when there was none, 3 when the search failed or a copy was left as it was
// (each named on standard error with why).
int dedupeRun(const Services& services, const CommandLine& commandLine, Platform& platform,
              const std::vector<Drive>& drives, std::FILE* out) {
    ContentScan scan(platform);
    scan.run({commandLine.minKb, commandLine.pattern, drives, commandLine.originals});
    tellSearchOutcome(services, scan.outcome(), listFullText(), true);
    // Copies a search did not see whole may be all there is of their contents elsewhere:
    // nothing is touched.
    if (!scan.outcome().unopened.empty() || scan.incomplete()) return searchFailed;
    const std::vector<CopyPair> pairs = allButOne(scan, KeepRule(commandLine.keep));
    if (pairs.empty()) {
        services.showInfo(QStringLiteral("No copies to link."));
        return 1;
    }
    LinkRun run;
    run.way = commandLine.shareData ? LinkWay::Share : LinkWay::HardLink;
    run.dryRun = commandLine.dryRun;
    const LinkResult result = LinkCopies(platform, FileContents(), FileLinks(), pairs, run);
    {
        LineBlocks lines(out);
        const QByteArray verb = QByteArray(commandLine.dryRun ? "would " : "") +
                                (commandLine.shareData ? (commandLine.dryRun ? "share" : "shared")
                                                       : (commandLine.dryRun ? "link" : "linked"));
        for (const LinkedCopy& c : result.linked) {
            const CopyPair& p = pairs[c.pair];
            lines.add(verb + '\t' + p.going.path + '\t' + p.kept.path + '\t' +
                      QByteArray::number(commandLine.dryRun || !commandLine.shareData ? c.room
                                                                                      : c.shared));
        }
        if (commandLine.dryRun) {
            const auto count = std::int64_t(result.linked.size());
            lines.add(QStringLiteral("%1 %2 would be %3: %4 bytes of room to free.")
                          .arg(formatThousands(count), countNoun(count, "file"),
                               commandLine.shareData ? QStringLiteral("shared")
                                                     : QStringLiteral("linked"),
                               formatThousands(result.predicted))
                          .toUtf8());
        } else {
            for (const QString& line : linkSummaryLines(result, run.way))
                lines.add(line.toUtf8());
        }
    }
    for (const LeftCopy& c : result.left)
        services.showWarning(displayPath(pairs[c.pair].going.path) +
                             QStringLiteral(" was left as it was: ") +
                             leftReasonText(c.reason, c.error) + QLatin1Char('.'));
    return result.left.empty() ? 0 : searchFailed;
}

int foldersReport(const Services& services, const CommandLine& commandLine, Platform& platform,
                  const std::vector<Drive>& drives, std::FILE* out) {
    FolderHogScan scan(platform);
    scan.run(commandLine.mainFolders, drives);
    tellSearchOutcome(services, scan.outcome(), folderListFullText());
    if (!scan.outcome().unopened.empty() || scan.abort) {
        writeLines(scan.lb(), FolderHogColumns::Name, out);
        return searchFailed;
    }
    // As in the window: fewer than two lines is no list.
    if (scan.lb().size() < 2) {
        services.showInfo(QStringLiteral("No files found."));
        return 1;
    }
    return writeLines(scan.lb(), FolderHogColumns::Name, out);
}

// The statistics window's figures as text, for one drive: ages counted from today.
int statisticsReport(const Services& services, Platform& platform, const std::vector<Drive>& drives,
                     std::FILE* out) {
    if (drives.empty()) {
        services.showError(QStringLiteral("There is no disk in drive ") +
                           displayPath(platform.currentFolder()));
        return searchFailed;
    }
    const Drive& drive = drives.front();
    const QString boxText = driveBoxText(drive, false);
    StatisticsScan scan(platform);
    const StatisticsScan::Outcome outcome = scan.run(drive, QDate::currentDate());
    switch (outcome) {
        case StatisticsScan::Outcome::NotReady:
            services.showError(QStringLiteral("There is no disk in drive ") + boxText);
            return searchFailed;
        case StatisticsScan::Outcome::RootNotOpened:
            services.showMessage(MessageKind::Error, QStringLiteral("Can't open drive ") + boxText);
            return searchFailed;
        default:
            break;
    }
    const bool incomplete = outcome != StatisticsScan::Outcome::Completed;
    const QStringList lines = statisticsReport(scan, drive, runCaption(boxText, incomplete),
                                               finishedText(scan.tallies().fileCount, incomplete));
    for (const QString& line : lines)
        writeLine(line.toUtf8(), out);
    std::fflush(out);
    if (outcome == StatisticsScan::Outcome::IoError)
        return searchStopped(services, scan.errorNumber());
    return incomplete ? searchFailed : 0;
}

// A date record's line with its name and folder as the exact bytes of the path it stands for.
// The line has them where the record has them, the name padded.
QByteArray exactDateLine(QByteArrayView record, const QByteArray& exact) {
    const QByteArray line = clipboardLine(record);
    auto [folder, name] = splitPath(exact);
    name.append(recordFieldBytes(line, DateColumns::Filename)
                    .sliced(recordFieldBytes(record, DateColumns::Filename).size()));
    return withField(withField(line, DateColumns::Folder, folder), DateColumns::Filename, name);
}

int datesReport(const Services& services, const CommandLine& commandLine, Platform& platform,
                const std::vector<Drive>& drives, std::FILE* out) {
    DateQuery query;
    query.what = DateField(commandLine.dateWhat);
    query.when = DateRelation(commandLine.dateWhen);
    const QDate today = QDate::currentDate();
    query.start = commandLine.start.isValid() ? commandLine.start : today;
    query.end = commandLine.end.isValid() ? commandLine.end : today;
    query.pattern = commandLine.pattern;
    query.drives = drives;
    DateScan scan(platform);
    // Each line goes out as it is found, in blocks: the report holds no list.
    QByteArray block;
    block.reserve(1 << 16);
    scan.found = [&](QByteArrayView record, const QByteArray& exact) {
        block.append(exact.isEmpty() ? clipboardLine(record) : exactDateLine(record, exact))
            .append('\n');
        if (block.size() >= (1 << 16) - 4096) {
            std::fwrite(block.constData(), 1, std::size_t(block.size()), out);
            block.truncate(0);
        }
    };
    scan.run(query);
    std::fwrite(block.constData(), 1, std::size_t(block.size()), out);
    std::fflush(out);
    tellSearchOutcome(services, scan.outcome(), dateListFullText());
    if (!scan.outcome().unopened.empty() || scan.outcome().limitReached) return searchFailed;
    if (scan.listed() == 0) {
        services.showInfo(QStringLiteral("No files found."));
        return 1;
    }
    return 0;
}

// The file of a file report, watched while it is read: a read that comes back short of the
// size the file had when it was opened, or a status that gives a smaller size, means it shrank
// under the report, and what was printed is not the file.
class WatchedFile : public ViewedFile {
public:
    explicit WatchedFile(std::unique_ptr<ViewedFile> file) : file_(std::move(file)) {
        ViewedFileStatus s;
        if (file_->status(s) == 0) openedSize_ = s.size;
    }
    std::int64_t readAt(std::int64_t offset, char* buffer, std::int64_t length) override {
        return noted(offset, length, file_->readAt(offset, buffer, length));
    }
    std::int64_t readAt(std::int64_t offset, char* const* buffers, int count,
                        std::int64_t each) override {
        return noted(offset, count * each, file_->readAt(offset, buffers, count, each));
    }
    int status(ViewedFileStatus& s) override {
        const int error = file_->status(s);
        if (error == 0 && s.size < openedSize_) shrank_ = true;
        return error;
    }
    [[nodiscard]] bool shrank() const { return shrank_; }

private:
    std::int64_t noted(std::int64_t offset, std::int64_t asked, std::int64_t got) {
        if (got >= 0 && got < asked && offset + got < openedSize_) shrank_ = true;
        return got;
    }
    std::unique_ptr<ViewedFile> file_;
    std::int64_t openedSize_ = 0;
    bool shrank_ = false;
};

// Opens the way the viewer does and hands out the file watched; the last file opened stays
// known (its owner is whoever took it).
class WatchingOpener : public ViewedFileOpener {
public:
    std::unique_ptr<ViewedFile> open(const QByteArray& path, int& error) const override {
        std::unique_ptr<ViewedFile> file = viewedFileOpener().open(path, error);
        if (!file) return nullptr;
        auto watched = std::make_unique<WatchedFile>(std::move(file));
        last_ = watched.get();
        return watched;
    }
    [[nodiscard]] bool shrank() const { return last_ && last_->shrank(); }

private:
    mutable WatchedFile* last_ = nullptr;
};

// What went wrong with the file of a file report, in words; the status of a failed report.
int fileFailed(const Services& services, const QByteArray& file, int error, bool opening) {
    const QString shown = displayPath(file);
    QString text;
    if (opening && error == ENOENT)
        text = QStringLiteral("No such file: ") + shown;
    else if (opening && (error == EISDIR || error == EINVAL))  // the opener takes regular files
        text = shown + QStringLiteral(" is not a regular file.");
    else
        text = QStringLiteral("Can't %1 %2: %3.")
                   .arg(opening ? QStringLiteral("open") : QStringLiteral("read"), shown,
                        errorWords(error));
    services.showMessage(MessageKind::Error, text);
    return searchFailed;
}

int fileChanged(const Services& services, const QByteArray& file) {
    services.showMessage(MessageKind::Error,
                         displayPath(file) + QStringLiteral(" changed while it was read."));
    return searchFailed;
}

// The strings window's lines. Each is written as found, so that a read error or a shrink
// found later still leaves what came before it.
int stringsReport(const Services& services, const CommandLine& commandLine, std::FILE* out) {
    const WatchingOpener opener;
    int error = 0;
    const std::unique_ptr<ViewedFile> file = opener.open(commandLine.file, error);
    if (!file) return fileFailed(services, commandLine.file, error, true);
    std::int64_t found = 0;
    try {
        found = AsciiStringsScan{}.run(*file, [&](QByteArrayView s) { writeLine(s, out); });
    } catch (const IoError& e) {
        std::fflush(out);
        return fileFailed(services, commandLine.file, e.errorNumber(), false);
    }
    std::fflush(out);
    if (opener.shrank()) return fileChanged(services, commandLine.file);
    return found > 0 ? 0 : 1;
}

// The hex lines of the bytes asked for, exactly as the view draws them.
int hexReport(const Services& services, const CommandLine& commandLine, std::FILE* out) {
    const WatchingOpener opener;
    FileViewModel model(opener);
    try {
        model.open(commandLine.file);
    } catch (const ViewerError& e) {
        return fileFailed(services, commandLine.file, e.errorNumber(), true);
    }
    model.setHexMode(true);
    const std::int64_t size = model.fileSize();
    const std::int64_t end = commandLine.bytes < 0 || commandLine.bytes > size - commandLine.from
                                 ? size
                                 : commandLine.from + commandLine.bytes;
    const std::int64_t per = FileViewModel::hexBytesPerLine;
    try {
        for (std::int64_t line = commandLine.from / per; line * per < end; ++line) {
            const QByteArray text = model.lineText(line);
            if (text.isEmpty()) break;  // the file ended sooner than it said
            writeLine(text, out);
        }
    } catch (const ViewerError& e) {
        std::fflush(out);
        return fileFailed(services, commandLine.file, e.errorNumber(), false);
    }
    std::fflush(out);
    if (opener.shrank()) return fileChanged(services, commandLine.file);
    return 0;
}

// A scan written by --export, or read for --import; false (and the user told) when it fails.
bool readScan(const Services& services, const QByteArray& file, SpaceTree& tree) {
    ImportedScan imported = readScanFile(file);
    if (!imported.error.isEmpty()) {
        services.showMessage(MessageKind::Error, imported.error + QLatin1Char('.'));
        return false;
    }
    tree = std::move(imported.tree);
    return true;
}

bool scanDrive(const Services& services, Platform& platform, const std::vector<Drive>& drives,
               SpaceTree& tree) {
    if (drives.empty()) {
        services.showMessage(MessageKind::Error, QStringLiteral("There is no drive to scan."));
        return false;
    }
    SpaceScan scan(platform);
    if (!scan.run(drives.front().mountPoint)) {
        services.showMessage(MessageKind::Error, driveNotOpenedText(drives.front()));
        return false;
    }
    tree = scan.takeTree();
    return true;
}

// The space map's reports: the tree of a scan or of a file, what grew since a file's scan, and
// the export of a scan.
int spaceReport(const Services& services, const CommandLine& commandLine, Platform& platform,
                const std::vector<Drive>& drives, std::FILE* out) {
    SpaceTree tree;
    const bool fromFile =
        commandLine.report == ReportKind::Tree && !commandLine.importFile.isEmpty();
    if (fromFile ? !readScan(services, commandLine.importFile, tree)
                 : !scanDrive(services, platform, drives, tree))
        return searchFailed;
    if (commandLine.report == ReportKind::Export) {
        QSaveFile file(QString::fromLocal8Bit(commandLine.exportFile));
        const QByteArray data =
            exportScan(tree, QLatin1String(kVersion), QDateTime::currentSecsSinceEpoch());
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
            services.showMessage(MessageKind::Error,
                                 QStringLiteral("Can't write %1: %2.")
                                     .arg(displayPath(commandLine.exportFile), file.errorString()));
            return searchFailed;
        }
        return 0;
    }
    LineBlocks lines(out);
    const LineWriter write = [&](QByteArrayView text) { lines.add(text); };
    if (commandLine.report == ReportKind::Tree) {
        writeTreeReport(tree, commandLine.depth, write);
        return 0;
    }
    SpaceTree before;
    if (!readScan(services, commandLine.importFile, before)) return searchFailed;
    writeGrowthReport(before, tree, write);
    return 0;
}

// The reports that walk drives, or list a folder.
int driveReport(const Services& services, const CommandLine& commandLine, Platform& platform,
                const std::vector<Drive>& drives, std::FILE* out) {
    switch (commandLine.report) {
        case ReportKind::Duplicates:
            return commandLine.content
                       ? contentReport(services, commandLine, platform, drives, out)
                       : duplicatesReport(services, commandLine, platform, drives, out);
        case ReportKind::Dedupe:
            return dedupeRun(services, commandLine, platform, drives, out);
        case ReportKind::Hogs:
            return duplicatesReport(services, commandLine, platform, drives, out);
        case ReportKind::Folders:
            return foldersReport(services, commandLine, platform, drives, out);
        case ReportKind::Statistics:
            return statisticsReport(services, platform, drives, out);
        case ReportKind::Dates:
            return datesReport(services, commandLine, platform, drives, out);
        case ReportKind::Listing: {
            QString error;
            const int status = writeFolderListing(platform, commandLine.folder, commandLine.pattern,
                                                  *browseSortNamed(commandLine.sort), out, error);
            if (!error.isEmpty()) services.showMessage(MessageKind::Error, error);
            return status;
        }
        case ReportKind::Tree:
        case ReportKind::Growth:
        case ReportKind::Export:
            return spaceReport(services, commandLine, platform, drives, out);
        case ReportKind::None:
        case ReportKind::Strings:
        case ReportKind::Hex:
            break;
    }
    return 1;
}

}  // namespace

int runReport(const CommandLine& commandLine, Platform& platform, DialogService& dialogs,
              std::FILE* out) {
    DriveTable table(platform);
    const Services services(platform, dialogs, table);
    if (commandLine.report == ReportKind::Strings) return stringsReport(services, commandLine, out);
    if (commandLine.report == ReportKind::Hex) return hexReport(services, commandLine, out);
    setSearchPathList(SearchPathList(platform.searchPathVariable(), platform.systemFolder(),
                                     platform.windowsFolder()));
    const int previousThreads = walkThreads();
    setWalkThreads(commandLine.threads);
    const auto restore = qScopeGuard([previousThreads] { setWalkThreads(previousThreads); });
    const std::vector<Drive> drives = reportDrives(commandLine, table);
    try {
        return driveReport(services, commandLine, platform, drives, out);
    } catch (const IoError& e) {
        std::fflush(out);
        return searchStopped(services, e.errorNumber());
    }
}

}  // namespace rk
