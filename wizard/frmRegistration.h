#pragma once

#include "program_state.h"

#include <QWidget>

// The registration wizard's main window. It lives for the whole run and
// keeps the state of the registration link and of the card window.
class frmRegistration final : public QWidget, public WizardLinkState {
    Q_OBJECT
  public:
    frmRegistration();
};
