#pragma once

#include "conversation_window.h"
#include "entry_control.h"
#include "flags.h"
#include "hayes_telephony.h"
#include "line_receiver.h"
#include "program_state.h"
#include "registration_conversation.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
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
// run and keeps the state of the registration link and of the card window;
// during the call it answers the host's packets from its entries.
class frmRegistration final : public QWidget, public WizardLinkState, public ConversationWindow {
    Q_OBJECT
  public:
    // Why the window is closing, as Form_QueryUnload is told.
    static constexpr std::int16_t vbFormControlMenu = 0; // the close box
    static constexpr std::int16_t vbFormCode = 1;        // the program (Cancel)
    // intCurrentPage while the window loads, before the first page shows.
    static constexpr std::int16_t kNoPage = 99;

    frmRegistration();

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

    // The telephony control and, once a call is up, its serial line.
    HayesTelephony ctlTAPI;
    SerialLine &ctlCOMM = ctlTAPI.Line();

    // Index of the visible page, kNoPage while loading.
    std::int16_t intCurrentPage = kNoPage;

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
    // Starts the call to the registration host.
    void DialService(const QByteArray &number);

    // The call and its line.
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

    // The conversation with the registration host: a framed packet in
    // mReceiveBuffer is answered through lastPacket (gLastPacket); Continue
    // answers the refused request once the user has corrected the entries.
    Flag PacketProcess(QByteArray &lastPacket);
    Flag PacketProcessContinue(QByteArray &packet);
    // The card window, created on first use; it keeps its plan bounds.
    frmCreditCard &CardWindow();

    // What the conversation reads and shows in the window.
    WizardEntries EntryTexts() const override;
    void ShowCardWindow() override;
    void SetCardPlanBounds(std::int16_t lo, std::int16_t hi) override;
    bool CallInProgress() const override;
    void HangUp() override;
    void ShowEntryControl(EntryControl control) override;
    void ShowContinue(bool visible) override;

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
    // The focus goes only to a control the user can reach: one on a hidden
    // page or a disabled one keeps it where it is.
    static void GiveFocus(QWidget *control);
    QWidget *EntryControlWidget(EntryControl control) const;
    void SelectConnectionOption(std::int16_t Index);
    // Enables the dial-in list or the alternative box, greying the other;
    // the pick in the list stays.
    void SetConnectionControls(bool listUsable, bool alternativeUsable);
    void ShowSurvey();
    // A new call starts with nothing left over from an earlier one.
    void StartFreshLine();
    // The card details live for one call only.
    void ForgetCardDetails();
    // The call was lost: the user is told, and the wizard is theirs again.
    void ReportDisconnected();

    RegistrationConversation conversation_{*this, *this};
    LineReceiver receiver_{
        mReceiveBuffer, mPacketMode, modKestenrol::gLastPacket,
        [this](QByteArray &lastPacket, Flag &ok) { ok = PacketProcess(lastPacket); }};
    frmCreditCard *card_ = nullptr;
};
