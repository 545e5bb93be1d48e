#pragma once

#include "account_keys.h"

#include <QWidget>
#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

// The tool's one working window: shows the account user name and password
// that the registry holds for the games client and, on instructions from
// Kestrune support, replaces them. It shows itself when created; Cancel, the
// close box and a successful update end the tool.
class frmAccountRestore final : public QWidget {
    Q_OBJECT
  public:
    frmAccountRestore();

    QLabel *imgKestrune = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QWidget *picPage = nullptr;
    // Captions and headings of the panel, by their index.
    std::array<QLabel *, 8> lblPage0{};
    QLabel *lblUserName = nullptr;
    QLabel *lblPassword = nullptr;
    QLineEdit *txtUserName = nullptr;
    QLineEdit *txtPassword = nullptr;
    QPushButton *cmdUpdate = nullptr;
    QPushButton *cmdCancel = nullptr;

    void Form_Load();
    void Form_Activate();
    void txtUserName_GotFocus();
    void txtPassword_GotFocus();
    void txtUserName_KeyPress(std::int16_t &KeyAscii);
    void txtPassword_KeyPress(std::int16_t &KeyAscii);
    void cmdUpdate_Click();
    void cmdCancel_Click();

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void CreateControls();
    // False while another program holds the store.
    bool LoadCurrentValues();
    KeysStored SaveNewValues();
};
