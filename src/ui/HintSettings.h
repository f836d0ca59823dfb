#pragma once

namespace rk {

// Hints on, on an aqua background, shown after 1000 ms, for every window of the program.
void applyHintSettings();

}  // namespace rk
