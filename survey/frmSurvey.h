#pragma once

#include "flags.h"
#include "program_state.h"

#include <QDialog>
#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The optional subscriber survey: eight steps of questions, offered by the
// wizard's Submit. It loads when created (placed 500 twips right of and
// below the wizard window, answers restored from the answers file) and is
// then shown modally:
//
//     frmSurvey survey(*this, mbolDoneSurvey);
//     ui().showModal(survey);
//
// Finish fills gSurveyAnswers, rewrites the answers file and sets the
// wizard's done flag; Cancel or the close box leave all three as they were.
class frmSurvey final : public QDialog {
    Q_OBJECT
  public:
    frmSurvey(QWidget &wizard, Flag &mbolDoneSurvey);

    QLabel *imgKestrune = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    std::array<QWidget *, 8> picPage{};

    // Step 1.
    QLabel *lblURL = nullptr;
    QGroupBox *fraAge = nullptr;
    std::array<QRadioButton *, 6> optAge{};
    QGroupBox *fraGender = nullptr;
    std::array<QRadioButton *, 2> optGender{};
    QComboBox *cboOccupation = nullptr;
    // Step 2.
    QComboBox *cboHowLong = nullptr;
    QComboBox *cboComputerType = nullptr;
    QLineEdit *txtComputerTypeOther = nullptr;
    QCheckBox *chkMMX = nullptr;
    QComboBox *cboRAM = nullptr;
    QComboBox *cboHDD = nullptr;
    QComboBox *cboMonitor = nullptr;
    QCheckBox *chkCDROM = nullptr;
    // Step 3.
    std::array<QCheckBox *, 8> chkPeripherals{};
    QLineEdit *txtSoundCardType = nullptr;
    QLineEdit *txt3DCardType = nullptr;
    QLineEdit *txtPeripheralsOther = nullptr;
    // Step 4.
    std::array<QCheckBox *, 8> chkConsoles{};
    QComboBox *cboConnectSpeed = nullptr;
    QLineEdit *txtConnectSpeedOther = nullptr;
    QComboBox *cboConnectFrom = nullptr;
    std::array<QCheckBox *, 5> chkConnect{};
    QLineEdit *txtConnectOther = nullptr;
    // Step 5.
    QComboBox *cboFavouriteGameType = nullptr;
    std::array<QCheckBox *, 7> chkGameType{};
    QComboBox *cboHoursMonth = nullptr;
    // Step 6.
    QComboBox *cboInfluence = nullptr;
    std::array<QCheckBox *, 6> chkInfluence{};
    QComboBox *cboGamesOwned = nullptr;
    QComboBox *cboPlanToBuy = nullptr;
    // Step 7.
    std::array<QCheckBox *, 5> chkPrefer{};
    QComboBox *cboBuyFrom = nullptr;
    QLineEdit *txtBuyFromOther = nullptr;
    // Step 8.
    std::array<QCheckBox *, 12> chkTried{};
    QLineEdit *txtTriedOther = nullptr;

    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdStartOver = nullptr;
    QPushButton *cmdBack = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdFinish = nullptr;

    // The visible page, 0 to 7; 99 before the first is shown.
    std::int16_t intCurrentPage = 99;

    void Form_Load();
    void Form_Activate();
    void Form_QueryUnload(std::int16_t &Cancel, std::int16_t UnloadMode);
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdFinish_Click();
    void cmdCancel_Click();
    void cmdStartOver_Click();

    void cboComputerType_Click();
    void cboConnectSpeed_Click();
    void cboBuyFrom_Click();
    void chkPeripherals_Click(std::int16_t Index);
    void chkConnect_Click(std::int16_t Index);
    void chkTried_Click(std::int16_t Index);

    void optAge_KeyPress(std::int16_t Index, std::int16_t &KeyAscii);
    void optGender_KeyPress(std::int16_t Index, std::int16_t &KeyAscii);
    void cboOccupation_KeyPress(std::int16_t &KeyAscii);
    void cboHowLong_KeyPress(std::int16_t &KeyAscii);
    void cboComputerType_KeyPress(std::int16_t &KeyAscii);
    void txtComputerTypeOther_KeyPress(std::int16_t &KeyAscii);
    void chkMMX_KeyPress(std::int16_t &KeyAscii);
    void cboRAM_KeyPress(std::int16_t &KeyAscii);
    void cboHDD_KeyPress(std::int16_t &KeyAscii);
    void cboMonitor_KeyPress(std::int16_t &KeyAscii);
    void chkCDROM_KeyPress(std::int16_t &KeyAscii);
    void chkPeripherals_KeyPress(std::int16_t Index, std::int16_t &KeyAscii);
    void txtSoundCardType_KeyPress(std::int16_t &KeyAscii);
    void txt3DCardType_KeyPress(std::int16_t &KeyAscii);
    void txtPeripheralsOther_KeyPress(std::int16_t &KeyAscii);
    void chkConsoles_KeyPress(std::int16_t Index, std::int16_t &KeyAscii);
    void cboConnectSpeed_KeyPress(std::int16_t &KeyAscii);
    void txtConnectSpeedOther_KeyPress(std::int16_t &KeyAscii);
    void cboConnectFrom_KeyPress(std::int16_t &KeyAscii);
    void chkConnect_KeyPress(std::int16_t Index, std::int16_t &KeyAscii);
    void txtConnectOther_KeyPress(std::int16_t &KeyAscii);
    void cboFavouriteGameType_KeyPress(std::int16_t &KeyAscii);
    void chkGameType_KeyPress(std::int16_t Index, std::int16_t &KeyAscii);
    void cboHoursMonth_KeyPress(std::int16_t &KeyAscii);
    void cboInfluence_KeyPress(std::int16_t &KeyAscii);
    void chkInfluence_KeyPress(std::int16_t Index, std::int16_t &KeyAscii);
    void cboGamesOwned_KeyPress(std::int16_t &KeyAscii);
    void cboPlanToBuy_KeyPress(std::int16_t &KeyAscii);
    void chkPrefer_KeyPress(std::int16_t Index, std::int16_t &KeyAscii);
    void cboBuyFrom_KeyPress(std::int16_t &KeyAscii);
    void txtBuyFromOther_KeyPress(std::int16_t &KeyAscii);
    void chkTried_KeyPress(std::int16_t Index, std::int16_t &KeyAscii);
    void txtTriedOther_KeyPress(std::int16_t &KeyAscii);

  public Q_SLOTS:
    // Escape closes the window the way the close box does.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void CreateControls();
    void ConnectHandlers();
    void ConnectKeyHandlers();
    void ShowSurveyPage(std::int16_t newPage);
    void ValidateSurveyPage(Flag &ok);
    void ResetSurveyAnswers();
    void LoadSurveyFile();
    void CollectSurveyAnswers();
    void SaveSurveyFile();
    void ApplyLine(int slot, const QByteArray &value);

    // The answer controls in slot order (the age and gender slots have
    // none); this is also their tab order.
    std::array<QWidget *, modKestenrol::kSurveyAnswerSlots> mAnswerControls{};
    QWidget &mWizard;
    Flag &mbolDoneSurvey;
};
