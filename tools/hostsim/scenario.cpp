#include "scenario.h"

#include <QMap>

namespace {

struct Token {
    QByteArray text;
    bool quoted = false;
};

class Mistake {
  public:
    explicit Mistake(QByteArray what) : what_(std::move(what)) {}
    const QByteArray &what() const { return what_; }

  private:
    QByteArray what_;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

QList<Token> Tokenise(const QByteArray &line) {
    QList<Token> tokens;
    qsizetype at = 0;
    while (at < line.size()) {
        if (IsBlank(line[at])) {
            ++at;
        } else if (line[at] == '#') {
            break;
        } else if (line[at] == '"') {
            qsizetype end = at + 1;
            while (end < line.size() && line[end] != '"')
                end += line[end] == '\\' ? 2 : 1;
            if (end >= line.size())
                throw Mistake("a quoted text without its closing quote");
            const std::optional<QByteArray> text = Unescape(line.mid(at + 1, end - at - 1));
            if (!text)
                throw Mistake("a quoted text with an unknown escape");
            tokens.append({*text, true});
            at = end + 1;
        } else {
            qsizetype end = at;
            while (end < line.size() && !IsBlank(line[end]) && line[end] != '"')
                ++end;
            tokens.append({line.mid(at, end - at), false});
            at = end;
        }
    }
    return tokens;
}

qint64 Number(const Token &token, qint64 lowest, qint64 highest) {
    bool ok = false;
    const qint64 value = token.text.toLongLong(&ok);
    if (token.quoted || !ok || value < lowest || value > highest)
        throw Mistake("\"" + token.text + "\" is not a number from " + QByteArray::number(lowest) +
                      " to " + QByteArray::number(highest));
    return value;
}

QByteArray Hex(const Token &token, qsizetype bytes) {
    QByteArray value = QByteArray::fromHex(token.text);
    if (token.quoted || token.text.size() != 2 * bytes || value.size() != bytes)
        throw Mistake("\"" + token.text + "\" is not " + QByteArray::number(bytes) +
                      " bytes in hexadecimal");
    return value;
}

// "1,2,20" or "1-9,14": field numbers 1 to 32 as a mask.
std::uint32_t FieldMask(const Token &token) {
    std::uint32_t mask = 0;
    for (const QByteArray &part : token.text.split(',')) {
        const QByteArrayList ends = part.split('-');
        if (ends.size() > 2)
            throw Mistake("\"" + part + "\" is not a field number or range");
        const qint64 first = Number({ends.first(), false}, 1, 32);
        const qint64 last = Number({ends.last(), false}, first, 32);
        for (qint64 field = first; field <= last; ++field)
            mask |= 1U << (field - 1);
    }
    return mask;
}

const QMap<QByteArray, Step::Kind> &StepKinds() {
    static const QMap<QByteArray, Step::Kind> kinds{
        {"send", Step::Kind::Send},     {"expect", Step::Kind::Expect},
        {"wait", Step::Kind::Wait},     {"request", Step::Kind::Request},
        {"data", Step::Kind::Data},     {"ack", Step::Kind::Ack},
        {"packet", Step::Kind::Packet}, {"malformed", Step::Kind::Malformed},
        {"repeat", Step::Kind::Repeat}, {"end", Step::Kind::End},
        {"babble", Step::Kind::Babble}, {"drop", Step::Kind::Drop},
        {"close", Step::Kind::Close},
    };
    return kinds;
}

// The options after a packet step's own words: tag, seq, await, and for a
// request reject.
void PacketOptions(Step &step, const QList<Token> &tokens, qsizetype from) {
    for (qsizetype at = from; at < tokens.size(); at += 2) {
        const QByteArray &name = tokens[at].text;
        if (at + 1 >= tokens.size())
            throw Mistake("\"" + name + "\" needs a value");
        const Token &value = tokens[at + 1];
        if (name == "tag") {
            step.tag = Hex(value, 4);
        } else if (name == "seq") {
            step.sequence = Hex(value, 2);
        } else if (name == "reject" && step.kind == Step::Kind::Request) {
            step.reject = static_cast<std::int32_t>(Number(value, 0, 0x7fffffff));
        } else if (name == "await") {
            static const QMap<QByteArray, Await> awaits{
                {"same", Await::Same}, {"any", Await::Any}, {"none", Await::None}};
            if (!awaits.contains(value.text))
                throw Mistake("await takes same, any or none");
            step.await = awaits.value(value.text);
        } else {
            throw Mistake("\"" + name + "\" is no option of this step");
        }
    }
}

void ExpectCount(const QList<Token> &tokens, qsizetype least, qsizetype most) {
    if (tokens.size() - 1 < least || tokens.size() - 1 > most)
        throw Mistake("\"" + tokens[0].text + "\" takes " + QByteArray::number(least) +
                      (most > least ? " to " + QByteArray::number(most) : QByteArray()) +
                      " values");
}

QByteArray Quoted(const QList<Token> &tokens, qsizetype at) {
    if (at >= tokens.size() || !tokens[at].quoted)
        throw Mistake("a quoted text is needed after \"" + tokens[at - 1].text + "\"");
    return tokens[at].text;
}

Step ParseStep(Step::Kind kind, const QList<Token> &tokens) {
    Step step;
    step.kind = kind;
    switch (kind) {
    case Step::Kind::Send:
        if (tokens.size() < 2)
            throw Mistake("send needs at least one quoted text");
        for (qsizetype at = 1; at < tokens.size(); ++at)
            step.texts.append(Quoted(tokens, at));
        break;
    case Step::Kind::Expect:
        ExpectCount(tokens, 1, 1);
        step.texts.append(Quoted(tokens, 1));
        break;
    case Step::Kind::Wait:
        ExpectCount(tokens, 1, 1);
        step.amount = Number(tokens[1], 0, 3'600'000);
        break;
    case Step::Kind::Request:
        if (tokens.size() < 2)
            throw Mistake("request needs its fields, such as 1,2,20 or 1-9");
        step.mask = FieldMask(tokens[1]);
        PacketOptions(step, tokens, 2);
        break;
    case Step::Kind::Data: {
        qsizetype at = 1;
        while (at + 1 < tokens.size() && !tokens[at].quoted && tokens[at].text.endsWith('=')) {
            const int field =
                static_cast<int>(Number({tokens[at].text.chopped(1), false}, 0, 32767));
            step.records.append({field, Quoted(tokens, at + 1)});
            at += 2;
        }
        PacketOptions(step, tokens, at);
        break;
    }
    case Step::Kind::Packet:
        if (tokens.size() < 2)
            throw Mistake("packet needs its kind");
        step.packetKind = static_cast<int>(Number(tokens[1], 0, 32767));
        if (tokens.size() > 2 && tokens[2].quoted) {
            step.texts.append(tokens[2].text);
            PacketOptions(step, tokens, 3);
        } else {
            step.texts.append(QByteArray());
            PacketOptions(step, tokens, 2);
        }
        break;
    case Step::Kind::End:
        step.texts.append(tokens.size() > 1 && tokens[1].quoted ? tokens[1].text : QByteArray());
        PacketOptions(step, tokens, tokens.size() > 1 && tokens[1].quoted ? 2 : 1);
        break;
    case Step::Kind::Ack:
    case Step::Kind::Malformed:
        PacketOptions(step, tokens, 1);
        break;
    case Step::Kind::Babble:
        ExpectCount(tokens, 1, 2);
        step.amount = Number(tokens[1], 1, 1'000'000'000);
        if (tokens.size() == 3) {
            if (tokens[2].text != "random")
                throw Mistake("babble takes a number of bytes and maybe \"random\"");
            step.random = true;
        }
        break;
    case Step::Kind::Drop:
        ExpectCount(tokens, 0, 1);
        if (tokens.size() == 2) {
            if (tokens[1].text != "quiet")
                throw Mistake("drop takes nothing or \"quiet\"");
            step.quiet = true;
        }
        break;
    case Step::Kind::Repeat:
    case Step::Kind::Close:
        ExpectCount(tokens, 0, 0);
        break;
    }
    return step;
}

void ParseSetting(Scenario &scenario, const QList<Token> &tokens) {
    ExpectCount(tokens, 2, 2);
    if (tokens[1].text == "ati") {
        scenario.identity = Quoted(tokens, 2);
        return;
    }
    const QMap<QByteArray, int *> settings{
        {"dial-delay", &scenario.dialDelay},
        {"guard", &scenario.guard},
        {"first-packet-delay", &scenario.firstPacketDelay},
        {"resend-after", &scenario.resendAfter},
        {"resends", &scenario.resends},
        {"answer-wait", &scenario.answerWait},
        {"expect-wait", &scenario.expectWait},
        {"split-pause", &scenario.splitPause},
        {"read-rate", &scenario.readRate},
    };
    int *setting = settings.value(tokens[1].text);
    if (setting == nullptr)
        throw Mistake("no setting is called \"" + tokens[1].text + "\"");
    *setting = static_cast<int>(Number(tokens[2], 0, 3'600'000));
}

void ParseModem(Scenario &scenario, const QList<Token> &tokens) {
    ExpectCount(tokens, 1, 2);
    static const QMap<QByteArray, DialAnswer> answers{
        {"connect", DialAnswer::Connect},        {"busy", DialAnswer::Busy},
        {"no-carrier", DialAnswer::NoCarrier},   {"no-answer", DialAnswer::NoAnswer},
        {"no-dialtone", DialAnswer::NoDialtone}, {"error", DialAnswer::Error},
        {"silent", DialAnswer::Silent},
    };
    const QByteArray &word = tokens[1].text;
    if (word == "mute" || word == "error-all" || word == "ignore-dtr") {
        ExpectCount(tokens, 1, 1);
        (word == "mute"        ? scenario.mute
         : word == "error-all" ? scenario.errorAll
                               : scenario.ignoreDtr) = true;
        return;
    }
    if (!answers.contains(word))
        throw Mistake("the modem answers connect, busy, no-carrier, no-answer, no-dialtone, "
                      "error or silent, or is mute or error-all, or ignores DTR");
    scenario.dialAnswer = answers.value(word);
    if (tokens.size() == 3) {
        if (scenario.dialAnswer != DialAnswer::Connect)
            throw Mistake("only connect takes a speed");
        scenario.connectSpeed = static_cast<int>(Number(tokens[2], 0, 1'000'000));
    }
}

} // namespace

std::optional<QByteArray> Unescape(const QByteArray &body) {
    QByteArray text;
    for (qsizetype at = 0; at < body.size(); ++at) {
        if (body[at] != '\\') {
            text.append(body[at]);
            continue;
        }
        if (++at >= body.size())
            return std::nullopt;
        switch (body[at]) {
        case 'r':
            text.append('\r');
            break;
        case 'n':
            text.append('\n');
            break;
        case 't':
            text.append('\t');
            break;
        case '0':
            text.append('\0');
            break;
        case '\\':
        case '"':
            text.append(body[at]);
            break;
        case 'x': {
            const QByteArray hex = body.mid(at + 1, 2);
            bool ok = false;
            const int value = hex.toInt(&ok, 16);
            if (hex.size() != 2 || !ok)
                return std::nullopt;
            text.append(static_cast<char>(value));
            at += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return text;
}

std::optional<Scenario> ParseScenario(const QByteArray &text, QByteArray &problem) {
    Scenario scenario;
    const QByteArrayList lines = text.split('\n');
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const int lineNumber = static_cast<int>(index + 1);
        try {
            const QList<Token> tokens = Tokenise(lines[index]);
            if (tokens.isEmpty())
                continue;
            const QByteArray &word = tokens[0].text;
            if (tokens[0].quoted)
                throw Mistake("a line begins with a word, not a quoted text");
            if (word == "set") {
                ParseSetting(scenario, tokens);
            } else if (word == "modem") {
                ParseModem(scenario, tokens);
            } else if (word == "call") {
                ExpectCount(tokens, 0, 0);
                if (!scenario.calls.last().isEmpty())
                    scenario.calls.append(QList<Step>());
            } else if (StepKinds().contains(word)) {
                Step step = ParseStep(StepKinds().value(word), tokens);
                step.line = lineNumber;
                scenario.calls.last().append(step);
            } else {
                throw Mistake("\"" + word + "\" is not a step or setting");
            }
        } catch (const Mistake &mistake) {
            problem = "line " + QByteArray::number(lineNumber) + ": " + mistake.what();
            return std::nullopt;
        }
    }
    return scenario;
}
