#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QWidget;

namespace rk {

// How the result windows open the folder browser on one of their rows: set once the browser
// exists. Until then their Browse buttons do nothing.
using OpenBrowser = std::function<void(QWidget* owner, const QByteArray& folder,
                                       const QByteArray& fileName, const QString& mask)>;
inline OpenBrowser openBrowser;

}  // namespace rk
