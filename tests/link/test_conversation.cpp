// The packet conversation with the host, over the real packet-security
// library and a real registry store, with a stand-in for the wizard window.
#include "conversation_window.h"
#include "field_requests.h"
#include "number_codec.h"
#include "packet_codec.h"
#include "program_folder.h"
#include "program_state.h"
#include "registration_conversation.h"
#include "registry.h"
#include "scripted_ui.h"

#include <QTest>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using modKestenrol::gCardAccepted;
using modKestenrol::gLastPacket;

namespace {

const auto H = [](const char *hex) { return QByteArray::fromHex(hex); };
const QByteArray kTag("\x0a\x0b\x0c\x0d");
const QByteArray kTitle("Kestrune Registration");
const QByteArray kCardMessage("The Credit Card details you previously entered were not valid.\r\n"
                              "Please re-enter the Credit Card details again.");
const QByteArray kFirstNameMessage("The Firstname entered is not valid - please re-enter.");

// A record as the host reads it: number, length, text, a pad to even length.
QByteArray Rec(int nbr, const QByteArray &text) {
    QByteArray record = IntToBytes(nbr) + IntToBytes(static_cast<std::int32_t>(text.size())) + text;
    return text.size() % 2 != 0 ? record + ' ' : record;
}

QByteArray Wire(std::int16_t kind, int sequence, const QByteArray &data) {
    return PacketPack(PacketString(kind, kTag, IntToBytes(sequence), data));
}

std::int32_t Mask(const QList<int> &fields) {
    std::uint32_t mask = 0;
    for (const int field : fields)
        mask |= 1U << (field - 1);
    return static_cast<std::int32_t>(mask);
}

QByteArray Request(int sequence, const QList<int> &fields, std::int32_t rejection = 0) {
    return Wire(1, sequence, LongToBytes(Mask(fields)) + LongToBytes(rejection));
}

struct Opened {
    Flag ok = kFalse;
    std::int16_t length = 0, kind = 0;
    QByteArray tag, sequence, data1, data2;
    QByteArray data() const { return data1 + data2; }
};

Opened Open(const QByteArray &wire) {
    Opened o;
    o.ok =
        PacketUnString(PacketUnPack(wire), o.length, o.kind, o.tag, o.sequence, o.data1, o.data2);
    return o;
}

struct Card {
    QByteArray number, expiry, name, address, plan;
};
const Card kCard{"4111111111111111", "0830", "MARY JONES", "12 High St\r\nVIC    3053", "7"};

WizardEntries StandardEntries() {
    WizardEntries e;
    e.txtFirstName = " Mary ";
    e.txtSurname = "Jones";
    e.txtAddress1 = "12 High St";
    e.txtAddress3 = "Carlton";
    e.cboState = "VIC";
    e.txtPostcode = "3053";
    e.txtPhone = "03 9347 1234";
    e.txtEmail = "mary@example.com";
    e.lstExisting = "03 96543210\tMelbourne";
    e.txtNickName = "Zapper";
    e.txtPassword = "secret1";
    e.txtCV = "Likes racing\r\nand puzzles";
    e.txtCallbackNumberArea = "03";
    e.txtCallbackNumber = "98765432";
    e.cboHeardAbout = "Friend";
    return e;
}

// The wizard window, logging each call with the number of messages shown
// before it.
class FakeWizard final : public ConversationWindow {
  public:
    FakeWizard(WizardLinkState &state, const ScriptedUi &ui) : state_(state), ui_(ui) {}

    WizardEntries entries = StandardEntries();
    // One per card window opening: the card OK accepts, or none for Cancel.
    QList<std::optional<Card>> cardAnswers;
    std::function<void()> whileCardWindowOpen;
    bool callUp = true;
    QStringList log;
    mutable int entryReads = 0;

