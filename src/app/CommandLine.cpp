#include "app/CommandLine.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <optional>

#include "browser/FolderListing.h"
#include "platform/LinuxPlatform.h"

namespace rk {

namespace {

struct Option {
    const char* name;       // without the leading "--"
    const char* valueName;  // null for a switch
    const char* help;
};

constexpr std::array options{
    Option{"drive", "FOLDER",
           "Offer FOLDER as a drive of its own; with --report, walk it (repeatable; default: "
           "the drive of the current folder)."},
    Option{"report", "KIND",
           "Print a report: duplicates, hogs, folders, statistics, dates, listing, tree (every "
           "folder's room, files and folders) or growth (what changed since the scan of "
           "--import); or strings FILE (the readable strings of a file) or hex FILE (its hex "
           "lines, as the viewer shows them)."},
    Option{"depth", "N",
           "Tree report: the folders down to N levels below the drive (0: the drive alone; "
           "default: all)."},
    Option{"export", "FILE",
           "Scan the drive and write the scan to FILE in the JSON export format that ncdu -f "
           "and gdu -f read."},
    Option{"import", "FILE",
           "Open the space map on the scan in FILE (an export of this program, ncdu or gdu), "
           "read-only; with --report tree, print it instead of scanning; with --report "
           "growth, the earlier scan to compare with."},
    Option{"exact", nullptr, "Duplicates of equal name and equal size in K."},
    Option{"content", nullptr,
           "Duplicates of the same contents, compared byte for byte; a blank line between "
           "groups."},
    Option{"min-kb", "N", "List files larger than N K, 0 to 50000 (default 250)."},
    Option{"pattern", "P", "Only files matching P, such as *.txt (default *.*)."},
    Option{"what", "TIME",
           "Dates report: the time tested, accessed, created or modified (default accessed)."},
    Option{"when", "RELATION",
           "Dates report: before (on or before the start day), between (from the start day "
           "to the end day, both included) or after (on or after the start day); default "
           "between."},
    Option{"start", "YYYY-MM-DD", "Dates report: the start day (default today)."},
    Option{"end", "YYYY-MM-DD", "Dates report: the end day, with between (default today)."},
    Option{"main", nullptr, "Folders report: the main folders, each with all below it."},
    Option{"all", nullptr, "Folders report: every folder with the files directly in it."},
    Option{"folder", "DIR",
           "Listing report: the files of DIR as the browser shows them, six tab-separated "
           "cells each; with --pattern."},
    Option{"sort", "ORDER",
           "Listing report: name (default), date, access, size or type, as the browser's sort "
           "menu orders them."},
    Option{"from", "OFFSET",
           "Hex report: start at the line holding byte OFFSET, decimal or 0x hex (default 0)."},
    Option{"bytes", "N", "Hex report: show the lines of N bytes from there (default: all)."},
    Option{"threads", "N",
           "Reports: read folders with N worker threads, 1 to 64 (default: one a processor, at "
           "most 8)."},
    Option{"dedupe", "WAY",
           "Search duplicates by content and give back the room of all but one copy of each "
           "group, keeping every name: share (the copies share their data; on Btrfs, XFS and "
           "the like) or link (each copy becomes a hard link to the one kept)."},
    Option{"keep", "RULE",
           "With --dedupe: the copy that stays, oldest (default), newest or shortest (path)."},
    Option{"originals", "FOLDER",
           "With --dedupe or --report duplicates: files in FOLDER are originals, "
           "never acted on; a group of originals alone is not listed (repeatable)."},
    Option{"dry-run", nullptr, "With --dedupe: print what would be done, change nothing."},
    Option{"help", nullptr, "Show this help (also -h)."},
    Option{"version", nullptr, "Show the version."},
    Option{"help-file", nullptr,
           "Print the help file the Help button shows; exit status 1 when it is missing."},
};

const Option* findOption(const QByteArray& name) {
    for (const Option& o : options)
        if (name == o.name) return &o;
    return nullptr;
}

QString shown(const QByteArray& argument) {
    return QString::fromLocal8Bit(argument);
}

// A whole number written with digits only: no blank, sign or other digits around it, which a
// lenient reader would take (" 5" for 5). Empty when the text is anything else or too large.
std::optional<qlonglong> wholeNumber(QByteArrayView text, int base) {
    const auto digit = [base](char c) {
        const char lower = char(c | 0x20);
        return (c >= '0' && c <= '9') || (base == 16 && lower >= 'a' && lower <= 'f');
    };
    if (text.isEmpty() || !std::all_of(text.begin(), text.end(), digit)) return std::nullopt;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, base);
    return ok ? std::optional(value) : std::nullopt;
}

// Word-wraps text to width columns, each line after the first indented by indent blanks.
QString wrapped(const QString& text, int indent, int width) {
    QString out;
    int column = indent;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (column > indent && column + 1 + word.size() > width) {
            out += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
        } else if (column > indent) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += int(word.size());
    }
    return out;
}

