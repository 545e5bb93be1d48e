// The survey's key handling: every answer control takes Enter itself and
// moves the focus on; the text boxes take letters, digits and spaces only.

#include "control_events.h"
#include "entry_boxes.h"
#include "entry_routines.h"
#include "frmSurvey.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Enter moves on while the box after the control is in use, else to the
// button.
void EnterMovesOnIf(std::int16_t &KeyAscii, bool inUse, QWidget *button) {
    if (inUse)
        EnterMovesOn(KeyAscii);
    else
        EnterFocuses(KeyAscii, button);
}

void TextBoxMovesOn(std::int16_t &KeyAscii) {
    if (!EnterMovesOn(KeyAscii))
        KeyAscii = KeyAlphaNumeric(KeyAscii);
}

void TextBoxFocuses(std::int16_t &KeyAscii, QWidget *button) {
    if (!EnterFocuses(KeyAscii, button))
        KeyAscii = KeyAlphaNumeric(KeyAscii);
}

template <typename Control>
void RouteKeys(Control *control, frmSurvey *window,
               void (frmSurvey::*handler)(std::int16_t &KeyAscii)) {
    ::OnKeyPress(control,
                 [window, handler](std::int16_t &KeyAscii) { (window->*handler)(KeyAscii); });
}

template <typename Array>
void RouteKeys(const Array &controls, frmSurvey *window,
               void (frmSurvey::*handler)(std::int16_t Index, std::int16_t &KeyAscii)) {
    for (std::int16_t i = 0; i < static_cast<std::int16_t>(controls.size()); ++i) {
        ::OnKeyPress(controls[i], [window, handler, i](std::int16_t &KeyAscii) {
            (window->*handler)(i, KeyAscii);
        });
    }
}

} // namespace

void frmSurvey::ConnectKeyHandlers() {
    RouteKeys(optAge, this, &frmSurvey::optAge_KeyPress);
    RouteKeys(optGender, this, &frmSurvey::optGender_KeyPress);
    RouteKeys(cboOccupation, this, &frmSurvey::cboOccupation_KeyPress);
    RouteKeys(cboHowLong, this, &frmSurvey::cboHowLong_KeyPress);
    RouteKeys(cboComputerType, this, &frmSurvey::cboComputerType_KeyPress);
    RouteKeys(txtComputerTypeOther, this, &frmSurvey::txtComputerTypeOther_KeyPress);
    RouteKeys(chkMMX, this, &frmSurvey::chkMMX_KeyPress);
    RouteKeys(cboRAM, this, &frmSurvey::cboRAM_KeyPress);
    RouteKeys(cboHDD, this, &frmSurvey::cboHDD_KeyPress);
    RouteKeys(cboMonitor, this, &frmSurvey::cboMonitor_KeyPress);
    RouteKeys(chkCDROM, this, &frmSurvey::chkCDROM_KeyPress);
    RouteKeys(chkPeripherals, this, &frmSurvey::chkPeripherals_KeyPress);
    RouteKeys(txtSoundCardType, this, &frmSurvey::txtSoundCardType_KeyPress);
    RouteKeys(txt3DCardType, this, &frmSurvey::txt3DCardType_KeyPress);
    RouteKeys(txtPeripheralsOther, this, &frmSurvey::txtPeripheralsOther_KeyPress);
    RouteKeys(chkConsoles, this, &frmSurvey::chkConsoles_KeyPress);
    RouteKeys(cboConnectSpeed, this, &frmSurvey::cboConnectSpeed_KeyPress);
    RouteKeys(txtConnectSpeedOther, this, &frmSurvey::txtConnectSpeedOther_KeyPress);
    RouteKeys(cboConnectFrom, this, &frmSurvey::cboConnectFrom_KeyPress);
    RouteKeys(chkConnect, this, &frmSurvey::chkConnect_KeyPress);
    RouteKeys(txtConnectOther, this, &frmSurvey::txtConnectOther_KeyPress);
    RouteKeys(cboFavouriteGameType, this, &frmSurvey::cboFavouriteGameType_KeyPress);
    RouteKeys(chkGameType, this, &frmSurvey::chkGameType_KeyPress);
    RouteKeys(cboHoursMonth, this, &frmSurvey::cboHoursMonth_KeyPress);
    RouteKeys(cboInfluence, this, &frmSurvey::cboInfluence_KeyPress);
    RouteKeys(chkInfluence, this, &frmSurvey::chkInfluence_KeyPress);
    RouteKeys(cboGamesOwned, this, &frmSurvey::cboGamesOwned_KeyPress);
    RouteKeys(cboPlanToBuy, this, &frmSurvey::cboPlanToBuy_KeyPress);
    RouteKeys(chkPrefer, this, &frmSurvey::chkPrefer_KeyPress);
    RouteKeys(cboBuyFrom, this, &frmSurvey::cboBuyFrom_KeyPress);
    RouteKeys(txtBuyFromOther, this, &frmSurvey::txtBuyFromOther_KeyPress);
    RouteKeys(chkTried, this, &frmSurvey::chkTried_KeyPress);
    RouteKeys(txtTriedOther, this, &frmSurvey::txtTriedOther_KeyPress);
}

