#include "hayes_results.h"

#include "text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';

bool IsDialCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || c == ',';
}

bool IsNumberFormatting(char c) {
    return c == ' ' || c == '-' || c == '.' || c == '(' || c == ')';
}

} // namespace

HayesResult ParseHayesResult(const QByteArray &line) {
    const QByteArray word = Trim(line).toUpper();
    static const std::array<std::pair<const char *, HayesResult>, 8> kWords{{
        {"OK", HayesResult::Ok},
        {"NO CARRIER", HayesResult::NoCarrier},
        {"ERROR", HayesResult::Error},
        {"NO DIALTONE", HayesResult::NoDialtone},
        {"NO DIAL TONE", HayesResult::NoDialtone},
        {"BUSY", HayesResult::Busy},
        {"NO ANSWER", HayesResult::NoAnswer},
        {"CONNECT", HayesResult::Connect},
    }};
    for (const auto &[text, result] : kWords) {
        if (word == text)
            return result;
    }
    if (word.startsWith("CONNECT ") || word.startsWith("CONNECT/"))
        return HayesResult::Connect;
    return HayesResult::Other;
}

std::int32_t ConnectSpeed(const QByteArray &line) {
    const QByteArray word = Trim(line);
    qsizetype at = word.indexOf(' ');
    if (at < 0)
        return 0;
    while (at < word.size() && word[at] == ' ')
        ++at;
    std::int32_t speed = 0;
    for (; at < word.size() && word[at] >= '0' && word[at] <= '9'; ++at) {
        if (speed > 100'000'000)
            return 0;
        speed = speed * 10 + (word[at] - '0');
    }
    return speed;
}

void ResultLines::append(const QByteArray &bytes) {
    pending_.append(bytes);
    const qsizetype lastEnd = std::max(pending_.lastIndexOf(kCR), pending_.lastIndexOf(kLF));
    const qsizetype partial = pending_.size() - (lastEnd + 1);
    if (partial > kLongestLine)
        pending_.remove(lastEnd + 1, partial - kLongestLine);
}

std::optional<QByteArray> ResultLines::next() {
    dropLineFeedAfterCR();
    qsizetype end = 0;
    while (end < pending_.size() && pending_[end] != kCR && pending_[end] != kLF)
        ++end;
    if (end == pending_.size())
        return std::nullopt;
    QByteArray line = pending_.left(end);
    qsizetype taken = end + 1;
    if (pending_[end] == kCR && taken < pending_.size() && pending_[taken] == kLF)
        ++taken;
    lineEndedAtCR_ = pending_[taken - 1] == kCR;
    pending_.remove(0, taken);
    return line;
}

QByteArray ResultLines::takeRest() {
    dropLineFeedAfterCR();
    return std::exchange(pending_, QByteArray());
}

void ResultLines::clear() {
    pending_.clear();
    lineEndedAtCR_ = false;
}

void ResultLines::dropLineFeedAfterCR() {
    if (!lineEndedAtCR_ || pending_.isEmpty())
        return;
    lineEndedAtCR_ = false;
    if (pending_[0] == kLF)
        pending_.remove(0, 1);
}

std::optional<QByteArray> DialString(const QByteArray &number) {
    QByteArray dial;
    for (const char c : number) {
        if (IsDialCharacter(c))
            dial.append(c);
        else if (!IsNumberFormatting(c))
            return std::nullopt;
    }
    if (dial.isEmpty())
        return std::nullopt;
    return dial;
}

bool IsDialText(const QByteArray &text) {
    return std::all_of(text.begin(), text.end(), IsDialCharacter);
}

QByteArray DialCommand(bool pulse, const QByteArray &outsideLine, const QByteArray &dialString) {
    return QByteArray("ATD") + (pulse ? 'P' : 'T') + outsideLine + dialString + kCR;
}
