#include "common/Services.h"

#include <cstdlib>

#include "common/Dialogs.h"
#include "platform/Platform.h"

namespace rk {

namespace {
Platform* thePlatform = nullptr;
DialogService* theDialogs = nullptr;
}  // namespace

Platform& platform() {
    if (!thePlatform) std::abort();  // a start-up fault, not a user error
    return *thePlatform;
}
void setPlatform(Platform* p) {
    thePlatform = p;
}

DialogService& dialogs() {
    if (!theDialogs) std::abort();
    return *theDialogs;
}
void setDialogService(DialogService* service) {
    theDialogs = service;
}

}  // namespace rk
