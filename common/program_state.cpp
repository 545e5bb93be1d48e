#include "program_state.h"

namespace modKestenrol {

Flag gTermsAccepted = kFalse;
Flag gCardAccepted = kFalse;
QByteArray gAppPath;
char gPacketStart = 0;
char gPacketEnd = 0;
char gPacketEscape = 0;
std::array<QByteArray, kSurveyAnswerSlots> gSurveyAnswers;
QByteArray gLastPacket;

void SetFramingCharacters() {
    gPacketStart = 1;
    gPacketEnd = 126;
    gPacketEscape = 24;
}

} // namespace modKestenrol
