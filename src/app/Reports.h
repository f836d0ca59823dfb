#pragma once

#include <cstdio>

#include "app/CommandLine.h"

namespace rk {

class DialogService;
class Platform;

// Runs the report the command line asks for on the given platform, writing the lines the
// Clipboard button would copy to `out` and what went wrong to dialogs. Returns the exit status: 0
// when something was listed, 1 for "No files found.", 3 when the search failed: a drive could not
// be opened, or the list was cut short (the message says why). The statistics report prints the
// window's figures: 0 when complete, 3 when the drive is not ready, its root cannot be opened or an
// I/O error stopped the run.
int runReport(const CommandLine& commandLine, Platform& platform, DialogService& dialogs,
              std::FILE* out);

}  // namespace rk
