#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QTimer>
#include <functional>

#include "ui/TfrmDelDirectory.h"

namespace rk::test {

// Runs act; a modal window it opens is handed to answer (rejected without one). Returns
// whether one opened.
inline bool opensModal(const std::function<void()>& act,
                       const std::function<void(QDialog&)>& answer = {}) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            if (answer)
                answer(*modal);
            else
                modal->reject();
        }
    });
    act();
    QCoreApplication::processEvents();
    return opened;
}

// Runs act; the folder confirmation it opens must show path, and is answered by `answer`
// (declined without one). Returns whether it opened.
inline bool asksToDeleteFolder(const std::function<void()>& act, const QByteArray& path,
                               const std::function<void(TfrmDelDirectory&)>& answer = {}) {
    return opensModal(act, [&](QDialog& modal) {
        auto* confirm = qobject_cast<TfrmDelDirectory*>(&modal);
        if (!confirm || confirm->directory() != path) {
            ADD_FAILURE() << "no folder confirmation for " << path.constData();
            return modal.reject();
        }
        if (answer)
            answer(*confirm);
        else
            confirm->reject();
    });
}

}  // namespace rk::test
