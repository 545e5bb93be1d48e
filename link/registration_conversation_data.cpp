#include "line_breaks.h"
#include "link_errors.h"
#include "number_codec.h"
#include "registration_conversation.h"
#include "registry.h"

namespace {

// The host's data fields (a numbering of their own).
constexpr std::int16_t kPlanOfferField = 24;
constexpr std::int16_t kCommand1Field = 25;
constexpr std::int16_t kCommand2Field = 26;

} // namespace

void RegistrationConversation::PacketProcessData(std::int16_t intFieldNbr,
                                                 const QByteArray &strFieldData) {
    switch (intFieldNbr) {
    case kPlanOfferField:
        // First and last plan number, one byte each, then the plan list.
        intPlanNbrLo = ByteToInt(strFieldData.left(1));
        intPlanNbrHi = ByteToInt(strFieldData.mid(1, 1));
        window_.SetCardPlanBounds(intPlanNbrLo, intPlanNbrHi);
        if (strFieldData.size() < 2) {
            txtPlanDetails.clear();
            ReportLinkError("PacketProcessData", kErrInvalidCall,
                            "Invalid procedure call or argument");
            return;
        }
        txtPlanDetails = NormaliseLineBreaks(strFieldData.mid(2));
        return;
    case kCommand1Field:
        RegWriteString(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kCommand1Value, strFieldData);
        return;
    case kCommand2Field:
        RegWriteString(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kCommand2Value, strFieldData);
        return;
    default:
        return;
    }
}
