#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "spacemap/SpaceReport.h"
#include "spacemap/SpaceTree.h"

namespace rk::test {

// The tree report of a tree, whole.
inline QByteArray treeReport(const SpaceTree& tree, int depth = -1) {
    QByteArray out;
    writeTreeReport(tree, depth, [&](QByteArrayView line) { out.append(line).append('\n'); });
    return out;
}

// Runs a tool, waiting for it; its standard output, or an empty result with ok false.
struct ToolRun {
    bool ok = false;
    QByteArray out;
    QByteArray err;
};
inline ToolRun runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    ToolRun r;
    r.ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

inline bool installed(const char* tool) {
    return !QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty();
}

}  // namespace rk::test
