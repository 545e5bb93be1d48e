// The packet conversation with the host, over the real packet-security
// library and a real registry store, with a stand-in for the wizard window.
#include "fake_call_window.h"
#include "program_folder.h"
#include "program_state.h"
#include "registration_conversation.h"
#include "scripted_ui.h"
#include "wire_packets.h"

#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;
using modKestenrol::gCardAccepted;
using modKestenrol::gLastPacket;

namespace {

const auto H = [](const char *hex) { return QByteArray::fromHex(hex); };
const QByteArray kTag("\x0a\x0b\x0c\x0d");
const QByteArray kCardMessage("The Credit Card details you previously entered were not valid.\r\n"
                              "Please re-enter the Credit Card details again.");
const QByteArray kFirstNameMessage("The Firstname entered is not valid - please re-enter.");
const QByteArray kOverflow("Err: 6\r\nError: Overflow");

QByteArray Wire(std::int16_t kind, int sequence, const QByteArray &data) {
    return PacketPack(PacketString(kind, kTag, IntToBytes(sequence), data));
}

QByteArray Request(int sequence, const QList<int> &fields, std::int32_t rejection = 0) {
    std::uint32_t mask = 0;
    for (const int field : fields)
        mask |= 1U << (field - 1);
    return Wire(1, sequence, LongToBytes(static_cast<std::int32_t>(mask)) + LongToBytes(rejection));
}

const CardDetails kCard{"4111111111111111", "0830", "M JONES", "12 High St\r\nVIC    3053", "7"};

} // namespace

// The call under the conversation: whether one is up, and its hang-ups.
class FakeLine final : public ConversationLine {
  public:
    bool callUp = true;
    int hangUps = 0;

    bool CallInProgress() const override { return callUp; }
    void HangUp() override { ++hangUps; }
};

class ConversationTest : public QObject {
    Q_OBJECT

  private:
    Flag receive(const QByteArray &wire) { return conversation_->PacketProcess(wire, gLastPacket); }

    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<ScriptedUi> ui_;
    FakeLine line_;
    std::unique_ptr<FakeCallWindow> wizard_;
    std::unique_ptr<RegistrationConversation> conversation_;

  private Q_SLOTS:
    void initTestCase() {
        modKestenrol::SetFramingCharacters();
        for (int slot = 0; slot < modKestenrol::kSurveyAnswerSlots; ++slot)
            modKestenrol::gSurveyAnswers.at(slot) = 's' + QByteArray::number(slot);
    }

    void init() {
        conversation_.reset();
        wizard_.reset();
        ui_.reset();
        // The old folder goes first: it puts the environment back as it found it.
        folder_.reset();
        folder_ = std::make_unique<ProgramFolder>();
        ui_ = std::make_unique<ScriptedUi>();
        line_ = FakeLine();
        wizard_ = std::make_unique<FakeCallWindow>(*ui_);
        wizard_->entries.txtFirstName = " Mary ";
        wizard_->entries.txtSurname = "Jones";
        conversation_ = std::make_unique<RegistrationConversation>(*wizard_, line_);
        gLastPacket.clear();
        gCardAccepted = kFalse;
    }

    // Each request answered from the entries, with the host's login texts
    // kept from its data.
    void requestFields() {
        const auto check = [&](const QList<int> &fields, const QByteArray &expected,
                               int information = 0, bool survey = false, int rejection = 0) {
            init();
            QCOMPARE(receive(Wire(2, 0x0100, Rec(25, " zap-login ") + Rec(26, ""))), kTrue);
            wizard_->entries.chkInformation = static_cast<std::int16_t>(information);
            wizard_->surveyDone = survey;
            QCOMPARE(receive(Request(0x0102, fields, rejection)), kTrue);
            const Opened reply = Open(gLastPacket);
            QVERIFY(reply.ok == kTrue && reply.kind == 2);
            QCOMPARE(reply.tag + reply.sequence, kTag + H("0201"));
            QCOMPARE(reply.data(), expected);
            QVERIFY(wizard_->log.isEmpty() && ui_->messages.isEmpty());
        };
        // Trimmed, 2 padded, 26 blank.
        check({1, 2, 25, 26},
              Rec(1, "Mary") + H("0200 0500") + "Jones " + Rec(25, "zap-login") + Rec(26, ""));
        // 20 ticked, then greyed.
        check({20}, H("1400 0300") + "Yes ", 1);
        check({20}, Rec(20, "Yes"), 2);
        // 22 has no row, 23 no survey.
        check({22, 23}, H("1700 0000"));
        // Refused, with no entry the user could correct: answered all the same.
        check({20, 22, 23, 25, 26},
              Rec(20, "No") + Rec(23, "") + Rec(25, "zap-login") + Rec(26, ""), 0, false, 2);
        // The survey done: every slot but 69, in order.
        QByteArrayList answers;
        for (int slot = 0; slot <= 76; ++slot) {
            if (slot != 69)
                answers.append('s' + QByteArray::number(slot));
        }
        check({23}, Rec(23, answers.join(',')), 0, true);
    }

