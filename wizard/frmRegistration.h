#pragma once

#include "call_window.h"
#include "entry_control.h"
#include "flags.h"
#include "wizard_entries.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class RegistrationCall;
class frmCreditCard;

// A page of the wizard: a box that paints its background through its owner.
class PictureBox final : public QWidget {
    Q_OBJECT
  public:
    PictureBox(QWidget *parent, std::function<void()> paint);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    std::function<void()> paint_;
};

// The registration wizard's main window: four pages of entries, then Submit,
// which stores them and calls the registration host. It lives for the whole
// run; during the call it shows how the call goes and gives the host's
// requests its entries and the card window.
class frmRegistration final : public QWidget, public CallWindow {
    Q_OBJECT
  public:
    // Why the window is closing, as Form_QueryUnload is told.
    static constexpr std::int16_t vbFormControlMenu = 0; // the close box
    static constexpr std::int16_t vbFormCode = 1;        // the program (Cancel)
    // intCurrentPage while the window loads, before the first page shows.
    static constexpr std::int16_t kNoPage = 99;
    // Where the page boxes stand, in twips.
    static constexpr int kPageLeft = 2760;
    static constexpr int kPageWidth = 6135;
    static constexpr int kPageHeight = 5055;

    frmRegistration();
    ~frmRegistration() override;

    // Left panel.
    QLabel *imgKestrune = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *lblURL = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *lblHelpPhone = nullptr;
    QLabel *lblStatus = nullptr;
    QFrame *Frame1 = nullptr;
    QLabel *imgConnected = nullptr;
    QLabel *imgNotConnected = nullptr;

    // The pages and their texts and captions.
    std::array<PictureBox *, 4> picPage{};
    std::array<QLabel *, 11> lblPage0{};
    std::array<QLabel *, 1> lblPage1{};
    std::array<QLabel *, 8> lblPage2{};
    std::array<QLabel *, 6> lblPage3{};

    // Page 0: contact details.
    QLineEdit *txtFirstName = nullptr;
    QLineEdit *txtSurname = nullptr;
    QLineEdit *txtAddress1 = nullptr;
    QLineEdit *txtAddress2 = nullptr;
    QLineEdit *txtAddress3 = nullptr;
    QComboBox *cboState = nullptr;
    QLineEdit *txtPostcode = nullptr;
    QLineEdit *txtPhone = nullptr;
    QLineEdit *txtEmail = nullptr;
    // Page 1: the dial-in point.
    std::array<QRadioButton *, 2> optConnection{};
    QListWidget *lstExisting = nullptr;
    QLineEdit *txtAlternative = nullptr;
    // Page 2: nickname, password and CV.
    QLineEdit *txtNickName = nullptr;
    QLineEdit *txtPassword = nullptr;
    QLineEdit *txtPasswordConfirm = nullptr;
    QPlainTextEdit *txtCV = nullptr;
    // Page 3: call-back number and how the user heard of the service.
    QLineEdit *txtCallbackNumberArea = nullptr;
    QLineEdit *txtCallbackNumber = nullptr;
    QCheckBox *chkInformation = nullptr;
    QComboBox *cboHeardAbout = nullptr;

    // Bottom row.
    QPushButton *cmdTermsConditions = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdStartOver = nullptr;
    QPushButton *cmdBack = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdFinish = nullptr;
    QPushButton *cmdContinue = nullptr;

    // Index of the visible page, kNoPage while loading.
    std::int16_t intCurrentPage = kNoPage;
    // The survey was finished.
    Flag mbolDoneSurvey = kFalse;

    void Form_Load();
    void Form_Activate();
    void Form_QueryUnload(Flag &Cancel, std::int16_t UnloadMode);
    void Form_Unload(Flag &Cancel);
    void picPage_Paint(std::int16_t Index);

    // Navigation and Submit.
    void ShowWizardPage(std::int16_t &newPage);
    void EnableWizard(Flag flag) override;
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdStartOver_Click();
    void cmdCancel_Click();
    void cmdFinish_Click();
    void cmdTermsConditions_Click();

    // The call to the registration host, with its telephony control and
    // serial line; the handlers below pass their events on to it.
    RegistrationCall &Call() { return *call_; }
    const RegistrationCall &Call() const { return *call_; }
    void ctlTAPI_OnTapi(std::int32_t requestId, std::int32_t status);
    void ctlTAPI_CallState(std::int32_t state, std::int32_t extra);
    void ctlCOMM_OnComm();
    void cmdContinue_Click();

