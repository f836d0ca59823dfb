#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <cstdint>
#include <vector>

namespace rk {

enum class ReportKind {
    None,
    Duplicates,
    Hogs,
    Folders,
    Statistics,
    Dates,
    Listing,
    Strings,
    Hex,
    Dedupe,  // --dedupe: the content search, then all but one copy of each group linked
    Tree,    // the space map's folders with their totals
    Growth,  // what changed since an earlier scan
    Export   // --export: a scan written to a file
};

// What the program was started with. Parsed before any window exists, so a bad argument
// gets a one-line usage message and exit status 2.
struct CommandLine {
    std::vector<QByteArray> drives;  // --drive FOLDER, resolved; repeatable
    ReportKind report = ReportKind::None;
    bool exact = false;                       // --exact
    bool content = false;                     // --content
    int minKb = 250;                          // --min-kb N
    int threads = 0;                          // --threads N; 0 for the machine's
    QString pattern = QStringLiteral("*.*");  // --pattern P
    bool mainFolders = false;                 // --main (else --all)
    // The dates report: which time (0 accessed, 1 created, 2 modified), which relation
    // (0 before, 1 between, 2 after) and which days; today where no day is given.
    int dateWhat = 0;          // --what
    int dateWhen = 1;          // --when
    QDate start;               // --start
    QDate end;                 // --end
    QByteArray folder;         // --folder DIR, as given (listing report)
    QByteArray sort = "name";  // --sort name|date|access|size|type
    QByteArray file;           // the file of --report strings or hex
    std::int64_t from = 0;     // --from OFFSET (hex)
    std::int64_t bytes = -1;   // --bytes N (hex); -1 for all
    // --dedupe share|link: how the copies are linked; which copy stays (--keep); folders of
    // originals that are never touched (--originals, resolved); --dry-run changes nothing.
    bool shareData = true;
    int keep = 0;  // KeepRule: 0 oldest, 1 newest, 3 shortest
    std::vector<QByteArray> originals;
    bool dryRun = false;
    int depth = -1;         // --depth N (tree report); -1 for all
    QByteArray exportFile;  // --export FILE
    QByteArray importFile;  // --import FILE
    bool showHelp = false;
    bool showVersion = false;
    bool showHelpFile = false;  // --help-file: where the Help button would look
    QString error;              // empty when the arguments were good

    [[nodiscard]] bool ok() const { return error.isEmpty(); }
};

// Parses the arguments as the bytes the program was given, the program's name first: a
// folder name need not be valid text. Never exits and writes nothing; a bad argument is
// reported in the result's error.
[[nodiscard]] CommandLine parseCommandLine(const std::vector<QByteArray>& arguments);
[[nodiscard]] QString usageText();

}  // namespace rk
