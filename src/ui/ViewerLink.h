#pragma once

#include <QByteArray>
#include <functional>

class QWidget;

namespace rk {

// How the browser opens the file viewer on a file: set once the viewer exists. Until then
// the browser's View button does nothing.
using OpenViewer = std::function<void(QWidget* owner, const QByteArray& path)>;
inline OpenViewer openViewer;

}  // namespace rk
