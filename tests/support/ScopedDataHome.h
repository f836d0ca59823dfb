#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

namespace rk::test {

// Points XDG_DATA_HOME at a fresh temporary folder (below base, when given, to choose its
// file system) for as long as it lives, so trash tests never touch the user's own trash.
// The data folder itself does not exist yet: the trash must create what it needs.
class ScopedDataHome {
public:
    explicit ScopedDataHome(const QString& base = QDir::tempPath())
        : dir_(base + QStringLiteral("/roomkin-data-XXXXXX")),
          old_(qgetenv("XDG_DATA_HOME")),
          hadOld_(qEnvironmentVariableIsSet("XDG_DATA_HOME")) {
        dataHome_ = QFile::encodeName(dir_.path()) + "/share";
        qputenv("XDG_DATA_HOME", dataHome_);
    }
    ~ScopedDataHome() {
        if (hadOld_)
            qputenv("XDG_DATA_HOME", old_);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    ScopedDataHome(const ScopedDataHome&) = delete;
    ScopedDataHome& operator=(const ScopedDataHome&) = delete;

    [[nodiscard]] bool isValid() const { return dir_.isValid(); }
    [[nodiscard]] QByteArray dataHome() const { return dataHome_; }
    [[nodiscard]] QByteArray trash() const { return dataHome_ + "/Trash"; }

private:
    QTemporaryDir dir_;
    QByteArray old_;
    bool hadOld_;
    QByteArray dataHome_;
};

}  // namespace rk::test
