#pragma once

#include <QCoreApplication>

#include "common/ScanJob.h"

namespace rk::test {

// A window's handler returns once its scan is started; this runs the event loop until every
// job has ended, as a user waits for the list.
inline void finishScans() {
    while (ScanJob::runningCount() > 0)
        QCoreApplication::processEvents();
}

}  // namespace rk::test