    // Entry rules.
    void ValidateWizardPage(Flag &ok);
    void txtFirstName_KeyPress(std::int16_t &KeyAscii);
    void txtSurname_KeyPress(std::int16_t &KeyAscii);
    void txtAddress1_KeyPress(std::int16_t &KeyAscii);
    void txtAddress2_KeyPress(std::int16_t &KeyAscii);
    void txtAddress3_KeyPress(std::int16_t &KeyAscii);
    void cboState_KeyPress(std::int16_t &KeyAscii);
    void txtPostcode_KeyPress(std::int16_t &KeyAscii);
    void txtPhone_KeyPress(std::int16_t &KeyAscii);
    void txtEmail_KeyPress(std::int16_t &KeyAscii);
    void optConnection_KeyPress(std::int16_t Index, std::int16_t &KeyAscii);
    void lstExisting_KeyPress(std::int16_t &KeyAscii);
    void txtAlternative_KeyPress(std::int16_t &KeyAscii);
    void txtNickName_KeyPress(std::int16_t &KeyAscii);
    void txtPassword_KeyPress(std::int16_t &KeyAscii);
    void txtPasswordConfirm_KeyPress(std::int16_t &KeyAscii);
    void txtCV_KeyPress(std::int16_t &KeyAscii);
    void txtCallbackNumberArea_KeyPress(std::int16_t &KeyAscii);
    void txtCallbackNumber_KeyPress(std::int16_t &KeyAscii);
    void chkInformation_KeyPress(std::int16_t &KeyAscii);
    void cboHeardAbout_KeyPress(std::int16_t &KeyAscii);
    void txtFirstName_GotFocus();
    void txtSurname_GotFocus();
    void txtAddress1_GotFocus();
    void txtAddress2_GotFocus();
    void txtAddress3_GotFocus();
    void txtPostcode_GotFocus();
    void txtPhone_GotFocus();
    void txtEmail_GotFocus();
    void txtAlternative_GotFocus();
    void txtNickName_GotFocus();
    void txtPassword_GotFocus();
    void txtPasswordConfirm_GotFocus();
    void txtCV_GotFocus();
    void txtCallbackNumberArea_GotFocus();
    void txtCallbackNumber_GotFocus();
    void txtFirstName_LostFocus();
    void txtSurname_LostFocus();
    void txtAddress1_LostFocus();
    void txtAddress2_LostFocus();

    // The card window, created on first use; it keeps its plan bounds.
    frmCreditCard &CardWindow();

    // The entries as the controls hold them.
    WizardEntries Entries() const override;

    // What the call and its conversation show in the window.
    bool SurveyDone() const override { return mbolDoneSurvey != kFalse; }
    std::optional<CardDetails> ShowCardWindow(const CardDetails &offer,
                                              const QByteArray &planDetails) override;
    void CloseCardWindow() override;
    void SetCardPlanBounds(std::int16_t lo, std::int16_t hi) override;
    void ShowEntryControl(EntryControl control) override;
    void ShowContinue(bool visible) override;
    void ShowStatus(const QString &text) override;
    void ShowLineUp(bool up) override;
    void ShowConnectionSettings(Telephony &telephony) override;

    // Saved entries, pick lists and the connection choice.
    void SaveRegistrationDetails();
    void LoadRegistrationDetails();
    void LoadHeardAboutList();
    void LoadContacts();
    void optConnection_Click(std::int16_t Index);

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void CreateControls();
    void ConnectHandlers();
    // Every page's entry controls, page by page in tab order.
    QList<QWidget *> PageControls() const;
    // The focus goes only to a control the user can reach: one on a hidden
    // page or a disabled one keeps it where it is.
    static void GiveFocus(QWidget *control);
    QWidget *EntryControlWidget(EntryControl control) const;
    void SelectConnectionOption(std::int16_t Index);
    // Enables the dial-in list or the alternative box, greying the other;
    // the pick in the list stays.
    void SetConnectionControls(bool listUsable, bool alternativeUsable);
    void ShowSurvey();

    std::unique_ptr<RegistrationCall> call_;
    frmCreditCard *card_ = nullptr;
};
