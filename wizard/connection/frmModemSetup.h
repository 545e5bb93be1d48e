#pragma once

#include "modem_settings.h"

#include <QByteArrayList>
#include <QDialog>
#include <QPointer>
#include <cstdint>

class ModemProbe;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class Telephony;
struct ProbedPort;

// "Modem Setup": the serial device and the initialisation string of the
// current modem. OK stores them in the settings (a modem the system
// reported becomes one of the listed ones) and keeps that modem current.
// Detect looks for modems on the serial ports and lists those that
// answered; the one picked becomes the device.
class frmModemSetup final : public QDialog {
    Q_OBJECT
  public:
    explicit frmModemSetup(Telephony &ctlTAPI);

    QLabel *lblModem = nullptr;
    QLabel *lblDevice = nullptr;
    QLineEdit *txtDevice = nullptr;
    QLabel *lblInitString = nullptr;
    QLineEdit *txtInitString = nullptr;
    QLabel *lblModems = nullptr;
    QListWidget *lstModems = nullptr;
    QPlainTextEdit *txtDetectStatus = nullptr;
    QPushButton *cmdDetect = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    // The probe behind Detect; tests choose the ports it looks at.
    ModemProbe *ctlProbe = nullptr;

    void Form_Load();
    void txtDevice_GotFocus();
    void txtInitString_GotFocus();
    void txtDevice_KeyPress(std::int16_t &KeyAscii);
    void txtInitString_KeyPress(std::int16_t &KeyAscii);
    void lstModems_KeyPress(std::int16_t &KeyAscii);
    void lstModems_DblClick();
    void txtDetectStatus_KeyPress(std::int16_t &KeyAscii);
    void cmdDetect_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void ctlProbe_Probing(const QByteArray &device, int number, int count);
    void ctlProbe_Probed(const ProbedPort &port);
    void ctlProbe_Finished();

  protected:
    // Escape stops Detect, as Cancel does.
    void keyPressEvent(QKeyEvent *event) override;
    // However the window closes, Detect stops with it.
    void done(int result) override;

  private:
    void CreateControls();
    void Refuse(QLineEdit *box, const QByteArray &message);
    void PickModem();
    void ShowStatus(const QByteArray &line, bool replaceLast = false);

    Telephony &ctlTAPI_;
    ModemEntry modem_;
    QByteArrayList statusLines_;
    QPointer<QWidget> focusAtDetect_;
};
