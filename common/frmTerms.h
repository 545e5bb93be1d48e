#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// Shows terms.txt. Its answer is gTermsAccepted: true only after I Accept.
// Callers may change the buttons' visibility between creating the window
// and showing it (the wizard shows it again with Close only).
class frmTerms final : public QDialog {
    Q_OBJECT
  public:
    frmTerms();

    QPushButton *cmdAccept;
    QPlainTextEdit *txtTerms;
    QPushButton *cmdReject;
    QPushButton *cmdClose;

    void Form_Load();
    void Form_Activate();
    void cmdAccept_Click();
    void cmdReject_Click();
    void cmdClose_Click();

  private:
    void offerCloseOnly();
};
