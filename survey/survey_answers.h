#pragma once

#include "program_state.h"

#include <QByteArray>
#include <QList>
#include <array>
#include <cstdint>

// The survey's answers as the registration host and the answers file know
// them: 77 slots, each with the two-digit code it is stored under in the
// file.

using SurveyAnswers = std::array<QByteArray, modKestenrol::kSurveyAnswerSlots>;

// What kind of control gives a slot its value.
enum class AnswerKind {
    Age,     // age option group: an age code
    Gender,  // gender option group: "M" or "F"
    List,    // drop-down list: the picked item's text
    Monitor, // the monitor list: its item text, but its position in the file
    Text,    // text box: its text
    Check,   // check box: "Y" or "N"
};

struct AnswerSlot {
    int fileCode;
    AnswerKind kind;
};

// The slots in slot order, which is also the order of the file's lines.
extern const std::array<AnswerSlot, modKestenrol::kSurveyAnswerSlots> kSurveySlots;

// The slot stored under a file code; -1 when no slot is.
int SlotOfFileCode(int fileCode);

// The most characters a survey text box holds.
inline constexpr int kSurveyTextLength = 30;

// The age codes of the six age options, in option order.
inline constexpr int kAgeOptions = 6;
QByteArray AgeCode(int option);
// The option whose code is exactly the text (letter case counts); -1 when none.
int AgeOption(const QByteArray &code);

QByteArray GenderCode(int option);
// 0 for exactly "M", 1 for exactly "F", -1 otherwise.
int GenderOption(const QByteArray &code);

// "Y" for a ticked box (any value but 0), "N" for a clear one.
QByteArray YesNo(int checkValue);
// value becomes 1 when text is exactly "Y", else 0.
void CheckValueFromYesNo(const QByteArray &text, std::int16_t &value);

// Letters, digits and spaces only: what a survey text box accepts.
bool IsSurveyText(const QByteArray &text);

// The answers file's text: one quoted line per slot, code then value, each
// ended by CR LF; the monitor's line holds its list position instead of its
// text (-1 when nothing is picked).
QByteArray SurveyFileText(const SurveyAnswers &answers, int monitorIndex);

// One usable line of an answers file.
struct SurveyFileLine {
    int fileCode;
    QByteArray value;

    bool operator==(const SurveyFileLine &) const = default;
};

// The lines of an answers file's content that can be applied, in file
// order. Lines end in CR LF, LF or CR. A line is left out when it is shorter
// than four characters, is not enclosed in double quotes, has a code that is
// not two digits from 01 to 77, or holds a value its control cannot take: a
// monitor position that is not a whole number from -1 to 4, or box text that
// is too long or has characters other than letters, digits and spaces. With
// complete false the content was cut short, so its last, unended line is
// left out too.
QList<SurveyFileLine> SurveyFileLines(const QByteArray &content, bool complete = true);