    WizardEntries EntryTexts() const override {
        ++entryReads;
        return entries;
    }
    void ShowCardWindow() override {
        note(QStringLiteral("card"));
        gCardAccepted = kFalse;
        if (whileCardWindowOpen)
            whileCardWindowOpen();
        const std::optional<Card> answer = cardAnswers.isEmpty() ? kCard : cardAnswers.takeFirst();
        if (!answer)
            return;
        state_.txtCreditCardNumber = answer->number;
        state_.txtExpiryDate = answer->expiry;
        state_.txtNameOnCard = answer->name;
        state_.txtCardholderAddress = answer->address;
        state_.txtPlanNbr = answer->plan;
        gCardAccepted = kTrue;
    }
    void SetCardPlanBounds(std::int16_t lo, std::int16_t hi) override {
        note(QStringLiteral("bounds %1-%2").arg(lo).arg(hi));
    }
    bool CallInProgress() const override { return callUp; }
    void HangUp() override { note(QStringLiteral("hang up")); }
    void EnableWizard(Flag flag) override {
        note(flag == kTrue ? QStringLiteral("release") : QStringLiteral("lock"));
    }
    void ShowEntryControl(EntryControl control) override {
        note(QStringLiteral("show %1").arg(static_cast<int>(control)));
    }
    void ShowContinue(bool visible) override {
        note(visible ? QStringLiteral("continue shown") : QStringLiteral("continue hidden"));
    }

  private:
    void note(const QString &what) {
        log.append(what + u'@' + QString::number(ui_.messages.size()));
    }

    WizardLinkState &state_;
    const ScriptedUi &ui_;
};

void StoreCommands(const QByteArray &command1, const QByteArray &command2) {
    RegWriteString(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kCommand1Value, command1);
    RegWriteString(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kCommand2Value, command2);
}

QByteArray Stored(const char *value) {
    QByteArray text;
    return RegReadValue(winreg::HKEY_LOCAL_MACHINE, kServiceKey, value, text) == kTrue ? text
                                                                                       : "none";
}

class ConversationTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() {
        modKestenrol::SetFramingCharacters();
        for (int slot = 0; slot < modKestenrol::kSurveyAnswerSlots; ++slot)
            modKestenrol::gSurveyAnswers.at(slot) = 's' + QByteArray::number(slot);
    }
    void init();
    void requestFields_data();
    void requestFields();
    void surveyAnswerText();
    void cardRequests_data();
    void cardRequests();
    void cancelledCardLeavesTheCardOutAfterAnEarlierOk();
    void repeatedRequestGetsIdenticalBytesWithoutAskingAgain();
    void acknowledgementAndUnknownKindsResendTheLastPacket_data();
    void acknowledgementAndUnknownKindsResendTheLastPacket();
    void malformedPacketsAreDropped_data();
    void malformedPacketsAreDropped();
    void requestNumbersThatDoNotDecode();
    void dataPackets_data();
    void dataPackets();
    void commandTextsAreStoredWhole();
    void refusedRequests_data();
    void refusedRequests();
    void refusedFieldsAreCorrectedAndSentWithContinue();
    void endPacket_data();
    void endPacket();

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
};

} // namespace

void ConversationTest::init() {
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

void ConversationTest::requestFields_data() {
    QTest::addColumn<QList<int>>("fields");
    QTest::addColumn<bool>("cardAccepted");
    QTest::addColumn<bool>("surveyDone");
    QTest::addColumn<int>("information");
    QTest::addColumn<QByteArray>("planNbr");
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](const char *name, const QList<int> &fields, const QByteArray &expected,
                        bool card = false, int information = 0, const QByteArray &plan = "7") {
        QTest::newRow(name) << fields << card << false << information << plan << expected;
    };
    row("1 trimmed", {1}, H("0100 0400") + "Mary");
    row("2 padded", {2}, H("0200 0500") + "Jones ");
    row("14 dial-in with tab and city", {14}, H("0e00 1500") + "03 96543210\tMelbourne ");
    row("19 area code and number joined", {19}, H("1300 0a00") + "0398765432");
    row("20 unticked", {20}, H("1400 0200") + "No");
    row("20 ticked", {20}, H("1400 0300") + "Yes ", false, 1);
    row("20 greyed", {20}, Rec(20, "Yes"), false, 2);
    row("22 has no row", {22}, {});
    row("23 no survey", {23}, H("1700 0000"));
    row("card fields without an accepted card", {11, 12, 13, 24}, {});
    row("card fields kept", {11, 12, 13, 24},
        Rec(11, "0830") + Rec(12, "MARY JONES") + Rec(13, "12 High St\r\nVIC    3053") +
            H("1800 0100 07 20"),
        true);
    row("24 one byte, even a blank's", {24}, H("1800 0100 20 20"), true, 0, "32");
    row("bits above 26 ignored", {27, 28, 31}, {});
    row("1, 2 and 20 in field order", {20, 2, 1}, Rec(1, "Mary") + Rec(2, "Jones") + Rec(20, "No"));
    QList<int> allButCardNumber;
    for (int field = 1; field <= 26; ++field) {
        if (field != 10)
            allButCardNumber.append(field);
    }
    row("every field but the card number", allButCardNumber,
        Rec(1, "Mary") + Rec(2, "Jones") + Rec(3, "12 High St") + Rec(4, "") + Rec(5, "Carlton") +
            Rec(6, "VIC") + Rec(7, "3053") + Rec(8, "03 9347 1234") + Rec(9, "mary@example.com") +
            Rec(11, "0830") + Rec(12, "MARY JONES") + Rec(13, "12 High St\r\nVIC    3053") +
            Rec(14, "03 96543210\tMelbourne") + Rec(15, "") + Rec(16, "Zapper") +
            Rec(17, "secret1") + Rec(18, "Likes racing\r\nand puzzles") + Rec(19, "0398765432") +
            Rec(20, "No") + Rec(21, "Friend") + Rec(23, "") + H("1800 0100 07 20") +
            Rec(25, "zap-login") + Rec(26, "pw 99"),
        true);
    QTest::newRow("23 survey done")
        << QList<int>{23} << false << true << 0 << QByteArray("7") << Rec(23, SurveyAnswerText());
}

