#include "app/CommandLine.h"

#include <QStringList>
#include <algorithm>
#include <array>

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
    Option{"report", "KIND", "Print a report: duplicates, hogs or folders."},
    Option{"exact", nullptr, "Duplicates of equal name and equal size in K."},
    Option{"content", nullptr,
           "Duplicates of the same contents, compared byte for byte; a blank line between "
           "groups."},
    Option{"min-kb", "N", "List files larger than N K, 0 to 50000 (default 250)."},
    Option{"pattern", "P", "Only files matching P, such as *.txt (default *.*)."},
    Option{"main", nullptr, "Folders report: the main folders, each with all below it."},
    Option{"all", nullptr, "Folders report: every folder with the files directly in it."},
    Option{"help", nullptr, "Show this help (also -h)."},
    Option{"version", nullptr, "Show the version."},
};

const Option* findOption(const QByteArray& name) {
    for (const Option& o : options)
        if (name == o.name) return &o;
    return nullptr;
}

QString shown(const QByteArray& argument) {
    return QString::fromLocal8Bit(argument);
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
            if (i + 1 < arguments.size())
                return QStringLiteral("Unexpected argument '%1'.").arg(shown(arguments[i + 1]));
            break;
        }
        if (!arg.startsWith("--")) {
            if (arg == "-h") {
                given.values.emplace_back(findOption("help"), QByteArray());
                continue;
            }
            if (arg.startsWith('-') && arg.size() > 1)
                return QStringLiteral("Unknown option '%1'.").arg(shown(arg));
            return QStringLiteral("Unexpected argument '%1'.").arg(shown(arg));
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

}  // namespace

QString usageText() {
    QString text = QStringLiteral(
        "Usage: roomkin [options]\n"
        "Roomkin '95: finds what takes up room on your drives.\n"
        "With --report, runs a search without a window and prints the list the\n"
        "Clipboard button would copy.\n\nOptions:\n");
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

    if (given.isSet("report")) {
        const QByteArray kind = given.value("report");
        if (kind == "duplicates")
            result.report = ReportKind::Duplicates;
        else if (kind == "hogs")
            result.report = ReportKind::Hogs;
        else if (kind == "folders")
            result.report = ReportKind::Folders;
        else
            return fail(QStringLiteral("Unknown report '%1': duplicates, hogs or folders.")
                            .arg(shown(kind)));
    }
    const bool mainSet = given.isSet("main");
    const bool allSet = given.isSet("all");
    if (result.report == ReportKind::Folders && mainSet == allSet)
        return fail(QStringLiteral("--report folders takes one of --main and --all."));
    if ((mainSet || allSet) && result.report != ReportKind::Folders)
        return fail(QStringLiteral("--main and --all go with --report folders."));
    result.mainFolders = mainSet;
    const bool fileReport =
        result.report == ReportKind::Duplicates || result.report == ReportKind::Hogs;
    for (const char* option : {"exact", "min-kb", "pattern"})
        if (given.isSet(option) && !fileReport)
            return fail(QStringLiteral("--%1 goes with --report duplicates or hogs.")
                            .arg(QLatin1String(option)));
    if (given.isSet("exact") && result.report != ReportKind::Duplicates)
        return fail(QStringLiteral("--exact goes with --report duplicates."));
    result.exact = given.isSet("exact");
    if (given.isSet("content") && result.report != ReportKind::Duplicates)
        return fail(QStringLiteral("--content goes with --report duplicates."));
    if (given.isSet("content") && result.exact)
        return fail(QStringLiteral("--content and --exact are two different searches."));
    result.content = given.isSet("content");
    if (given.isSet("min-kb")) {
        bool ok = false;
        const QByteArray text = given.value("min-kb");
        const int value = text.toInt(&ok);
        if (!ok || value < 0 || value > 50000)
            return fail(QStringLiteral("--min-kb %1: give a whole number from 0 to 50000.")
                            .arg(shown(text)));
        result.minKb = value;
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
    return result;
}

}  // namespace rk
