#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace rk {

enum class ReportKind { None, Duplicates, Hogs, Folders };

// What the program was started with. Parsed before any window exists, so a bad argument
// gets a one-line usage message and exit status 2.
struct CommandLine {
    std::vector<QByteArray> drives;  // --drive FOLDER, resolved; repeatable
    ReportKind report = ReportKind::None;
    bool exact = false;                       // --exact
    bool content = false;                     // --content
    int minKb = 250;                          // --min-kb N
    QString pattern = QStringLiteral("*.*");  // --pattern P
    bool mainFolders = false;                 // --main (else --all)
    bool showHelp = false;
    bool showVersion = false;
    QString error;  // empty when the arguments were good

    [[nodiscard]] bool ok() const { return error.isEmpty(); }
};

// Parses the arguments as the bytes the program was given, the program's name first: a
// folder name need not be valid text. Never exits and writes nothing; a bad argument is
// reported in the result's error.
[[nodiscard]] CommandLine parseCommandLine(const std::vector<QByteArray>& arguments);
[[nodiscard]] QString usageText();

}  // namespace rk
