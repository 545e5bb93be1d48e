#pragma once

#include "dialling_locations.h"

#include <QDialog>
#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Dialing Properties": the dialling locations, each with its name,
// outside-line prefix and tone or pulse dialling, and which one is in use.
// Works on a copy; OK stores all of them, with the shown one current.
class frmDialingProperties final : public QDialog {
    Q_OBJECT
  public:
    frmDialingProperties();

    QLabel *lblLocation = nullptr;
    QComboBox *cboLocation = nullptr;
    QPushButton *cmdNew = nullptr;
    QPushButton *cmdRemove = nullptr;
    QLabel *lblName = nullptr;
    QLineEdit *txtName = nullptr;
    QLabel *lblPrefix = nullptr;
    QLineEdit *txtPrefix = nullptr;
    QRadioButton *optTone = nullptr;
    QRadioButton *optPulse = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    void Form_Load();
    void cboLocation_Click();
    void cmdNew_Click();
    void cmdRemove_Click();
    void txtName_GotFocus();
    void txtPrefix_GotFocus();
    void txtName_KeyPress(std::int16_t &KeyAscii);
    void txtPrefix_KeyPress(std::int16_t &KeyAscii);
    void cmdOK_Click();
    void cmdCancel_Click();

  private:
    void CreateControls();
    // The boxes into the copy's shown location, and back.
    void KeepShown();
    void Show(int index);
    void FillList();

    DiallingLocations locations_;
    int shown_ = 0;
};
