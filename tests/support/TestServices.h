#pragma once

#include "InstalledPlatform.h"
#include "ScriptedDialogs.h"
#include "ui/Services.h"

namespace rk::test {

// A window test's services: the installed test platform, whose only drives are the given
// folders (none by default), its drive table, and the scripted dialogs.
class TestServices : public InstalledPlatform {
public:
    using InstalledPlatform::InstalledPlatform;
    TestServices() : InstalledPlatform({}) {}

    // Windows made from now on read through this platform instead, with the same drive table.
    void usePlatform(Platform& other) { other_ = &other; }
    // And ask through these dialogs instead of the scripted ones every test gets.
    void useDialogs(DialogService& dialogs) { dialogs_ = &dialogs; }

    // Made afresh on each call, since reset() replaces the platform and its table. Its browser
    // and viewer links call openBrowser and openViewer below as they are when a window calls,
    // so a test can set them after making the window.
    [[nodiscard]] Services services();

    Services::OpenBrowser openBrowser;
    Services::OpenViewer openViewer;

private:
    Platform* other_ = nullptr;
    DialogService* dialogs_ = nullptr;
};

}  // namespace rk::test