    // The card message comes before the card window for rejection value 1
    // only; after Cancel the card fields stay out, even after an earlier OK.
    // The plan number goes as one byte, even a blank's.
    void cardWindow() {
        CardDetails blankPlan = kCard;
        blankPlan.txtPlanNbr = "32";
        wizard_->cardAnswers = {kCard, std::nullopt, blankPlan};
        wizard_->entries.txtAddress1 = "3 Low Rd ";
        wizard_->entries.cboState = "VIC";
        wizard_->entries.txtPostcode = "3000";
        const QByteArray plans = "1 Casual";
        QCOMPARE(receive(Wire(2, 16, Rec(24, "\x01\x07" + plans))), kTrue);
        // While the card window is open the host must wait: a packet is dropped.
        wizard_->whileCardWindowOpen = [this] {
            QByteArray last = gLastPacket;
            QCOMPARE(conversation_->PacketProcess(Request(99, {1}), last), kFalse);
            QCOMPARE(last, gLastPacket);
        };
        QCOMPARE(receive(Request(1, {10, 11, 12, 13, 24})), kTrue);
        QCOMPARE(Open(gLastPacket).data(),
                 Rec(10, kCard.txtCreditCardNumber) + Rec(11, kCard.txtExpiryDate) +
                     Rec(12, kCard.txtNameOnCard) + Rec(13, kCard.txtCardholderAddress) +
                     H("1800 0100 07 20"));
        QCOMPARE(receive(Request(2, {10, 11, 12, 13, 24}, 1)), kTrue);
        QCOMPARE(receive(Request(3, {11, 12, 13, 24, 20})), kTrue);
        QCOMPARE(Open(gLastPacket).data(), Rec(20, "No"));
        // Refused otherwise: the window again, without the card message.
        QCOMPARE(receive(Request(4, {10, 20, 24}, 2)), kTrue);
        QCOMPARE(Open(gLastPacket).data(),
                 Rec(10, kCard.txtCreditCardNumber) + Rec(20, "No") + H("1800 0100 20 20"));
        QCOMPARE(wizard_->log,
                 (QStringList{u"bounds 1-7@0"_s, u"card@0"_s, u"card@1"_s, u"card@1"_s}));
        QCOMPARE(Shown(*ui_), QByteArrayList{kCardMessage});
        // The window offers the subscriber's name in capitals, the postal
        // address until a cardholder address is kept, and the host's plans.
        const CardDetails first{"", "", "MARY JONES", "3 Low Rd\r\nVIC    3000", ""};
        CardDetails again = kCard;
        again.txtNameOnCard = "MARY JONES";
        QCOMPARE(wizard_->cardOffers, (QList<CardDetails>{first, again, again}));
        QCOMPARE(wizard_->planLists, QList<QByteArray>(3, plans));
    }

    // A repeat (after noise), an acknowledgement or an unknown kind get the
    // last answer's bytes again without an entry read again, a malformed
    // packet nothing; the next request is answered afresh. A mask or
    // rejection value past 31 bits is reported and read as 0.
    void packetsAfterAnAnswer() {
        QCOMPARE(receive(Wire(3, 1, "x")), kTrue);
        QCOMPARE(gLastPacket, QByteArray());
        QCOMPARE(receive(Request(7, {1, 10, 20})), kTrue);
        const QByteArray answer = gLastPacket;
        wizard_->entries.txtFirstName = "Changed";
        for (const QByteArray &wire :
             {"noise" + Request(7, {1, 10, 20}), Wire(0, 3, {}), Wire(32767, 4, {})})
            QCOMPARE(receive(wire), kTrue);
        QByteArray badChecksum = PacketString(1, kTag, H("0900"), LongToBytes(1) + LongToBytes(0));
        badChecksum[19] = static_cast<char>(badChecksum[19] ^ 1);
        QCOMPARE(receive(PacketPack(badChecksum)), kFalse);
        QCOMPARE(gLastPacket, answer);
        QCOMPARE(wizard_->entryReads, 1);
        QCOMPARE(wizard_->log, QStringList{u"card@0"_s});
        QVERIFY(ui_->messages.isEmpty());
        QCOMPARE(receive(Request(9, {1})), kTrue);
        QCOMPARE(Open(gLastPacket).sequence + Open(gLastPacket).data(),
                 H("0900") + Rec(1, "Changed"));

        QCOMPARE(receive(Wire(1, 10, H("01000080") + LongToBytes(0))), kTrue);
        QCOMPARE(Open(gLastPacket).kind, 2);
        QCOMPARE(Open(gLastPacket).data(), QByteArray());
        QCOMPARE(receive(Wire(1, 11, LongToBytes(1) + H("000000ff"))), kTrue);
        QCOMPARE(Open(gLastPacket).data(), Rec(1, "Changed"));
        QCOMPARE(Shown(*ui_),
                 QByteArrayList(2, "An unexpected error occurred in PacketProcessRequest.\r\n" +
                                       kOverflow));
    }

