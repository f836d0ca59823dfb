#pragma once

namespace rk {

class DialogService;

// The dialogs that show the general error box for an error no window caught. The application
// installs the desktop's, tests their own; they are not owned here. Windows use the services
// they are handed (ui/Services.h) instead.
[[nodiscard]] DialogService& dialogs();
void setDialogService(DialogService* service);

}  // namespace rk
