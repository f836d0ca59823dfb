#include "app/Reports.h"

#include "common/Drives.h"
#include "common/Messages.h"
#include "common/SearchPath.h"
#include "common/Services.h"
#include "duplicates/ContentScan.h"
#include "duplicates/DupScan.h"
#include "folderhogs/FolderHogScan.h"
#include "platform/Platform.h"

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

int writeLines(const std::vector<ScanRecord>& records, std::FILE* out) {
    for (const ScanRecord& r : records)
        writeLine(r.text(), out);
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
        block_.append(text).append('\n');
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

// A drive that could not be searched, or a list cut short, is a failed search even where
// other drives gave lines: the lines are written, the status says the list is not whole.
template <class Scan, class Write>
int finish(const Scan& scan, Write write) {
    if (scan.unopenedDrives() > 0 || scan.incomplete()) {
        write();
        return searchFailed;
    }
    if (scan.listedCount() == 0) {
        ShowInfo(QStringLiteral("No files found."));
        return 1;
    }
    write();
    return 0;
}

int duplicatesReport(const CommandLine& commandLine, Platform& platform,
                     const std::vector<Drive>& drives, std::FILE* out) {
    DupQuery query;
    query.duplicates = commandLine.report == ReportKind::Duplicates;
    query.exact = commandLine.exact;
    query.sizeLimitKb = commandLine.minKb;
    query.pattern = commandLine.pattern;
    query.drives = drives;
    DupScan scan(platform);
    scan.run(query);
    // The lines are written straight from the scan's own list, so a list of millions is
    // never held twice.
    const auto write = [&] {
        LineBlocks lines(out);
        scan.writeListed([&](QByteArrayView text) { lines.add(text); });
    };
    return finish(scan, write);
}

// Groups of identical files, each group's records one a line, an empty line between groups.
int contentReport(const CommandLine& commandLine, Platform& platform,
                  const std::vector<Drive>& drives, std::FILE* out) {
    ContentScan scan(platform);
    scan.run({commandLine.minKb, commandLine.pattern, drives});
    const auto write = [&] {
        LineBlocks lines(out);
        bool first = true;
        scan.writeListed([&](QByteArrayView text, bool groupStart) {
            if (groupStart && !first) lines.add({});
            lines.add(text);
            first = false;
        });
    };
    return finish(scan, write);
}

int foldersReport(const CommandLine& commandLine, Platform& platform,
                  const std::vector<Drive>& drives, std::FILE* out) {
    FolderHogScan scan(platform);
    scan.run(commandLine.mainFolders, drives);
    if (scan.unopenedDrives() > 0 || scan.abort) {
        writeLines(scan.lb(), out);
        return searchFailed;
    }
    // As in the window: fewer than two lines is no list.
    if (scan.lb().size() < 2) {
        ShowInfo(QStringLiteral("No files found."));
        return 1;
    }
    return writeLines(scan.lb(), out);
}

}  // namespace

int runReport(const CommandLine& commandLine, Platform& platform, std::FILE* out) {
    setSearchPathList(SearchPathList(platform.searchPathVariable(), platform.systemFolder(),
                                     platform.windowsFolder()));
    DriveTable table(platform);
    DriveTable* previous = &driveTable();
    setDriveTable(&table);
    const std::vector<Drive> drives = reportDrives(commandLine, table);
    int status = 1;
    switch (commandLine.report) {
        case ReportKind::Duplicates:
            status = commandLine.content ? contentReport(commandLine, platform, drives, out)
                                         : duplicatesReport(commandLine, platform, drives, out);
            break;
        case ReportKind::Hogs:
            status = duplicatesReport(commandLine, platform, drives, out);
            break;
        case ReportKind::Folders:
            status = foldersReport(commandLine, platform, drives, out);
            break;
        case ReportKind::None:
            break;
    }
    setDriveTable(previous);
    return status;
}

}  // namespace rk
