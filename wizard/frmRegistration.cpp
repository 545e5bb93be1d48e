#include "frmRegistration.h"

#include "frmColors.h"
#include "twips.h"

frmRegistration::frmRegistration() {
    setWindowTitle(QStringLiteral("Kestrune Registration Wizard"));
    setWindowIcon(frmColors::instance().windowIcon());
    setFixedSize(Px(8895), Px(6045));
}
