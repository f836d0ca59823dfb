#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFile>

#include "platform/LinuxPlatform.h"

namespace rk {

namespace {

void addOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Roomkin '95: finds what takes up room on your drives."));
    parser.addOption({QStringLiteral("drive"),
                      QStringLiteral("Offer FOLDER as a drive of its own (repeatable)."),
                      QStringLiteral("FOLDER")});
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
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error = QStringLiteral("Unexpected argument '%1'.")
                           .arg(parser.positionalArguments().constFirst());
        return result;
    }
    result.showHelp = parser.isSet(QStringLiteral("help"));
    result.showVersion = parser.isSet(QStringLiteral("version"));
    for (const QString& folder : parser.values(QStringLiteral("drive"))) {
        const QByteArray path = LinuxPlatform::resolveDriveFolder(QFile::encodeName(folder));
        if (path.isEmpty()) {
            result.error = QStringLiteral("--drive %1: no such folder.").arg(folder);
            return result;
        }
        result.drives.push_back(path);
    }
    return result;
}

}  // namespace rk