    // Records, the plan bounds they leave, the plan details kept, and
    // whether a fault is reported.
    void dataPackets() {
        const QByteArray report("An unexpected error occurred in PacketProcessData.\r\nErr: 5\r\n"
                                "Error: Invalid procedure call or argument");
        const auto check = [&](const QByteArray &records, const QString &bounds,
                               const QByteArray &details, bool reported) {
            init();
            QCOMPARE(receive(Wire(2, 0x0304, Rec(24, "\x09\x09kept"))), kTrue);
            QCOMPARE(receive(Wire(2, 0x0305, records)), kTrue);
            const Opened ack = Open(gLastPacket);
            QVERIFY(ack.ok == kTrue && ack.kind == 3 && ack.length == 12);
            QCOMPARE(ack.tag + ack.sequence, kTag + H("0503"));
            QCOMPARE(u"%1-%2"_s.arg(conversation_->PlanNbrLo()).arg(conversation_->PlanNbrHi()),
                     bounds);
            QCOMPARE(conversation_->PlanDetails(), details);
            QCOMPARE(Shown(*ui_), reported ? QByteArrayList{report} : QByteArrayList{});
        };
        check(Rec(24, QByteArray("\x03\x07") + "A\r\nB\n"), u"3-7"_s, "A\r\nB", false);
        check(Rec(24, "\x05"), u"5-0"_s, "", true);
        // Fields 1 and 30 carry nothing a data packet keeps.
        check(Rec(1, "x") + Rec(30, "yy"), u"9-9"_s, "kept", false);
    }

    // A refused request shows the message naming the first field to be
    // corrected, puts the pointer back, and waits for Continue.
    void refusedRequests() {
        const auto check = [&](const QList<int> &fields, const char *what, EntryControl control) {
            init();
            QCOMPARE(receive(Request(1, {2})), kTrue);
            const QByteArray before = gLastPacket;
            QCOMPARE(receive(Request(2, fields, 2)), kFalse);
            QCOMPARE(Shown(*ui_), QByteArrayList{"The " + QByteArray(what) +
                                                 " is not valid - please re-enter."});
            QCOMPARE(gLastPacket, before);
            QCOMPARE(wizard_->log,
                     (QStringList{u"release@1"_s, u"show %1@1"_s.arg(static_cast<int>(control)),
                                  u"continue shown@1"_s}));
            QCOMPARE(ui_->mousePointer(), MousePointer::Default);
            QVERIFY(conversation_->waitingForContinue());
        };
        check({26, 25, 21, 20, 2, 1}, "Firstname entered", EntryControl::txtFirstName);
        check({23, 21, 5}, "Address entered", EntryControl::txtAddress3);
        check({15, 14}, "Existing number selected", EntryControl::lstExisting);
    }

    // The host refuses the first name and the card together: the user
    // corrects the name, presses Continue, and gets the card message and
    // window then.
    void refusedFieldsAreCorrectedAndSentWithContinue() {
        wizard_->cardAnswers = {kCard};
        const QByteArray request = Request(5, {20, 10, 1}, 1);
        QCOMPARE(receive(request), kFalse);
        // The host's repeat while the user corrects is ignored.
        QCOMPARE(receive(request), kFalse);
        QVERIFY(gLastPacket.isEmpty());
        QCOMPARE(Shown(*ui_), QByteArrayList{kFirstNameMessage});

        wizard_->log.clear();
        wizard_->entries.txtFirstName = "Maria";
        QByteArray packet;
        QCOMPARE(conversation_->PacketProcessContinue(packet), kTrue);
        QCOMPARE(wizard_->log, (QStringList{u"lock@1"_s, u"continue hidden@1"_s, u"card@2"_s}));
        QCOMPARE(Shown(*ui_), (QByteArrayList{kFirstNameMessage, kCardMessage}));
        QCOMPARE(Open(packet).sequence + Open(packet).data(),
                 H("0500") + Rec(1, "Maria") + Rec(10, kCard.txtCreditCardNumber) + Rec(20, "No"));
        QCOMPARE(gLastPacket, packet);

        // A repeat from the host now gets the same bytes, without asking again.
        QCOMPARE(receive(request), kTrue);
        QCOMPARE(gLastPacket, packet);
        QCOMPARE(wizard_->log.size(), 3);
        QCOMPARE(conversation_->PacketProcessContinue(packet), kFalse);
    }

