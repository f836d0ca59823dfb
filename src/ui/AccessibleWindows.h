#pragma once

namespace rk {

// Makes assistive tools see the program's windows as windows named by their titles, and of
// each window only the controls that are shown: the drive boxes a window does not use and
// the lists it keeps hidden are no part of what a screen reader walks. Safe to call more
// than once; each window calls it when it is made.
void installAccessibleWindows();

}  // namespace rk
