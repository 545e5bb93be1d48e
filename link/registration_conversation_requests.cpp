#include "field_records.h"
#include "field_requests.h"
#include "link_errors.h"
#include "logging.h"
#include "number_codec.h"
#include "packet_codec.h"
#include "program_state.h"
#include "registration_conversation.h"
#include "registry.h"
#include "titles.h"
#include "ui.h"
#include "wipe.h"

#include <QByteArrayList>
#include <array>

namespace {

constexpr int kLastRequestField = 26;
constexpr int kCardNumberField = 10;
// Not sent to the host, although the survey keeps it.
constexpr int kUnsentSurveySlot = 69;

const QByteArray kCardRefusedMessage =
    QByteArrayLiteral("The Credit Card details you previously entered were not valid.\r\n"
                      "Please re-enter the Credit Card details again.");

// A field the user can correct in the wizard when the host refuses it.
struct CorrectableField {
    int number;
    const char *message;
    EntryControl control;
};

// In field order.
const std::array kCorrectableFields{
    CorrectableField{1, "The Firstname entered is not valid - please re-enter.",
                     EntryControl::txtFirstName},
    CorrectableField{2, "The Lastname entered is not valid - please re-enter.",
                     EntryControl::txtSurname},
    CorrectableField{3, "The Address entered is not valid - please re-enter.",
                     EntryControl::txtAddress1},
    CorrectableField{4, "The Address entered is not valid - please re-enter.",
                     EntryControl::txtAddress2},
    CorrectableField{5, "The Address entered is not valid - please re-enter.",
                     EntryControl::txtAddress3},
    CorrectableField{6, "The State selected is not valid - please re-enter.",
                     EntryControl::cboState},
    CorrectableField{7, "The Postcode entered is not valid - please re-enter.",
                     EntryControl::txtPostcode},
    CorrectableField{8, "The Phone number entered is not valid - please re-enter.",
                     EntryControl::txtPhone},
    CorrectableField{9, "The E-Mail address entered is not valid - please re-enter.",
                     EntryControl::txtEmail},
    CorrectableField{14, "The Existing number selected is not valid - please re-enter.",
                     EntryControl::lstExisting},
    CorrectableField{15, "The Alternative number entered is not valid - please re-enter.",
                     EntryControl::txtAlternative},
    CorrectableField{16, "The Nick Name entered is not valid - please re-enter.",
                     EntryControl::txtNickName},
    CorrectableField{17, "The Password entered is not valid - please re-enter.",
                     EntryControl::txtPassword},
    CorrectableField{18, "The CV entered is not valid - please re-enter.", EntryControl::txtCV},
    CorrectableField{19, "The Call Back Number entered is not valid - please re-enter.",
                     EntryControl::txtCallbackNumber},
    CorrectableField{21, "The Heard About value selected is not valid - please re-enter.",
                     EntryControl::cboHeardAbout},
};

// A number of the request that does not decode is reported and read as 0.
std::int32_t RequestNumber(const QByteArray &bytes) {
    const std::optional<std::int32_t> number = BytesToLong(bytes);
    if (!number) {
        ReportLinkError("PacketProcessRequest", kErrOverflow, "Overflow");
        return 0;
    }
    return *number;
}

QByteArray Record(int fieldNbr, const QByteArray &value) {
    return FieldEncode(QByteArray::number(fieldNbr), value);
}

// The plan number goes as the one byte of its value. Built here rather than
// by FieldEncode, whose trimming would lose a plan number that is the code
// of a blank.
QByteArray PlanNumberRecord(int fieldNbr, const QByteArray &planNbr) {
    const QByteArray planByte = IntToByte(static_cast<std::uint8_t>(planNbr.trimmed().toUInt()));
    return IntToBytes(fieldNbr) + IntToBytes(1) + planByte + ' ';
}

} // namespace

QByteArray SurveyAnswerText() {
    QByteArrayList values;
    for (int slot = 0; slot < modKestenrol::kSurveyAnswerSlots; ++slot) {
        if (slot != kUnsentSurveySlot)
            values.append(modKestenrol::gSurveyAnswers.at(slot));
    }
    return values.join(',');
}

