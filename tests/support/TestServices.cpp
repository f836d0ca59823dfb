#include "TestServices.h"

namespace rk::test {

Services TestServices::services() {
    Services s(other_ ? *other_ : platform(), dialogs_ ? *dialogs_ : scriptedDialogs(), table());
    s.openBrowser = [this](QWidget* owner, const QByteArray& folder, const QByteArray& file,
                           const QString& mask) {
        if (openBrowser) openBrowser(owner, folder, file, mask);
    };
    s.openViewer = [this](QWidget* owner, const QByteArray& path) {
        if (openViewer) openViewer(owner, path);
    };
    return s;
}

}  // namespace rk::test
