// The packet conversation with the host, over the real packet-security
// library and a real registry store, with a stand-in for the wizard window.
#include "conversation_window.h"
#include "field_requests.h"
#include "program_folder.h"
#include "program_state.h"
#include "registration_conversation.h"
#include "registry.h"
#include "scripted_ui.h"
#include "wire_packets.h"

#include <QTest>
#include <functional>
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

struct Card {
    QByteArray number, expiry, name, address;
};
const Card kCard{"4111111111111111", "0830", "MARY JONES", "12 High St\r\nVIC    3053"};

const WizardEntries kEntries{.txtFirstName = " Mary ",
                             .txtSurname = "Jones",
                             .txtAddress1 = "12 High St",
                             .txtAddress2 = "",
                             .txtAddress3 = "Carlton",
                             .cboState = "VIC",
                             .txtPostcode = "3053",
                             .txtPhone = "03 9347 1234",
                             .txtEmail = "mary@example.com",
                             .lstExisting = "03 96543210\tMelbourne",
                             .txtAlternative = "",
                             .txtNickName = "Zapper",
                             .txtPassword = "secret1",
                             .txtCV = "Likes racing\r\nand puzzles",
                             .txtCallbackNumberArea = "03",
                             .txtCallbackNumber = "98765432",
                             .cboHeardAbout = "Friend"};

// The wizard window, logging each call with the number of messages shown
// before it.
class FakeWizard final : public ConversationWindow {
  public:
    FakeWizard(WizardLinkState &state, const ScriptedUi &ui) : state_(state), ui_(ui) {}

    WizardEntries entries = kEntries;
    // One per card window opening: OK accepts kCard on plan 7, or Cancel.
    QList<bool> cardAnswers;
    std::function<void()> whileCardWindowOpen;
    bool callUp = true;
    QStringList log;
    mutable int entryReads = 0;

    WizardEntries EntryTexts() const override {
        ++entryReads;
        return entries;
    }
    void ShowCardWindow() override {
        note(u"card"_s);
        gCardAccepted = kFalse;
        if (whileCardWindowOpen)
            whileCardWindowOpen();
        if (!cardAnswers.isEmpty() && !cardAnswers.takeFirst())
            return;
        state_.txtCreditCardNumber = kCard.number;
        state_.txtExpiryDate = kCard.expiry;
        state_.txtNameOnCard = kCard.name;
        state_.txtCardholderAddress = kCard.address;
        state_.txtPlanNbr = "7";
        gCardAccepted = kTrue;
    }
    void SetCardPlanBounds(std::int16_t lo, std::int16_t hi) override {
        note(u"bounds %1-%2"_s.arg(lo).arg(hi));
    }
    bool CallInProgress() const override { return callUp; }
    void HangUp() override { note(u"hang up"_s); }
    void EnableWizard(Flag flag) override { note(flag == kTrue ? u"release"_s : u"lock"_s); }
    void ShowEntryControl(EntryControl control) override {
        note(u"show %1"_s.arg(static_cast<int>(control)));
    }
    void ShowContinue(bool visible) override {
        note(visible ? u"continue shown"_s : u"continue hidden"_s);
    }

  private:
    void note(const QString &what) {
        log.append(what + u'@' + QString::number(ui_.messages.size()));
    }

    WizardLinkState &state_;
    const ScriptedUi &ui_;
};

QByteArray Stored(const char *value) {
    QByteArray text;
    return RegReadValue(winreg::HKEY_LOCAL_MACHINE, kServiceKey, value, text) == kTrue ? text
                                                                                       : "none";
}

} // namespace

class ConversationTest : public QObject {
    Q_OBJECT

