#pragma once

#include "modem_settings.h"

#include <QDialog>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;
class Telephony;

// "Modem Setup": the serial device and the initialisation string of the
// current modem. OK stores them in the settings (a modem the system
// reported becomes one of the listed ones) and keeps that modem current.
class frmModemSetup final : public QDialog {
    Q_OBJECT
  public:
    explicit frmModemSetup(Telephony &ctlTAPI);

    QLabel *lblModem = nullptr;
    QLabel *lblDevice = nullptr;
    QLineEdit *txtDevice = nullptr;
    QLabel *lblInitString = nullptr;
    QLineEdit *txtInitString = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    void Form_Load();
    void txtDevice_GotFocus();
    void txtInitString_GotFocus();
    void txtDevice_KeyPress(std::int16_t &KeyAscii);
    void txtInitString_KeyPress(std::int16_t &KeyAscii);
    void cmdOK_Click();
    void cmdCancel_Click();

  private:
    void CreateControls();
    void Refuse(QLineEdit *box, const QByteArray &message);

    Telephony &ctlTAPI_;
    ModemEntry modem_;
};