void RegistrationConversation::PacketProcessRequest(const QByteArray &strData1,
                                                    const QByteArray &strData2, QByteArray &answer,
                                                    Flag &ok) {
    answer.clear();
    ok = kFalse;
    const std::int32_t fieldMask = RequestNumber(strData1);
    const std::int32_t rejection = RequestNumber(strData2);
    qCDebug(lcConversation).noquote()
        << "request for fields" << Qt::hex << fieldMask << "rejection" << Qt::dec << rejection;
    if (rejection != 0) {
        for (const CorrectableField &field : kCorrectableFields) {
            if (!FieldAsked(fieldMask, field.number))
                continue;
            // The message of the refused field; then the wizard is the user's
            // again, on the field's page with the field ready for the
            // correction, unless the call went meanwhile.
            const std::uint64_t call = callsEnded_;
            ui().msgBox(field.message, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
            if (CallGoneSince(call))
                return;
            ui().setMousePointer(MousePointer::Default);
            window_.EnableWizard(kTrue);
            window_.ShowEntryControl(field.control);
            return;
        }
    }
    // Nothing for the user to correct in the wizard: answered as a first
    // request, the card going through the card window.
    answer = AnswerFields(fieldMask, rejection == kCardRefused);
    ok = kTrue;
}

QByteArray RegistrationConversation::AnswerFields(std::int32_t fieldMask, bool cardRefused) {
    const WizardEntries entries = window_.Entries();
    QByteArray answer;
    // Room enough that no append moves the answer and leaves a copy of the
    // records so far behind: they may carry the card.
    answer.reserve(kLongestPacketString);
    for (int fieldNbr = 1; fieldNbr <= kLastRequestField; ++fieldNbr) {
        if (!FieldAsked(fieldMask, fieldNbr))
            continue;
        QByteArray record = fieldNbr == kCardNumberField ? AnswerCardField(cardRefused, entries)
                                                         : AnswerField(fieldNbr, entries);
        answer += record;
        WipeIfLast(record);
    }
    return answer;
}

QByteArray RegistrationConversation::AnswerCardField(bool cardRefused,
                                                     const WizardEntries &entries) {
    const std::uint64_t call = callsEnded_;
    if (cardRefused) {
        ui().msgBox(kCardRefusedMessage, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
        if (CallGoneSince(call))
            return {};
    }
    modKestenrol::gCardAccepted = kFalse;
    const std::optional<CardDetails> accepted =
        window_.ShowCardWindow(CardOffer(card_, entries), txtPlanDetails);
    // A card accepted for a call that is gone goes nowhere; the last copy of
    // it wipes it.
    if (!accepted || CallGoneSince(call))
        return {};
    // The kept card shares nothing with anyone, so that wiping it reaches
    // only copies made of it.
    card_ = accepted->Detached();
    modKestenrol::gCardAccepted = kTrue;
    return Record(kCardNumberField, card_.txtCreditCardNumber);
}

QByteArray RegistrationConversation::AnswerField(int fieldNbr, const WizardEntries &entries) {
    const bool cardAccepted = modKestenrol::gCardAccepted != kFalse;
    // A card field goes only from entries that the card window accepted.
    const auto cardRecord = [&](const QByteArray &kept) {
        return cardAccepted && !kept.isEmpty() ? Record(fieldNbr, kept) : QByteArray();
    };
    switch (fieldNbr) {
    case 1:
        return Record(fieldNbr, entries.txtFirstName);
    case 2:
        return Record(fieldNbr, entries.txtSurname);
    case 3:
        return Record(fieldNbr, entries.txtAddress1);
    case 4:
        return Record(fieldNbr, entries.txtAddress2);
    case 5:
        return Record(fieldNbr, entries.txtAddress3);
    case 6:
        return Record(fieldNbr, entries.cboState.value_or(QByteArray()));
    case 7:
        return Record(fieldNbr, entries.txtPostcode);
    case 8:
        return Record(fieldNbr, entries.txtPhone);
    case 9:
        return Record(fieldNbr, entries.txtEmail);
    case 11:
        return cardRecord(card_.txtExpiryDate);
    case 12:
        return cardRecord(card_.txtNameOnCard);
    case 13:
        return cardRecord(card_.txtCardholderAddress);
    case 14:
        return Record(fieldNbr, entries.lstExisting.value_or(QByteArray()));
    case 15:
        return Record(fieldNbr, entries.txtAlternative);
    case 16:
        return Record(fieldNbr, entries.txtNickName);
    case 17:
        return Record(fieldNbr, entries.txtPassword);
    case 18:
        return Record(fieldNbr, entries.txtCV);
    case 19:
        return Record(fieldNbr, entries.txtCallbackNumberArea + entries.txtCallbackNumber);
    case 20:
        return Record(fieldNbr, entries.chkInformation == 0 ? "No" : "Yes");
    case 21:
        return Record(fieldNbr, entries.cboHeardAbout.value_or(QByteArray()));
    case 23:
        return Record(fieldNbr, window_.SurveyDone() ? SurveyAnswerText() : QByteArray());
    case 24:
        return cardAccepted && !card_.txtPlanNbr.isEmpty()
                   ? PlanNumberRecord(fieldNbr, card_.txtPlanNbr)
                   : QByteArray();
    case 25:
        ReadServerCommands(mCommand1, mCommand2);
        return Record(fieldNbr, mCommand1);
    case 26:
        ReadServerCommands(mCommand1, mCommand2);
        return Record(fieldNbr, mCommand2);
    default:
        return {};
    }
}
