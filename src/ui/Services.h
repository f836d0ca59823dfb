#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "common/Dialogs.h"

class QWidget;

namespace rk {

class DriveTable;
class Platform;

// What a window works with, handed to its constructor: the platform it reads and deletes
// through, the dialogs it asks with, the drive table it offers, and how it opens the browser
// and the viewer. The application makes one at start-up, the command line its own, each test
// its own. Nothing is owned here: the objects referred to outlive every window given them.
class Services {
public:
    using OpenBrowser = std::function<void(QWidget* owner, const QByteArray& folder,
                                           const QByteArray& fileName, const QString& mask)>;
    using OpenViewer = std::function<void(QWidget* owner, const QByteArray& path)>;

    Services(Platform& platform, DialogService& dialogs, DriveTable& drives)
        : platform_(&platform), dialogs_(&dialogs), drives_(&drives) {}

    [[nodiscard]] Platform& platform() const { return *platform_; }
    [[nodiscard]] DialogService& dialogs() const { return *dialogs_; }
    [[nodiscard]] DriveTable& drives() const { return *drives_; }

    // Empty until the browser and the viewer exist: their buttons then do nothing.
    OpenBrowser openBrowser;
    OpenViewer openViewer;

    // Exclamation beep, then an "Error" box with "OK".
    void showError(const QString& text) const;
    // Critical-stop beep, then a "Warning" box with "OK".
    void showWarning(const QString& text) const;
    // An "Information" box with "OK", no beep.
    void showInfo(const QString& text) const;
    // A box of the given kind and buttons without a beep; returns the button pressed.
    Button showMessage(MessageKind kind, const QString& text, int buttons = ButtonOk,
                       Button defaultButton = ButtonOk) const;
    // A "Confirm" box; returns the button pressed.
    Button confirm(const QString& text, int buttons = ButtonYes | ButtonNo,
                   Button defaultButton = ButtonYes) const;
    // The general error box: titled with the application title, the message followed by ".".
    void showGeneralError(const QString& message) const;

private:
    Platform* platform_;
    DialogService* dialogs_;
    DriveTable* drives_;
};

}  // namespace rk
