#include "restore_startup.h"

#include "builtin_logo.h"
#include "frmSplash.h"
#include "store_access.h"
#include "titles.h"
#include "ui.h"

#include <cstdlib>

std::unique_ptr<frmAccountRestore> StartAccountRestore() {
    if (!CheckStoreAccess(kRestoreTitle)) {
        ui().endProgram(EXIT_FAILURE);
        return {};
    }
    {
        frmSplash splash(BuiltInLogo());
        ui().showModal(splash);
    }
    return std::make_unique<frmAccountRestore>();
}
