#pragma once

#include <QByteArray>
#include <cstdint>

// The host's requests for the subscriber's fields: a field mask whose bit k
// asks for field k + 1, and a rejection value, 0 for a first request.

// Whether the field mask asks for the field.
inline bool FieldAsked(std::int32_t fieldMask, int fieldNbr) {
    return ((static_cast<std::uint32_t>(fieldMask) >> (fieldNbr - 1)) & 1U) != 0;
}

// The rejection value by which the host refuses the card details.
inline constexpr std::int32_t kCardRefused = 1;

// The survey answers as the host takes them (field 23): every answer slot
// but slot 69, in slot order, joined with commas.
QByteArray SurveyAnswerText();
