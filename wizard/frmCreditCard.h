#pragma once

#include "card_details.h"

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>

class MultiLineBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The dialog in which the subscriber gives a credit card and picks a payment
// plan, opened modally during the call. OK with valid entries accepts the
// five entries, for the one who opened the window to take; Cancel and the
// close box accept nothing. Closing wipes the entries from the boxes: the
// next use finds empty boxes and places the window anew beside the wizard,
// while the plan bounds stay.
class frmCreditCard final : public QDialog {
    Q_OBJECT
  public:
    // wizard: the window to stand beside.
    explicit frmCreditCard(QWidget *wizard);

    // The range of plan numbers on offer, both inclusive; 0 until the host
    // sends its plans.
    std::int16_t mintPlanNbrLo = 0;
    std::int16_t mintPlanNbrHi = 0;

    void LoadRegoDetails();
    void InitialiseForm();
    // Hands over the entries that OK accepted since InitialiseForm, nothing
    // otherwise; the window keeps no copy.
    std::optional<CardDetails> TakeAcceptedDetails();

    QLineEdit *txtCreditCardNumber = nullptr;
    QLineEdit *txtExpiryDate = nullptr;
    QLineEdit *txtNameOnCard = nullptr;
    MultiLineBox *txtCardholderAddress = nullptr;
    QLineEdit *txtPlanNbr = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPlainTextEdit *txtPlan = nullptr;
    std::array<QLabel *, 7> lblPage1{};

    void Form_Load();
    void Form_Activate();
    void txtCreditCardNumber_GotFocus();
    void txtExpiryDate_GotFocus();
    void txtNameOnCard_GotFocus();
    void txtCardholderAddress_GotFocus();
    void txtPlanNbr_GotFocus();
    void txtCreditCardNumber_KeyPress(std::int16_t &KeyAscii);
    void txtExpiryDate_KeyPress(std::int16_t &KeyAscii);
    void txtNameOnCard_KeyPress(std::int16_t &KeyAscii);
    void txtCardholderAddress_KeyPress(std::int16_t &KeyAscii);
    void txtPlanNbr_KeyPress(std::int16_t &KeyAscii);
    void cmdOK_Click();
    void cmdCancel_Click();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void done(int result) override;

  private:
    void CreateControls();
    // Form_Load on the first use after the window was closed.
    void EnsureLoaded();
    void ClearEntries();
    CardDetails Details() const;
    bool ValidateForm();

    QWidget *wizard_;
    std::optional<CardDetails> accepted_;
    bool loaded_ = false;
};