  private:
    Flag receive(const QByteArray &wire) {
        state_.mReceiveBuffer = wire;
        return conversation_->PacketProcess(gLastPacket);
    }

    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<ScriptedUi> ui_;
    WizardLinkState state_;
    std::unique_ptr<FakeWizard> wizard_;
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
        state_ = WizardLinkState();
        wizard_ = std::make_unique<FakeWizard>(state_, *ui_);
        conversation_ = std::make_unique<RegistrationConversation>(*wizard_, state_);
        gLastPacket.clear();
        gCardAccepted = kFalse;
    }

    void requestFields_data() {
        QTest::addColumn<QList<int>>("fields");
        QTest::addColumn<bool>("cardAccepted");
        QTest::addColumn<bool>("surveyDone");
        QTest::addColumn<int>("information");
        QTest::addColumn<QByteArray>("planNbr");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char *name, const QList<int> &fields, const QByteArray &expected,
                            bool card = false, int information = 0, const char *plan = "7",
                            bool survey = false) {
            QTest::newRow(name) << fields << card << survey << information << QByteArray(plan)
                                << expected;
        };
        row("2 padded", {2}, H("0200 0500") + "Jones ");
        row("20 unticked", {20}, H("1400 0200") + "No");
        row("20 ticked", {20}, H("1400 0300") + "Yes ", false, 1);
        row("20 greyed", {20}, Rec(20, "Yes"), false, 2);
        row("22 has no row", {22}, {});
        row("23 no survey", {23}, H("1700 0000"));
        row("card fields without an accepted card", {11, 12, 13, 24}, {});
        row("24 one byte, even a blank's", {24}, H("1800 0100 20 20"), true, 0, "32");
        row("bits above 26 ignored", {27, 28, 31}, {});
        QList<int> allButCardNumber;
        for (int field = 1; field <= 26; ++field) {
            if (field != 10)
                allButCardNumber.append(field);
        }
        row("every field but the card number", allButCardNumber,
            Rec(1, "Mary") + Rec(2, "Jones") + Rec(3, "12 High St") + Rec(4, "") +
                Rec(5, "Carlton") + Rec(6, "VIC") + Rec(7, "3053") + Rec(8, "03 9347 1234") +
                Rec(9, "mary@example.com") + Rec(11, "0830") + Rec(12, "MARY JONES") +
                Rec(13, "12 High St\r\nVIC    3053") + Rec(14, "03 96543210\tMelbourne") +
                Rec(15, "") + Rec(16, "Zapper") + Rec(17, "secret1") +
                Rec(18, "Likes racing\r\nand puzzles") + Rec(19, "0398765432") + Rec(20, "No") +
                Rec(21, "Friend") + Rec(23, "") + H("1800 0100 07 20") + Rec(25, "zap-login") +
                Rec(26, "pw 99"),
            true);
        // Every slot but 69, in order.
        QByteArrayList answers;
        for (int slot = 0; slot <= 76; ++slot) {
            if (slot != 69)
                answers.append('s' + QByteArray::number(slot));
        }
        row("23 survey done", {23}, Rec(23, answers.join(',')), false, 0, "7", true);
    }

    void requestFields() {
        QFETCH(QList<int>, fields);
        RegWriteString(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kCommand1Value, " zap-login ");
        RegWriteString(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kCommand2Value, "pw 99");
        QFETCH(int, information);
        wizard_->entries.chkInformation = static_cast<std::int16_t>(information);
        QFETCH(bool, surveyDone);
        state_.mbolDoneSurvey = ToFlag(surveyDone);
        QFETCH(bool, cardAccepted);
        gCardAccepted = ToFlag(cardAccepted);
        state_.txtExpiryDate = kCard.expiry;
        state_.txtNameOnCard = kCard.name;
        state_.txtCardholderAddress = kCard.address;
        QFETCH(QByteArray, planNbr);
        state_.txtPlanNbr = planNbr;

        QCOMPARE(receive(Request(0x0102, fields)), kTrue);
        const Opened reply = Open(gLastPacket);
        QVERIFY(reply.ok == kTrue && reply.kind == 2);
        QCOMPARE(reply.tag + reply.sequence, kTag + H("0201"));
        QTEST(reply.data(), "expected");
        QVERIFY(wizard_->log.isEmpty() && ui_->messages.isEmpty());
    }

    void cardRequests_data() {
        QTest::addColumn<int>("rejection");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("first request, OK") << 0 << true;
        QTest::newRow("card refused, OK") << 1 << true;
        QTest::newRow("refused otherwise, OK") << 2 << true;
        QTest::newRow("card refused, Cancel") << 1 << false;
    }

    // The card message comes before the card window for rejection value 1
    // only; the card fields go only after OK.
    void cardRequests() {
        QFETCH(int, rejection);
        QFETCH(bool, accepted);
        wizard_->cardAnswers = {accepted};
        QCOMPARE(receive(Request(3, {24, 20, 13, 12, 11, 10}, rejection)), kTrue);
        QCOMPARE(wizard_->log, QStringList{u"card@%1"_s.arg(rejection == 1)});
        QCOMPARE(Shown(*ui_), rejection == 1 ? QByteArrayList{kCardMessage} : QByteArrayList{});
        const QByteArray card = Rec(10, kCard.number) + Rec(11, kCard.expiry) +
                                Rec(12, kCard.name) + Rec(13, kCard.address);
        QCOMPARE(Open(gLastPacket).data(),
                 accepted ? card + Rec(20, "No") + H("1800 0100 07 20") : Rec(20, "No"));
    }

    void cancelledCardLeavesTheCardOutAfterAnEarlierOk() {
        wizard_->cardAnswers = {true, false};
        // While the card window is open the host must wait: a packet is dropped.
        wizard_->whileCardWindowOpen = [this] {
            QByteArray last = gLastPacket;
            state_.mReceiveBuffer = Request(99, {1});
            QCOMPARE(conversation_->PacketProcess(last), kFalse);
            QCOMPARE(last, gLastPacket);
        };
        QCOMPARE(receive(Request(1, {10, 11, 12, 13, 24})), kTrue);
        QVERIFY(Open(gLastPacket).data().startsWith(Rec(10, kCard.number)));
        QCOMPARE(receive(Request(2, {10, 11, 12, 13, 24}, 1)), kTrue);
        QCOMPARE(receive(Request(3, {11, 12, 13, 24, 20})), kTrue);
        QCOMPARE(Open(gLastPacket).data(), Rec(20, "No"));
        QCOMPARE(wizard_->log, (QStringList{u"card@0"_s, u"card@1"_s}));
        QCOMPARE(state_.txtCreditCardNumber, kCard.number);
    }

    void packetsAfterAnAnswer_data() {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<bool>("sent");
        QTest::newRow("repeat, after noise") << "noise" + Request(7, {1, 10, 20}) << true;
        for (const int kind : {3, 0, 5, 32767})
            QTest::addRow("kind %d", kind) << Wire(static_cast<std::int16_t>(kind), 3, {}) << true;
        const QByteArray good = PacketString(1, kTag, H("0900"), LongToBytes(1) + LongToBytes(0));
        QByteArray badChecksum = good;
        badChecksum[19] = static_cast<char>(badChecksum[19] ^ 1);
        QByteArray sealedChanged = PacketPack(good);
        sealedChanged[20] = static_cast<char>(sealedChanged[20] == 'x' ? 'y' : 'x');
        QTest::newRow("checksum") << PacketPack(badChecksum) << false;
        QTest::newRow("length field") << PacketPack(H("1500") + good.mid(2)) << false;
        QTest::newRow("sealed bytes changed") << sealedChanged << false;
        QTest::newRow("no end mark") << PacketPack(good).chopped(1) << false;
        QTest::newRow("noise") << QByteArray("line noise~") << false;
        QTest::newRow("empty frame") << H("017e") << false;
    }

    // A repeat, an acknowledgement or an unknown kind get the last answer's
    // bytes again, a malformed packet nothing; no entry is read again, and a
    // dropped packet's sequence is still answered afresh.
    void packetsAfterAnAnswer() {
        QCOMPARE(receive(Wire(3, 1, "x")), kTrue);
        QCOMPARE(gLastPacket, QByteArray());
        QCOMPARE(receive(Request(7, {1, 10, 20})), kTrue);
        const QByteArray answer = gLastPacket;
        wizard_->entries.txtFirstName = "Changed";
        QFETCH(QByteArray, wire);
        QTEST(receive(wire) == kTrue, "sent");
        QCOMPARE(gLastPacket, answer);
        QCOMPARE(wizard_->entryReads, 1);
        QCOMPARE(wizard_->log, QStringList{u"card@0"_s});
        QVERIFY(ui_->messages.isEmpty());
        QCOMPARE(receive(Request(9, {1})), kTrue);
        QCOMPARE(Open(gLastPacket).sequence, H("0900"));
        QCOMPARE(Open(gLastPacket).data(), Rec(1, "Changed"));
    }

    // A mask or rejection value past 31 bits is reported and read as 0.
    void requestNumbersThatDoNotDecode() {
        QCOMPARE(receive(Wire(1, 1, H("01000080") + LongToBytes(0))), kTrue);
        QCOMPARE(Open(gLastPacket).kind, 2);
        QCOMPARE(Open(gLastPacket).data(), QByteArray());
        QCOMPARE(receive(Wire(1, 2, LongToBytes(1) + H("000000ff"))), kTrue);
        QCOMPARE(Open(gLastPacket).data(), Rec(1, "Mary"));
        QCOMPARE(Shown(*ui_),
                 QByteArrayList(2, "An unexpected error occurred in PacketProcessRequest.\r\n" +
                                       kOverflow));
    }

    // Records, the plan bounds they give ("" for none), the plan details
    // kept, and whether a fault is reported.
    void dataPackets_data() {
        QTest::addColumn<QByteArray>("records");
        QTest::addColumn<QString>("bounds");
        QTest::addColumn<QByteArray>("planDetails");
        QTest::addColumn<bool>("reported");
        const auto row = [](const char *name, const QByteArray &records, const QString &bounds,
                            const char *details, bool reported) {
            QTest::newRow(name) << records << bounds << QByteArray(details) << reported;
        };
        row("plan offer", Rec(24, QByteArray("\x03\x07") + "A\r\nB\n"), u"3-7"_s, "A\r\nB", false);
        row("two bytes", Rec(24, "\x03\x07"), u"3-7"_s, "", false);
        row("one byte", Rec(24, "\x05"), u"5-0"_s, "", true);
        row("empty", Rec(24, ""), u"0-0"_s, "", true);
        row("1 and 30 ignored", Rec(1, "x") + Rec(30, "yy"), {}, "kept", false);
    }

    void dataPackets() {
        QFETCH(QByteArray, records);
        QFETCH(QString, bounds);
        QFETCH(bool, reported);
        state_.txtPlanDetails = "kept";
        state_.intPlanNbrLo = state_.intPlanNbrHi = 9;
        QCOMPARE(receive(Wire(2, 0x0305, records)), kTrue);
        const Opened ack = Open(gLastPacket);
        QVERIFY(ack.ok == kTrue && ack.kind == 3 && ack.length == 12);
        QCOMPARE(ack.tag + ack.sequence, kTag + H("0503"));
        QCOMPARE(wizard_->log,
                 bounds.isEmpty() ? QStringList{} : QStringList{u"bounds "_s + bounds + u"@0"_s});
        QCOMPARE(u"%1-%2"_s.arg(state_.intPlanNbrLo).arg(state_.intPlanNbrHi),
                 bounds.isEmpty() ? u"9-9"_s : bounds);
        QTEST(state_.txtPlanDetails, "planDetails");
        const QByteArray report("An unexpected error occurred in PacketProcessData.\r\nErr: 5\r\n"
                                "Error: Invalid procedure call or argument");
        QCOMPARE(Shown(*ui_), reported ? QByteArrayList{report} : QByteArrayList{});
    }

    void commandTextsAreStoredWhole() {
        QByteArray longText;
        for (int i = 0; longText.size() < 700; ++i)
            longText += "cmd" + QByteArray::number(i) + ' ';
        QCOMPARE(receive(Wire(2, 1, Rec(25, longText) + Rec(26, ""))), kTrue);
        QCOMPARE(Open(gLastPacket).kind, 3);
        QVERIFY(QFile::exists(folder_->registryPath()));
        QCOMPARE(Stored(kCommand1Value), longText);
        QCOMPARE(Stored(kCommand2Value), QByteArray(" "));
        // Asked back, they go as stored, the stored blank as nothing.
        QCOMPARE(receive(Request(2, {25, 26})), kTrue);
        QCOMPARE(Open(gLastPacket).data(), Rec(25, longText.trimmed()) + Rec(26, ""));
    }

    void refusedRequests_data() {
        QTest::addColumn<QList<int>>("fields");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("control");
        // The message names what is to be corrected.
        const auto row = [](const char *name, const QList<int> &fields, const char *what,
                            EntryControl control) {
            QTest::newRow(name) << fields
                                << "The " + QByteArray(what) + " is not valid - please re-enter."
                                << static_cast<int>(control);
        };
        row("first in field order", {26, 25, 21, 20, 2, 1}, "Firstname entered",
            EntryControl::txtFirstName);
        row("address line 3", {23, 21, 5}, "Address entered", EntryControl::txtAddress3);
        row("dial-in point", {15, 14}, "Existing number selected", EntryControl::lstExisting);
        row("call back number", {19}, "Call Back Number entered", EntryControl::txtCallbackNumber);
        row("heard about", {21, 10}, "Heard About value selected", EntryControl::cboHeardAbout);
        QTest::newRow("nothing to correct") << QList<int>{20, 22, 23, 25, 26} << QByteArray() << -1;
    }

    void refusedRequests() {
        QFETCH(QList<int>, fields);
        QFETCH(QByteArray, message);
        QFETCH(int, control);
        QCOMPARE(receive(Request(1, {2})), kTrue);
        const QByteArray before = gLastPacket;
        const Flag sent = receive(Request(2, fields, 2));
        QCOMPARE(Shown(*ui_), message.isEmpty() ? QByteArrayList{} : QByteArrayList{message});
        if (control < 0) {
            QCOMPARE(sent, kTrue);
            QCOMPARE(Open(gLastPacket).data(),
                     Rec(20, "No") + Rec(23, "") + Rec(25, "") + Rec(26, ""));
            QVERIFY(!conversation_->waitingForContinue());
            return;
        }
        QCOMPARE(sent, kFalse);
        QCOMPARE(gLastPacket, before);
        QCOMPARE(wizard_->log,
                 (QStringList{u"release@1"_s, u"show %1@1"_s.arg(control), u"continue shown@1"_s}));
        QCOMPARE(ui_->mousePointer(), MousePointer::Default);
        QVERIFY(conversation_->waitingForContinue());
    }

    // The host refuses the first name and the card together: the user
    // corrects the name, presses Continue, and gets the card message and
    // window then.
    void refusedFieldsAreCorrectedAndSentWithContinue() {
        QByteArray packet;
        QCOMPARE(conversation_->PacketProcessContinue(packet), kFalse);
        QCOMPARE(receive(Request(1, {2})), kTrue);
        const QByteArray before = gLastPacket;
        const QByteArray request = Request(5, {20, 10, 1}, 1);
        QCOMPARE(receive(request), kFalse);
        // The host's repeat while the user corrects is ignored.
        QCOMPARE(receive(request), kFalse);
        QCOMPARE(Shown(*ui_), QByteArrayList{kFirstNameMessage});
        QCOMPARE(gLastPacket, before);

        wizard_->log.clear();
        wizard_->entries.txtFirstName = "Maria";
        QCOMPARE(conversation_->PacketProcessContinue(packet), kTrue);
        QCOMPARE(wizard_->log, (QStringList{u"lock@1"_s, u"continue hidden@1"_s, u"card@2"_s}));
        QCOMPARE(Shown(*ui_), (QByteArrayList{kFirstNameMessage, kCardMessage}));
        const Opened answer = Open(packet);
        QVERIFY(answer.ok == kTrue && answer.kind == 2);
        QCOMPARE(answer.tag + answer.sequence, kTag + H("0500"));
        QCOMPARE(answer.data(), Rec(1, "Maria") + Rec(10, kCard.number) + Rec(20, "No"));
        QCOMPARE(gLastPacket, packet);
        QVERIFY(!conversation_->waitingForContinue());

        // A repeat from the host now gets the same bytes, without asking again.
        QCOMPARE(receive(request), kTrue);
        QCOMPARE(gLastPacket, packet);
        QCOMPARE(wizard_->log.size(), 3);
        QCOMPARE(conversation_->PacketProcessContinue(packet), kFalse);
    }

    // With no call in progress an end packet changes nothing; with one, the
    // host's text is shown, the call hung up and the program ended.
    void endPacket() {
        QCOMPARE(receive(Request(1, {2})), kTrue);
        const QByteArray answer = gLastPacket;
        ui_->setMousePointer(MousePointer::Hourglass);
        const QByteArray text = "Welcome to Kestrune, Zapper!\r\nYour account is ready.";
        wizard_->callUp = false;
        QCOMPARE(receive(Wire(4, 2, text)), kTrue);
        QVERIFY(ui_->messages.isEmpty() && wizard_->log.isEmpty() && !ui_->ended);
        wizard_->callUp = true;
        QCOMPARE(receive(Wire(4, 3, text)), kFalse);
        QCOMPARE(gLastPacket, answer);
        QCOMPARE(wizard_->log, QStringList{u"hang up@0"_s});
        QCOMPARE(Shown(*ui_), QByteArrayList{text + "\r\n\r\nThe Registration program will exit."});
        QCOMPARE(ui_->messages[0].buttons, MsgButtons::Ok);
        QCOMPARE(ui_->mousePointer(), MousePointer::Default);
        QVERIFY(ui_->ended);
    }
};

QTEST_MAIN(ConversationTest)
#include "test_conversation.moc"