// The arguments sorted by option: each option's values in the order given.
struct Given {
    std::vector<std::pair<const Option*, QByteArray>> values;
    std::vector<QByteArray> operands;  // arguments that are no option (a report's file)
    [[nodiscard]] bool isSet(const char* name) const { return !all(name).empty(); }
    [[nodiscard]] std::vector<QByteArray> all(const char* name) const {
        std::vector<QByteArray> found;
        for (const auto& [option, value] : values)
            if (qstrcmp(option->name, name) == 0) found.push_back(value);
        return found;
    }
    // The last value given wins.
    [[nodiscard]] QByteArray value(const char* name) const {
        const std::vector<QByteArray> found = all(name);
        return found.empty() ? QByteArray() : found.back();
    }
};

// Splits the arguments into options and their values; the error text when one is wrong.
QString tokenize(const std::vector<QByteArray>& arguments, Given& given) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const QByteArray& arg = arguments[i];
        if (arg == "--") {
            // Everything after it is an operand, even when it starts with "-".
            given.operands.insert(given.operands.end(), arguments.begin() + qsizetype(i) + 1,
                                  arguments.end());
            break;
        }
        if (!arg.startsWith("--")) {
            if (arg == "-h") {
                given.values.emplace_back(findOption("help"), QByteArray());
                continue;
            }
            if (arg.startsWith('-') && arg.size() > 1)
                return QStringLiteral("Unknown option '%1'.").arg(shown(arg));
            given.operands.push_back(arg);
            continue;
        }
        const qsizetype equals = arg.indexOf('=');
        const QByteArray name = arg.mid(2, equals < 0 ? -1 : equals - 2);
        const Option* option = findOption(name);
        if (!option) return QStringLiteral("Unknown option '%1'.").arg(shown(arg));
        if (!option->valueName) {
            if (equals >= 0)
                return QStringLiteral("--%1 takes no value.").arg(QLatin1String(option->name));
            given.values.emplace_back(option, QByteArray());
        } else if (equals >= 0) {
            given.values.emplace_back(option, arg.mid(equals + 1));
        } else if (i + 1 < arguments.size()) {
            given.values.emplace_back(option, arguments[++i]);
        } else {
            return QStringLiteral("Missing value after '%1'.").arg(shown(arg));
        }
    }
    return {};
}

// The dates report's options; the error text when one is wrong.
QString parseDateOptions(const Given& given, CommandLine& result) {
    for (const char* option : {"what", "when", "start", "end"})
        if (given.isSet(option) && result.report != ReportKind::Dates)
            return QStringLiteral("--%1 goes with --report dates.").arg(QLatin1String(option));
    const auto choose = [&](const char* option, const std::array<const char*, 3>& names,
                            int& into) -> QString {
        if (!given.isSet(option)) return {};
        const QByteArray value = given.value(option);
        for (std::size_t i = 0; i < names.size(); ++i)
            if (value == names[i]) {
                into = int(i);
                return {};
            }
        return QStringLiteral("--%1 %2: give %3, %4 or %5.")
            .arg(QLatin1String(option), shown(value), QLatin1String(names[0]),
                 QLatin1String(names[1]), QLatin1String(names[2]));
    };
    if (QString e = choose("what", {"accessed", "created", "modified"}, result.dateWhat);
        !e.isEmpty())
        return e;
    if (QString e = choose("when", {"before", "between", "after"}, result.dateWhen); !e.isEmpty())
        return e;
    const auto day = [&](const char* option, QDate& into) -> QString {
        if (!given.isSet(option)) return {};
        const QByteArray value = given.value(option);
        // Four-digit year, two-digit month and day: 2023-02-29 is no day.
        const QDate d = QDate::fromString(QString::fromLatin1(value), QStringLiteral("yyyy-MM-dd"));
        if (value.size() != 10 || !d.isValid())
            return QStringLiteral("--%1 %2: give a real day as YYYY-MM-DD.")
                .arg(QLatin1String(option), shown(value));
        into = d;
        return {};
    };
    if (QString e = day("start", result.start); !e.isEmpty()) return e;
    if (QString e = day("end", result.end); !e.isEmpty()) return e;
    if (given.isSet("end") && result.dateWhen != 1)
        return QStringLiteral("--end goes with --when between.");
    return {};
}

