#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFile>

#include "platform/LinuxPlatform.h"

namespace rk {

namespace {

void addOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Roomkin '95: finds what takes up room on your drives.\n"
                       "With --report, runs a search without a window and prints the list the\n"
                       "Clipboard button would copy."));
    parser.addOption({QStringLiteral("drive"),
                      QStringLiteral("Offer FOLDER as a drive of its own; with --report, walk "
                                     "it (repeatable; default: the drive of the current "
                                     "folder)."),
                      QStringLiteral("FOLDER")});
    parser.addOption({QStringLiteral("report"),
                      QStringLiteral("Print a report: duplicates, hogs or folders."),
                      QStringLiteral("KIND")});
    parser.addOption(
        {QStringLiteral("exact"), QStringLiteral("Duplicates of equal name and equal size in K.")});
    parser.addOption({QStringLiteral("min-kb"),
                      QStringLiteral("List files larger than N K, 0 to 50000 (default 250)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("pattern"),
                      QStringLiteral("Only files matching P, such as *.txt (default *.*)."),
                      QStringLiteral("P")});
    parser.addOption({QStringLiteral("main"),
                      QStringLiteral("Folders report: the main folders, each with all below it.")});
    parser.addOption(
        {QStringLiteral("all"),
         QStringLiteral("Folders report: every folder with the files directly in it.")});
    parser.addOption(
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")});
    parser.addOption({QStringLiteral("version"), QStringLiteral("Show the version.")});
}

}  // namespace

QString usageText() {
    QCommandLineParser parser;
    addOptions(parser);
    return parser.helpText();
}

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine result;
    QCommandLineParser parser;
    addOptions(parser);
    const auto fail = [&](const QString& message) {
        result.error = message;
        return result;
    };
    if (!parser.parse(arguments)) return fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("Unexpected argument '%1'.")
                        .arg(parser.positionalArguments().constFirst()));
    result.showHelp = parser.isSet(QStringLiteral("help"));
    result.showVersion = parser.isSet(QStringLiteral("version"));

    if (parser.isSet(QStringLiteral("report"))) {
        const QString kind = parser.value(QStringLiteral("report"));
        if (kind == QLatin1String("duplicates"))
            result.report = ReportKind::Duplicates;
        else if (kind == QLatin1String("hogs"))
            result.report = ReportKind::Hogs;
        else if (kind == QLatin1String("folders"))
            result.report = ReportKind::Folders;
        else
            return fail(
                QStringLiteral("Unknown report '%1': duplicates, hogs or folders.").arg(kind));
    }
    const bool mainSet = parser.isSet(QStringLiteral("main"));
    const bool allSet = parser.isSet(QStringLiteral("all"));
    if (result.report == ReportKind::Folders && mainSet == allSet)
        return fail(QStringLiteral("--report folders takes one of --main and --all."));
    if ((mainSet || allSet) && result.report != ReportKind::Folders)
        return fail(QStringLiteral("--main and --all go with --report folders."));
    result.mainFolders = mainSet;
    const bool fileReport =
        result.report == ReportKind::Duplicates || result.report == ReportKind::Hogs;
    for (const char* option : {"exact", "min-kb", "pattern"})
        if (parser.isSet(QLatin1String(option)) && !fileReport)
            return fail(QStringLiteral("--%1 goes with --report duplicates or hogs.")
                            .arg(QLatin1String(option)));
    if (parser.isSet(QStringLiteral("exact")) && result.report != ReportKind::Duplicates)
        return fail(QStringLiteral("--exact goes with --report duplicates."));
    result.exact = parser.isSet(QStringLiteral("exact"));
    if (parser.isSet(QStringLiteral("min-kb"))) {
        bool ok = false;
        const QString text = parser.value(QStringLiteral("min-kb"));
        const int value = text.toInt(&ok);
        if (!ok || value < 0 || value > 50000)
            return fail(
                QStringLiteral("--min-kb %1: give a whole number from 0 to 50000.").arg(text));
        result.minKb = value;
    }
    if (parser.isSet(QStringLiteral("pattern"))) {
        result.pattern = parser.value(QStringLiteral("pattern"));
        if (result.pattern.trimmed().isEmpty()) return fail(QStringLiteral("--pattern is empty."));
    }
    for (const QString& folder : parser.values(QStringLiteral("drive"))) {
        const QByteArray path = LinuxPlatform::resolveDriveFolder(QFile::encodeName(folder));
        if (path.isEmpty()) return fail(QStringLiteral("--drive %1: no such folder.").arg(folder));
        result.drives.push_back(path);
    }
    return result;
}

}  // namespace rk