    void windowOutlivesItsCall_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("callEnds"); // else the program begins to end
        for (const QString &window : {u"card window"_s, u"card message"_s, u"refused field"_s}) {
            QTest::newRow(qPrintable(window + u", call ends"_s)) << window << true;
            QTest::newRow(qPrintable(window + u", program ends"_s)) << window << false;
        }
    }

    // A window of the conversation still open when its call ends, or when
    // the program begins to end: what it gives goes nowhere, nothing more is
    // shown and nothing is answered. The call's end wipes the card kept from
    // an earlier request where it lay, and the last reply.
    void windowOutlivesItsCall() {
        QFETCH(QString, window);
        QFETCH(bool, callEnds);
        const CardDetails other{"5500000000000004", "0131", "M J", "", "7"};
        wizard_->cardAnswers = {kCard, other};
        QCOMPARE(receive(Request(1, {10, 20})), kTrue);
        const QByteArray lastReply = gLastPacket;
        // A copy that shares the kept card's memory.
        const CardDetails sharing = conversation_->KeptCard();
        qsizetype shownBefore = -1;
        const auto end = [&] {
            shownBefore = wizard_->log.size();
            if (callEnds)
                conversation_->EndCall();
            else
                ui_->endProgram();
        };
        Flag sent = kTrue;
        if (window == u"card window"_s) {
            wizard_->whileCardWindowOpen = end;
            sent = receive(Request(2, {10, 20}, 2));
        } else if (window == u"card message"_s) {
            ui_->messageActions = {end};
            sent = receive(Request(2, {10, 20}, 1));
        } else {
            ui_->messageActions = {end};
            sent = receive(Request(2, {1, 10}, 2));
        }
        QCOMPARE(sent, kFalse);
        QVERIFY2(shownBefore >= 0, "the window was never open");
        QCOMPARE(wizard_->log.mid(shownBefore), QStringList());
        QVERIFY(!conversation_->waitingForContinue());
        if (callEnds) {
            QCOMPARE(conversation_->KeptCard(), CardDetails());
            QCOMPARE(gCardAccepted, kFalse);
            QCOMPARE(sharing.txtCreditCardNumber, QByteArray(16, '\0'));
            QVERIFY(gLastPacket.isEmpty());
        } else {
            QCOMPARE(conversation_->KeptCard().txtCreditCardNumber, kCard.txtCreditCardNumber);
            QCOMPARE(gLastPacket, lastReply);
        }
    }

    // With no call in progress an end packet changes nothing; with one, the
    // host's text is shown, the call hung up and the program ended, and the
    // last reply (it may carry the card) is gone.
    void endPacket() {
        QCOMPARE(receive(Request(1, {2})), kTrue);
        const QByteArray answer = gLastPacket;
        ui_->setMousePointer(MousePointer::Hourglass);
        const QByteArray text = "Welcome to Kestrune, Zapper!\r\nYour account is ready.";
        line_.callUp = false;
        QCOMPARE(receive(Wire(4, 2, text)), kTrue);
        QCOMPARE(gLastPacket, answer);
        QVERIFY(ui_->messages.isEmpty() && !ui_->ended);
        line_.callUp = true;
        QCOMPARE(receive(Wire(4, 3, text)), kFalse);
        QVERIFY(gLastPacket.isEmpty());
        QVERIFY(wizard_->log.isEmpty());
        QCOMPARE(line_.hangUps, 1);
        QCOMPARE(Shown(*ui_), QByteArrayList{text + "\r\n\r\nThe Registration program will exit."});
        QCOMPARE(ui_->mousePointer(), MousePointer::Default);
        QVERIFY(ui_->ended);
    }
};

QTEST_MAIN(ConversationTest)
#include "test_conversation.moc"