// The space map's options; the error text when one is wrong.
QString parseSpaceOptions(const Given& given, CommandLine& result) {
    if (given.isSet("export")) {
        if (result.report != ReportKind::None)
            return QStringLiteral("--export writes a scan: it goes with no --report.");
        result.report = ReportKind::Export;
        result.exportFile = given.value("export");
        if (result.exportFile.isEmpty()) return QStringLiteral("--export needs a file name.");
    }
    if (given.isSet("import")) {
        // Without a report, the space map window opens on the file.
        if (result.report != ReportKind::Tree && result.report != ReportKind::Growth &&
            result.report != ReportKind::None)
            return QStringLiteral("--import goes with --report tree or growth, or alone.");
        result.importFile = given.value("import");
    } else if (result.report == ReportKind::Growth) {
        return QStringLiteral("--report growth compares with an earlier scan: give --import.");
    }
    if (given.isSet("depth")) {
        if (result.report != ReportKind::Tree)
            return QStringLiteral("--depth goes with --report tree.");
        const QByteArray text = given.value("depth");
        const std::optional<qlonglong> value = wholeNumber(text, 10);
        if (!value || *value > 100000)
            return QStringLiteral("--depth %1: give a whole number of levels.").arg(shown(text));
        result.depth = int(*value);
    }
    return {};
}

}  // namespace

QString usageText() {
    QString text = QStringLiteral(
        "Usage: roomkin [options]\n"
        "       roomkin --report strings FILE\n"
        "       roomkin --report hex FILE [--from OFFSET] [--bytes N]\n"
        "       roomkin --dedupe share|link [--keep RULE] [--originals FOLDER]... [--dry-run]\n"
        "       roomkin --export FILE [--drive FOLDER]\n"
        "       roomkin --report tree --import FILE [--depth N]\n"
        "Roomkin '95: finds what takes up room on your drives.\n"
        "With --report, runs a search without a window and prints the list the\n"
        "Clipboard button would copy; --report statistics prints the statistics\n"
        "window's pages for one drive; strings and hex print what the viewer shows.\n"
        "\nOptions:\n");
    QStringList names;
    int widest = 0;
    for (const Option& o : options) {
        QString n = QStringLiteral("  --") + QLatin1String(o.name);
        if (o.valueName) n += QStringLiteral(" <%1>").arg(QLatin1String(o.valueName));
        widest = std::max(widest, int(n.size()));
        names.append(n);
    }
    const int indent = widest + 2;
    for (std::size_t i = 0; i < options.size(); ++i)
        text += names[qsizetype(i)].leftJustified(indent) +
                wrapped(QLatin1String(options[i].help), indent, 79) + QLatin1Char('\n');
    return text;
}

