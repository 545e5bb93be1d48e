#include "survey_answers.h"

#include <algorithm>
#include <optional>

namespace {

constexpr AnswerSlot slot(int fileCode, AnswerKind kind) {
    return {fileCode, kind};
}

constexpr AnswerKind A = AnswerKind::Age;
constexpr AnswerKind G = AnswerKind::Gender;
constexpr AnswerKind L = AnswerKind::List;
constexpr AnswerKind M = AnswerKind::Monitor;
constexpr AnswerKind T = AnswerKind::Text;
constexpr AnswerKind C = AnswerKind::Check;

constexpr std::array<const char *, kAgeOptions> kAgeCodes{"<8",    "9-15",  "16-25",
                                                          "25-35", "35-45", "45+"};
constexpr std::array<const char *, 2> kGenderCodes{"M", "F"};

// The monitor list has five items.
constexpr int kLastMonitorIndex = 4;

bool isDigit(char byte) {
    return byte >= '0' && byte <= '9';
}

bool isMonitorIndex(const QByteArray &value) {
    const QByteArray digits = value.startsWith('-') ? value.mid(1) : value;
    if (digits.isEmpty() || digits.size() > 3 ||
        !std::all_of(digits.begin(), digits.end(), isDigit))
        return false;
    const int index = value.toInt();
    return index >= -1 && index <= kLastMonitorIndex;
}

bool fitsItsControl(AnswerKind kind, const QByteArray &value) {
    switch (kind) {
    case AnswerKind::Monitor:
        return isMonitorIndex(value);
    case AnswerKind::Text:
        return value.size() <= kSurveyTextLength && IsSurveyText(value);
    default:
        return true;
    }
}

// The line's code and value when the line can be applied.
std::optional<SurveyFileLine> usableLine(const QByteArray &line) {
    if (line.size() < 4 || !line.startsWith('"') || !line.endsWith('"') || !isDigit(line[1]) ||
        !isDigit(line[2]))
        return std::nullopt;
    const int fileCode = (line[1] - '0') * 10 + (line[2] - '0');
    const int slotIndex = SlotOfFileCode(fileCode);
    if (slotIndex < 0)
        return std::nullopt;
    QByteArray value = line.mid(3, line.size() - 4);
    if (!fitsItsControl(kSurveySlots[slotIndex].kind, value))
        return std::nullopt;
    return SurveyFileLine{fileCode, std::move(value)};
}

QByteArray twoDigits(int code) {
    return QByteArray::number(code).rightJustified(2, '0');
}

} // namespace

const std::array<AnswerSlot, modKestenrol::kSurveyAnswerSlots> kSurveySlots{
    // Step 1: age, gender, occupation.
    slot(1, A), slot(2, G), slot(3, L),
    // Step 2: the computer; RAM is stored under the last code.
    slot(4, L), slot(5, L), slot(6, T), slot(7, C), slot(77, L), slot(8, L), slot(9, M),
    slot(10, C),
    // Step 3: peripherals.
    slot(11, C), slot(12, T), slot(13, C), slot(14, C), slot(15, C), slot(16, T), slot(17, C),
    slot(18, C), slot(19, C), slot(20, C), slot(21, T),
    // Step 4: consoles and the internet.
    slot(22, C), slot(23, C), slot(24, C), slot(25, C), slot(26, C), slot(27, C), slot(28, C),
    slot(29, C), slot(30, L), slot(31, T), slot(32, L), slot(33, C), slot(34, C), slot(35, C),
    slot(36, C), slot(37, C), slot(38, T),
    // Step 5: game types and hours.
    slot(39, L), slot(40, C), slot(41, C), slot(42, C), slot(43, C), slot(44, C), slot(45, C),
    slot(46, C), slot(47, L),
    // Step 6: what influences purchases.
    slot(48, L), slot(49, C), slot(50, C), slot(51, C), slot(52, C), slot(53, C), slot(54, C),
    slot(55, L), slot(56, L),
    // Step 7: before buying, and where.
    slot(57, C), slot(58, C), slot(59, C), slot(60, C), slot(61, C), slot(62, L), slot(63, T),
    // Step 8: online services tried.
    slot(64, C), slot(65, C), slot(66, C), slot(67, C), slot(68, C), slot(69, C), slot(70, C),
    slot(71, C), slot(72, C), slot(73, C), slot(74, C), slot(75, C), slot(76, T)};

int SlotOfFileCode(int fileCode) {
    const auto found =
        std::find_if(kSurveySlots.begin(), kSurveySlots.end(),
                     [fileCode](const AnswerSlot &s) { return s.fileCode == fileCode; });
    return found == kSurveySlots.end() ? -1 : static_cast<int>(found - kSurveySlots.begin());
}

QByteArray AgeCode(int option) {
    return kAgeCodes.at(option);
}

int AgeOption(const QByteArray &code) {
    const auto found = std::find(kAgeCodes.begin(), kAgeCodes.end(), code);
    return found == kAgeCodes.end() ? -1 : static_cast<int>(found - kAgeCodes.begin());
}

QByteArray GenderCode(int option) {
    return kGenderCodes.at(option);
}

int GenderOption(const QByteArray &code) {
    const auto found = std::find(kGenderCodes.begin(), kGenderCodes.end(), code);
    return found == kGenderCodes.end() ? -1 : static_cast<int>(found - kGenderCodes.begin());
}

QByteArray YesNo(int checkValue) {
    return checkValue != 0 ? "Y" : "N";
}

void CheckValueFromYesNo(const QByteArray &text, std::int16_t &value) {
    value = text == "Y" ? 1 : 0;
}

bool IsSurveyText(const QByteArray &text) {
    return std::all_of(text.begin(), text.end(), [](char byte) {
        return isDigit(byte) || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
               byte == ' ';
    });
}

QByteArray SurveyFileText(const SurveyAnswers &answers, int monitorIndex) {
    QByteArray text;
    for (std::size_t i = 0; i < kSurveySlots.size(); ++i) {
        const AnswerSlot &s = kSurveySlots[i];
        const QByteArray value =
            s.kind == AnswerKind::Monitor ? QByteArray::number(monitorIndex) : answers[i];
        text += '"' + twoDigits(s.fileCode) + value + "\"\r\n";
    }
    return text;
}

QList<SurveyFileLine> SurveyFileLines(const QByteArray &content, bool complete) {
    QList<SurveyFileLine> lines;
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = start;
        while (end < content.size() && content[end] != '\r' && content[end] != '\n')
            ++end;
        if (end == content.size() && !complete)
            break;
        if (std::optional<SurveyFileLine> line = usableLine(content.mid(start, end - start)))
            lines.append(std::move(*line));
        if (end < content.size() && content[end] == '\r' && end + 1 < content.size() &&
            content[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}
