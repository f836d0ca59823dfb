#pragma once

namespace rk {

class Platform;
class DialogService;

// The services every part of the program reaches. The application installs the desktop's,
// tests install their own; neither is owned here.
[[nodiscard]] Platform& platform();
void setPlatform(Platform* platform);

[[nodiscard]] DialogService& dialogs();
void setDialogService(DialogService* service);

// Which of its two modes the duplicate window opens in: true for duplicate files, false for
// file hogs. The main window sets it before opening that window.
inline bool DupMode = true;

}  // namespace rk