CommandLine parseCommandLine(const std::vector<QByteArray>& arguments) {
    CommandLine result;
    const auto fail = [&](const QString& message) {
        result.error = message;
        return result;
    };
    Given given;
    if (const QString error = tokenize(arguments, given); !error.isEmpty()) return fail(error);
    result.showHelp = given.isSet("help");
    result.showVersion = given.isSet("version");
    result.showHelpFile = given.isSet("help-file");

    if (given.all("report").size() > 1)
        return fail(QStringLiteral("--report is given more than once."));
    if (given.isSet("report")) {
        const QByteArray kind = given.value("report");
        if (kind == "duplicates")
            result.report = ReportKind::Duplicates;
        else if (kind == "hogs")
            result.report = ReportKind::Hogs;
        else if (kind == "folders")
            result.report = ReportKind::Folders;
        else if (kind == "statistics")
            result.report = ReportKind::Statistics;
        else if (kind == "dates")
            result.report = ReportKind::Dates;
        else if (kind == "listing")
            result.report = ReportKind::Listing;
        else if (kind == "strings")
            result.report = ReportKind::Strings;
        else if (kind == "hex")
            result.report = ReportKind::Hex;
        else if (kind == "tree")
            result.report = ReportKind::Tree;
        else if (kind == "growth")
            result.report = ReportKind::Growth;
        else
            return fail(QStringLiteral("Unknown report '%1': duplicates, hogs, folders, "
                                       "statistics, dates, listing, tree, growth, strings or "
                                       "hex.")
                            .arg(shown(kind)));
    }
    if (given.isSet("dedupe")) {
        if (result.report != ReportKind::None)
            return fail(QStringLiteral("--dedupe and --report are two different runs."));
        const QByteArray way = given.value("dedupe");
        if (way != "share" && way != "link")
            return fail(QStringLiteral("--dedupe %1: give share or link.").arg(shown(way)));
        result.report = ReportKind::Dedupe;
        result.shareData = way == "share";
    }
    const bool dedupe = result.report == ReportKind::Dedupe;
    for (const char* option : {"keep", "dry-run"})
        if (given.isSet(option) && !dedupe)
            return fail(QStringLiteral("--%1 goes with --dedupe.").arg(QLatin1String(option)));
    if (given.isSet("keep")) {
        const QByteArray rule = given.value("keep");
        if (rule == "oldest")
            result.keep = 0;
        else if (rule == "newest")
            result.keep = 1;
        else if (rule == "shortest")
            result.keep = 3;
        else
            return fail(
                QStringLiteral("--keep %1: give oldest, newest or shortest.").arg(shown(rule)));
    }
    result.dryRun = given.isSet("dry-run");
    if (const QString error = parseSpaceOptions(given, result); !error.isEmpty())
        return fail(error);
    // The file reports take one file; nothing else takes an operand.
    const bool fileKind = result.report == ReportKind::Strings || result.report == ReportKind::Hex;
    if (fileKind && given.operands.empty())
        return fail(QStringLiteral("--report %1 needs a file.").arg(shown(given.value("report"))));
    if (given.operands.size() > (fileKind ? 1U : 0U))
        return fail(QStringLiteral("Unexpected argument '%1'.")
                        .arg(shown(given.operands[fileKind ? 1 : 0])));
    if (fileKind) result.file = given.operands.front();
    for (const char* option : {"from", "bytes"}) {
        if (!given.isSet(option)) continue;
        if (result.report != ReportKind::Hex)
            return fail(QStringLiteral("--%1 goes with --report hex.").arg(QLatin1String(option)));
        const QByteArray text = given.value(option);
        // Decimal, or hexadecimal after "0x" as the hex lines write offsets; never octal.
        const bool hex = text.startsWith("0x") || text.startsWith("0X");
        const std::optional<qlonglong> value =
            hex ? wholeNumber(text.mid(2), 16) : wholeNumber(text, 10);
        if (!value)
            return fail(QStringLiteral("--%1 %2: give a whole number of bytes.")
                            .arg(QLatin1String(option), shown(text)));
        (qstrcmp(option, "from") == 0 ? result.from : result.bytes) = *value;
    }
    const bool mainSet = given.isSet("main");
    const bool allSet = given.isSet("all");
    if (result.report == ReportKind::Folders && mainSet == allSet)
        return fail(QStringLiteral("--report folders takes one of --main and --all."));
    if ((mainSet || allSet) && result.report != ReportKind::Folders)
        return fail(QStringLiteral("--main and --all go with --report folders."));
    result.mainFolders = mainSet;
    const bool fileReport =
        result.report == ReportKind::Duplicates || result.report == ReportKind::Hogs || dedupe;
    const bool listing = result.report == ReportKind::Listing;
    for (const char* option : {"folder", "sort"})
        if (given.isSet(option) && !listing)
            return fail(
                QStringLiteral("--%1 goes with --report listing.").arg(QLatin1String(option)));
    if (listing) {
        if (!given.isSet("folder")) return fail(QStringLiteral("--report listing takes --folder."));
        result.folder = given.value("folder");
        if (given.isSet("sort")) {
            result.sort = given.value("sort");
            if (!browseSortNamed(result.sort))
                return fail(QStringLiteral("--sort %1: name, date, access, size or type.")
                                .arg(shown(result.sort)));
        }
    }
    for (const char* option : {"exact", "min-kb"})
        if (given.isSet(option) && !fileReport)
            return fail(QStringLiteral("--%1 goes with --report duplicates or hogs.")
                            .arg(QLatin1String(option)));
    if (given.isSet("pattern") && !fileReport && result.report != ReportKind::Dates && !listing)
        return fail(
            QStringLiteral("--pattern goes with --report duplicates, hogs, dates or listing."));
    if (const QString error = parseDateOptions(given, result); !error.isEmpty()) return fail(error);
    if (given.isSet("exact") && result.report != ReportKind::Duplicates)
        return fail(QStringLiteral("--exact goes with --report duplicates."));
    result.exact = given.isSet("exact");
    if (given.isSet("content") && result.report != ReportKind::Duplicates)
        return fail(QStringLiteral("--content goes with --report duplicates."));
    if (given.isSet("content") && result.exact)
        return fail(QStringLiteral("--content and --exact are two different searches."));
    result.content = given.isSet("content") || dedupe;
    for (const QByteArray& folder : given.all("originals")) {
        if (result.report != ReportKind::Duplicates && !dedupe)
            return fail(QStringLiteral("--originals goes with --dedupe or --report duplicates."));
        const QByteArray path = LinuxPlatform::resolveDriveFolder(folder);
        if (path.isEmpty())
            return fail(QStringLiteral("--originals %1: no such folder.").arg(shown(folder)));
        result.originals.push_back(path);
    }
    if (given.isSet("min-kb")) {
        const QByteArray text = given.value("min-kb");
        const std::optional<qlonglong> value = wholeNumber(text, 10);
        if (!value || *value > 50000)
            return fail(QStringLiteral("--min-kb %1: give a whole number from 0 to 50000.")
                            .arg(shown(text)));
        result.minKb = int(*value);
    }
    if (given.isSet("threads")) {
        const QByteArray text = given.value("threads");
        const std::optional<qlonglong> value = wholeNumber(text, 10);
        if (!value || *value < 1 || *value > 64)
            return fail(
                QStringLiteral("--threads %1: give a whole number from 1 to 64.").arg(shown(text)));
        if (result.report == ReportKind::None)
            return fail(QStringLiteral("--threads goes with --report."));
        result.threads = int(*value);
    }
    if (given.isSet("pattern")) {
        result.pattern = shown(given.value("pattern"));
        if (result.pattern.trimmed().isEmpty()) return fail(QStringLiteral("--pattern is empty."));
    }
    for (const QByteArray& folder : given.all("drive")) {
        // The exact bytes: a folder whose name is not valid text is still a folder.
        const QByteArray path = LinuxPlatform::resolveDriveFolder(folder);
        if (path.isEmpty())
            return fail(QStringLiteral("--drive %1: no such folder.").arg(shown(folder)));
        result.drives.push_back(path);
    }
    // The statistics window counts one drive; a space map maps one.
    if (result.report == ReportKind::Statistics && result.drives.size() > 1)
        return fail(QStringLiteral("--report statistics takes one --drive."));
    const bool mapsDrive = result.report == ReportKind::Growth ||
                           result.report == ReportKind::Export ||
                           (result.report == ReportKind::Tree && result.importFile.isEmpty());
    if (mapsDrive && result.drives.size() > 1)
        return fail(QStringLiteral("A space map is of one drive: give one --drive."));
    if (result.report == ReportKind::Tree && !result.importFile.isEmpty() && !result.drives.empty())
        return fail(
            QStringLiteral("--report tree prints a scan of --drive or of --import, not "
                           "both."));
    return result;
}

}  // namespace rk