void ConversationTest::requestFields() {
    QFETCH(QList<int>, fields);
    QFETCH(bool, cardAccepted);
    QFETCH(bool, surveyDone);
    QFETCH(int, information);
    QFETCH(QByteArray, planNbr);
    QFETCH(QByteArray, expected);
    StoreCommands(" zap-login ", "pw 99");
    wizard_->entries.chkInformation = static_cast<std::int16_t>(information);
    state_.mbolDoneSurvey = ToFlag(surveyDone);
    gCardAccepted = ToFlag(cardAccepted);
    state_.txtExpiryDate = kCard.expiry;
    state_.txtNameOnCard = kCard.name;
    state_.txtCardholderAddress = kCard.address;
    state_.txtPlanNbr = planNbr;

    QCOMPARE(receive(Request(0x0102, fields)), kTrue);
    const Opened reply = Open(gLastPacket);
    QVERIFY(reply.ok == kTrue && reply.kind == 2);
    QCOMPARE(reply.tag + reply.sequence, kTag + H("0201"));
    QCOMPARE(reply.data(), expected);
    QVERIFY(wizard_->log.isEmpty());
    QVERIFY(ui_->messages.isEmpty());
}

void ConversationTest::surveyAnswerText() {
    const QByteArray text = SurveyAnswerText();
    QCOMPARE(text.count(','), 75);
    QVERIFY(text.startsWith("s0,s1,s2,"));
    QVERIFY(text.endsWith(",s67,s68,s70,s71,s72,s73,s74,s75,s76"));
}

void ConversationTest::cardRequests_data() {
    QTest::addColumn<int>("rejection");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("first request, OK") << 0 << true << QStringList{u"card@0"_s};
    QTest::newRow("card refused, OK") << 1 << true << QStringList{u"card@1"_s};
    QTest::newRow("refused otherwise, OK") << 2 << true << QStringList{u"card@0"_s};
    QTest::newRow("card refused, Cancel") << 1 << false << QStringList{u"card@1"_s};
}

// The card message comes before the card window for rejection value 1 only;
// the card fields go only after OK.
void ConversationTest::cardRequests() {
    QFETCH(int, rejection);
    QFETCH(bool, accepted);
    QFETCH(QStringList, log);
    wizard_->cardAnswers = {accepted ? std::optional(kCard) : std::nullopt};
    QCOMPARE(receive(Request(3, {24, 20, 13, 12, 11, 10}, rejection)), kTrue);
    QCOMPARE(wizard_->log, log);
    if (rejection == 1) {
        QCOMPARE(ui_->messages.size(), 1);
        QCOMPARE(ui_->messages[0].text, kCardMessage);
        QCOMPARE(ui_->messages[0].icon, MsgIcon::Exclamation);
        QCOMPARE(ui_->messages[0].title, kTitle);
    }
    const QByteArray card = Rec(10, kCard.number) + Rec(11, kCard.expiry) + Rec(12, kCard.name) +
                            Rec(13, kCard.address);
    QCOMPARE(Open(gLastPacket).data(),
             accepted ? card + Rec(20, "No") + H("1800 0100 07 20") : Rec(20, "No"));
}

