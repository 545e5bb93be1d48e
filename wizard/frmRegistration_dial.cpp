// The call to the registration host.

#include "frmRegistration.h"

#include <QLabel>

void frmRegistration::DialService(const QByteArray & /*number*/) {
    lblStatus->setText(QStringLiteral("Dialing Kestrune..."));
}

bool frmRegistration::CallInProgress() const {
    return false;
}

void frmRegistration::HangUp() {}
