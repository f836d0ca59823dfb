#pragma once

namespace rk {

class Platform;
class DialogService;

// The platform the deletions of the core reach, and the dialogs that show the general error
// box for an error no window caught. The application installs the desktop's, tests their own;
// neither is owned here. Windows use the services they are handed (ui/Services.h) instead.
[[nodiscard]] Platform& platform();
void setPlatform(Platform* platform);

[[nodiscard]] DialogService& dialogs();
void setDialogService(DialogService* service);

}  // namespace rk
