#pragma once

#include "flags.h"

#include <QByteArray>
#include <array>

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
