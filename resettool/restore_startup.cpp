#include "restore_startup.h"

#include "builtin_logo.h"
#include "frmSplash.h"
#include "ui.h"

std::unique_ptr<frmAccountRestore> StartAccountRestore() {
    {
        frmSplash splash(BuiltInLogo());
        ui().showModal(splash);
    }
    return std::make_unique<frmAccountRestore>();
}