void ConversationTest::cancelledCardLeavesTheCardOutAfterAnEarlierOk() {
    wizard_->cardAnswers = {kCard, std::nullopt};
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

void ConversationTest::repeatedRequestGetsIdenticalBytesWithoutAskingAgain() {
    const QByteArray request = Request(7, {1, 10, 20});
    QCOMPARE(receive(request), kTrue);
    const QByteArray answer = gLastPacket;
    QCOMPARE(wizard_->entryReads, 1);
    wizard_->entries.txtFirstName = "Changed";
    QCOMPARE(receive("noise" + request), kTrue);
    QCOMPARE(gLastPacket, answer);
    QCOMPARE(wizard_->entryReads, 1);
    QCOMPARE(wizard_->log, QStringList{u"card@0"_s});
    // The next request is asked afresh.
    QCOMPARE(receive(Request(8, {1})), kTrue);
    QCOMPARE(Open(gLastPacket).data(), Rec(1, "Changed"));
}

void ConversationTest::acknowledgementAndUnknownKindsResendTheLastPacket_data() {
    QTest::addColumn<int>("kind");
    for (const int kind : {3, 0, 5, 32767})
        QTest::newRow(QByteArray::number(kind).constData()) << kind;
}

void ConversationTest::acknowledgementAndUnknownKindsResendTheLastPacket() {
    QFETCH(int, kind);
    // Before anything was answered there is nothing to send again.
    QCOMPARE(receive(Wire(static_cast<std::int16_t>(kind), 1, "x")), kTrue);
    QCOMPARE(gLastPacket, QByteArray());
    QCOMPARE(receive(Request(2, {2})), kTrue);
    const QByteArray answer = gLastPacket;
    QCOMPARE(receive(Wire(static_cast<std::int16_t>(kind), 3, {})), kTrue);
    QCOMPARE(gLastPacket, answer);
    QCOMPARE(wizard_->entryReads, 1);
    QVERIFY(ui_->messages.isEmpty());
}

void ConversationTest::malformedPacketsAreDropped_data() {
    QTest::addColumn<QByteArray>("wire");
    const QByteArray good = PacketString(1, kTag, H("0900"), LongToBytes(1) + LongToBytes(0));
    QByteArray badChecksum = good;
    badChecksum[19] = static_cast<char>(badChecksum[19] ^ 1);
    QByteArray sealedChanged = PacketPack(good);
    sealedChanged[20] = static_cast<char>(sealedChanged[20] == 'x' ? 'y' : 'x');
    QTest::newRow("checksum") << PacketPack(badChecksum);
    QTest::newRow("length field") << PacketPack(H("1500") + good.mid(2));
    QTest::newRow("sealed bytes changed") << sealedChanged;
    QTest::newRow("no end mark") << PacketPack(good).chopped(1);
    QTest::newRow("noise") << QByteArray("line noise~");
    QTest::newRow("empty frame") << H("017e");
}

void ConversationTest::malformedPacketsAreDropped() {
    QFETCH(QByteArray, wire);
    QCOMPARE(receive(Request(4, {2})), kTrue);
    const QByteArray answer = gLastPacket;
    QCOMPARE(receive(wire), kFalse);
    QCOMPARE(gLastPacket, answer);
    QCOMPARE(wizard_->entryReads, 1);
    QVERIFY(ui_->messages.isEmpty());
    QCOMPARE(receive(Request(9, {1})), kTrue);
    QCOMPARE(Open(gLastPacket).sequence, H("0900"));
    QCOMPARE(Open(gLastPacket).data(), Rec(1, "Mary"));
}

// A mask or rejection value past 31 bits is reported and read as 0.
void ConversationTest::requestNumbersThatDoNotDecode() {
    QCOMPARE(receive(Wire(1, 1, H("01000080") + LongToBytes(0))), kTrue);
    QCOMPARE(Open(gLastPacket).kind, 2);
    QCOMPARE(Open(gLastPacket).data(), QByteArray());
    QCOMPARE(receive(Wire(1, 2, LongToBytes(1) + H("000000ff"))), kTrue);
    QCOMPARE(Open(gLastPacket).data(), Rec(1, "Mary"));
    QCOMPARE(ui_->messages.size(), 2);
    for (const ScriptedUi::Message &message : ui_->messages) {
        QCOMPARE(message.text, QByteArray("An unexpected error occurred in "
                                          "PacketProcessRequest.\r\nErr: 6\r\nError: Overflow"));
        QCOMPARE(message.icon, MsgIcon::Exclamation);
    }
}

void ConversationTest::dataPackets_data() {
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("lo");
    QTest::addColumn<int>("hi");
    QTest::addColumn<QByteArray>("planDetails");
    QTest::addColumn<bool>("reported");
    QTest::newRow("plan offer") << Rec(24, "\x03\x07"
                                           "A\r\nB\n")
                                << QStringList{u"bounds 3-7@0"_s} << 3 << 7 << QByteArray("A\r\nB")
                                << false;
    QTest::newRow("two bytes") << Rec(24, "\x03\x07") << QStringList{u"bounds 3-7@0"_s} << 3 << 7
                               << QByteArray() << false;
    QTest::newRow("one byte") << Rec(24, "\x05") << QStringList{u"bounds 5-0@0"_s} << 5 << 0
                              << QByteArray() << true;
    QTest::newRow("empty") << Rec(24, "") << QStringList{u"bounds 0-0@0"_s} << 0 << 0
                           << QByteArray() << true;
    QTest::newRow("1 and 30 ignored")
        << Rec(1, "x") + Rec(30, "yy") << QStringList{} << 9 << 9 << QByteArray("kept") << false;
}

void ConversationTest::dataPackets() {
    QFETCH(QByteArray, records);
    QFETCH(QStringList, log);
    QFETCH(int, lo);
    QFETCH(int, hi);
    QFETCH(QByteArray, planDetails);
    QFETCH(bool, reported);
    state_.txtPlanDetails = "kept";
    state_.intPlanNbrLo = state_.intPlanNbrHi = 9;
    QCOMPARE(receive(Wire(2, 0x0305, records)), kTrue);
    const Opened ack = Open(gLastPacket);
    QVERIFY(ack.ok == kTrue && ack.kind == 3 && ack.length == 12);
    QCOMPARE(ack.tag + ack.sequence, kTag + H("0503"));
    QCOMPARE(wizard_->log, log);
    QCOMPARE(state_.intPlanNbrLo, lo);
    QCOMPARE(state_.intPlanNbrHi, hi);
    QCOMPARE(state_.txtPlanDetails, planDetails);
    QCOMPARE(ui_->messages.size(), reported ? 1 : 0);
    if (reported)
        QCOMPARE(ui_->messages[0].text,
                 QByteArray("An unexpected error occurred in PacketProcessData.\r\nErr: 5\r\n"
                            "Error: Invalid procedure call or argument"));
}

void ConversationTest::commandTextsAreStoredWhole() {
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

void ConversationTest::refusedRequests_data() {
    QTest::addColumn<QList<int>>("fields");
    QTest::addColumn<int>("rejection");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("control");
    QTest::addColumn<QByteArray>("answer");
    const auto refused = [](const char *name, const QList<int> &fields, const char *message,
                            EntryControl control) {
        QTest::newRow(name) << fields << 2 << QByteArray(message) << static_cast<int>(control)
                            << QByteArray();
    };
    refused("first in field order", {26, 25, 21, 20, 2, 1}, kFirstNameMessage,
            EntryControl::txtFirstName);
    refused("address line 3", {23, 21, 5}, "The Address entered is not valid - please re-enter.",
            EntryControl::txtAddress3);
    refused("dial-in point", {15, 14},
            "The Existing number selected is not valid - please re-enter.",
            EntryControl::lstExisting);
    refused("call back number", {19},
            "The Call Back Number entered is not valid - please re-enter.",
            EntryControl::txtCallbackNumber);
    refused("heard about", {21, 10},
            "The Heard About value selected is not valid - please re-enter.",
            EntryControl::cboHeardAbout);
    QTest::newRow("nothing to correct") << QList<int>{20, 22, 23, 25, 26} << 2 << QByteArray() << -1
                                        << Rec(20, "No") + Rec(23, "") + Rec(25, "") + Rec(26, "");
    QTest::newRow("card only") << QList<int>{10, 24} << 1 << kCardMessage << -1
                               << Rec(10, kCard.number) + H("1800 0100 07 20");
}

void ConversationTest::refusedRequests() {
    QFETCH(QList<int>, fields);
    QFETCH(int, rejection);
    QFETCH(QByteArray, message);
    QFETCH(int, control);
    QFETCH(QByteArray, answer);
    QCOMPARE(receive(Request(1, {2})), kTrue);
    const QByteArray before = gLastPacket;
    const Flag sent = receive(Request(2, fields, rejection));
    if (!message.isEmpty()) {
        QCOMPARE(ui_->messages.size(), 1);
        QCOMPARE(ui_->messages[0].text, message);
        QCOMPARE(ui_->messages[0].icon, MsgIcon::Exclamation);
        QCOMPARE(ui_->messages[0].title, kTitle);
    }
    if (control < 0) {
        QCOMPARE(ui_->messages.size(), message.isEmpty() ? 0 : 1);
        QCOMPARE(sent, kTrue);
        QCOMPARE(Open(gLastPacket).data(), answer);
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

// The host refuses the first name and the card together: the user corrects
// the name, presses Continue, and gets the card message and window then.
void ConversationTest::refusedFieldsAreCorrectedAndSentWithContinue() {
    QByteArray packet;
    QCOMPARE(conversation_->PacketProcessContinue(packet), kFalse);
    QCOMPARE(receive(Request(1, {2})), kTrue);
    const QByteArray before = gLastPacket;
    const QByteArray request = Request(5, {20, 10, 1}, 1);
    QCOMPARE(receive(request), kFalse);
    QCOMPARE(ui_->messages.size(), 1);
    QCOMPARE(ui_->messages[0].text, kFirstNameMessage);
    // The host's repeat while the user corrects is ignored.
    QCOMPARE(receive(request), kFalse);
    QCOMPARE(ui_->messages.size(), 1);
    QCOMPARE(gLastPacket, before);

    wizard_->log.clear();
    wizard_->entries.txtFirstName = "Maria";
    wizard_->cardAnswers = {kCard};
    QCOMPARE(conversation_->PacketProcessContinue(packet), kTrue);
    QCOMPARE(wizard_->log, (QStringList{u"lock@1"_s, u"continue hidden@1"_s, u"card@2"_s}));
    QCOMPARE(ui_->messages[1].text, kCardMessage);
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

void ConversationTest::endPacket_data() {
    QTest::addColumn<bool>("callUp");
    QTest::newRow("call up") << true;
    QTest::newRow("no call in progress") << false;
}

void ConversationTest::endPacket() {
    QFETCH(bool, callUp);
    wizard_->callUp = callUp;
    QCOMPARE(receive(Request(1, {2})), kTrue);
    const QByteArray answer = gLastPacket;
    ui_->setMousePointer(MousePointer::Hourglass);
    const Flag sent = receive(Wire(4, 2, "Welcome to Kestrune, Zapper!\r\nYour account is ready."));
    QCOMPARE(gLastPacket, answer);
    if (!callUp) {
        QCOMPARE(sent, kTrue);
        QVERIFY(ui_->messages.isEmpty() && wizard_->log.isEmpty() && !ui_->ended);
        return;
    }
    QCOMPARE(sent, kFalse);
    QCOMPARE(wizard_->log, QStringList{u"hang up@0"_s});
    QCOMPARE(ui_->messages.size(), 1);
    QCOMPARE(ui_->messages[0].text,
             QByteArray("Welcome to Kestrune, Zapper!\r\nYour account is ready.\r\n\r\n"
                        "The Registration program will exit."));
    QCOMPARE(ui_->messages[0].icon, MsgIcon::Exclamation);
    QCOMPARE(ui_->messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(ui_->messages[0].title, kTitle);
    QCOMPARE(ui_->mousePointer(), MousePointer::Default);
    QVERIFY(ui_->ended);
}

QTEST_MAIN(ConversationTest)
#include "test_conversation.moc"
