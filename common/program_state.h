#pragma once

#include "flags.h"

#include <QByteArray>
#include <array>
#include <cstdint>

// Program-wide state of the wizard program. Every text is a byte string,
// one character per byte. Everything here lives for the whole process.
namespace modKestenrol {

inline constexpr int kSurveyAnswerSlots = 77;

extern Flag gTermsAccepted; // the user accepted the terms and conditions
extern Flag gCardAccepted;  // the card window's last showing ended with OK
extern QByteArray gAppPath; // program folder, always ending in a separator
extern char gPacketStart;   // opening mark of a framed packet (code 1)
extern char gPacketEnd;     // closing mark of a framed packet (code 126)
extern char gPacketEscape;  // escape character of the framing (code 24)
extern std::array<QByteArray, kSurveyAnswerSlots> gSurveyAnswers; // request field 23
extern QByteArray gLastPacket; // last framed packet prepared for sending

// Sets the three framing characters: the start mark 1, the end mark 126
// ("~") and the escape 24.
void SetFramingCharacters();

} // namespace modKestenrol

// What the wizard window keeps for the registration link and the card window,
// for the wizard window's lifetime.
struct WizardLinkState {
    std::int32_t mDialRequest = 0;   // pending dial request, 0 when none
    std::int32_t mHangupRequest = 0; // pending hang-up request, 0 when none
    QByteArray mReceiveBuffer;       // received since the last prompt or packet end
    Flag mPacketMode = kFalse;       // true once the host has said "connected"
    Flag mbolDoneSurvey = kFalse;    // the survey was finished

    // Last accepted entries of the card window.
    QByteArray txtCreditCardNumber;
    QByteArray txtExpiryDate;
    QByteArray txtNameOnCard;
    QByteArray txtCardholderAddress;
    QByteArray txtPlanNbr;

    QByteArray txtPlanDetails;     // the plan list text sent by the host
    std::int16_t intPlanNbrLo = 0; // first plan number sent by the host
    std::int16_t intPlanNbrHi = 0; // last plan number sent by the host

    QByteArray mCommand1; // registry value Command1, read for the host's requests
    QByteArray mCommand2; // registry value Command2
};
