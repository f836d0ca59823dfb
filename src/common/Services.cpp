#include "common/Services.h"

#include <cstdlib>

#include "common/Dialogs.h"

namespace rk {

namespace {
DialogService* theDialogs = nullptr;
}  // namespace

DialogService& dialogs() {
    if (!theDialogs) std::abort();  // a start-up fault, not a user error
    return *theDialogs;
}
void setDialogService(DialogService* service) {
    theDialogs = service;
}

}  // namespace rk
