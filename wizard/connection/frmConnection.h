#pragma once

#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class Telephony;

// "Connection Settings": the modem and the dialling location that the next
// call will use, with the telephony layer's two set-up dialogs. Opened
// modally after a dial the telephony layer refused. It keeps nothing of its
// own: what it changes is the telephony layer's state.
class frmConnection final : public QDialog {
    Q_OBJECT
  public:
    explicit frmConnection(Telephony &ctlTAPI);

    // Label1(0) the instructions, Label1(1) "Modem:"; Label2(1) "Location:"
    // (Label2 has no index 0).
    std::array<QLabel *, 2> Label1{};
    std::array<QLabel *, 2> Label2{};
    QPushButton *cmdSetupLocation = nullptr;
    QPushButton *cmdSetupModem = nullptr;
    QComboBox *cboModem = nullptr;
    QComboBox *cboLocation = nullptr;
    QPushButton *cmdClose = nullptr;

    void Form_Load();
    void Form_Activate();
    void cmdSetupModem_Click();
    void cmdSetupLocation_Click();
    void cmdClose_Click();
    // A pick in either list makes that entry current.
    void cboModem_Click();
    void cboLocation_Click();

  private:
    void CreateControls();
    void FillModems();

    Telephony &ctlTAPI_;
};