void frmSurvey::optAge_KeyPress(std::int16_t /*Index*/, std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::optGender_KeyPress(std::int16_t /*Index*/, std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::cboOccupation_KeyPress(std::int16_t &KeyAscii) {
    EnterFocuses(KeyAscii, cmdNext);
}

void frmSurvey::cboHowLong_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::cboComputerType_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::txtComputerTypeOther_KeyPress(std::int16_t &KeyAscii) {
    TextBoxMovesOn(KeyAscii);
}

void frmSurvey::chkMMX_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::cboRAM_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::cboHDD_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::cboMonitor_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::chkCDROM_KeyPress(std::int16_t &KeyAscii) {
    EnterFocuses(KeyAscii, cmdNext);
}

void frmSurvey::chkPeripherals_KeyPress(std::int16_t Index, std::int16_t &KeyAscii) {
    EnterMovesOnIf(KeyAscii, Index != 7 || chkPeripherals[7]->isChecked(), cmdNext);
}

void frmSurvey::txtSoundCardType_KeyPress(std::int16_t &KeyAscii) {
    TextBoxMovesOn(KeyAscii);
}

void frmSurvey::txt3DCardType_KeyPress(std::int16_t &KeyAscii) {
    TextBoxMovesOn(KeyAscii);
}

void frmSurvey::txtPeripheralsOther_KeyPress(std::int16_t &KeyAscii) {
    TextBoxFocuses(KeyAscii, cmdNext);
}

void frmSurvey::chkConsoles_KeyPress(std::int16_t /*Index*/, std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::cboConnectSpeed_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::txtConnectSpeedOther_KeyPress(std::int16_t &KeyAscii) {
    TextBoxMovesOn(KeyAscii);
}

void frmSurvey::cboConnectFrom_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::chkConnect_KeyPress(std::int16_t Index, std::int16_t &KeyAscii) {
    EnterMovesOnIf(KeyAscii, Index != 4 || chkConnect[4]->isChecked(), cmdNext);
}

void frmSurvey::txtConnectOther_KeyPress(std::int16_t &KeyAscii) {
    TextBoxFocuses(KeyAscii, cmdNext);
}

void frmSurvey::cboFavouriteGameType_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::chkGameType_KeyPress(std::int16_t /*Index*/, std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::cboHoursMonth_KeyPress(std::int16_t &KeyAscii) {
    EnterFocuses(KeyAscii, cmdNext);
}

void frmSurvey::cboInfluence_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::chkInfluence_KeyPress(std::int16_t /*Index*/, std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::cboGamesOwned_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::cboPlanToBuy_KeyPress(std::int16_t &KeyAscii) {
    EnterFocuses(KeyAscii, cmdNext);
}

void frmSurvey::chkPrefer_KeyPress(std::int16_t /*Index*/, std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmSurvey::cboBuyFrom_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOnIf(KeyAscii, ListText(cboBuyFrom) == "Other", cmdNext);
}

void frmSurvey::txtBuyFromOther_KeyPress(std::int16_t &KeyAscii) {
    TextBoxFocuses(KeyAscii, cmdNext);
}

void frmSurvey::chkTried_KeyPress(std::int16_t Index, std::int16_t &KeyAscii) {
    EnterMovesOnIf(KeyAscii, Index != 11 || chkTried[11]->isChecked(), cmdFinish);
}

void frmSurvey::txtTriedOther_KeyPress(std::int16_t &KeyAscii) {
    TextBoxFocuses(KeyAscii, cmdFinish);
}
