#pragma once

// For the link's tests: records and packets as the host writes and reads
// them, and the message boxes shown.
#include "number_codec.h"
#include "packet_codec.h"
#include "scripted_ui.h"

#include <QByteArrayList>

// A record as the host reads it: number, length, text, a pad to even length.
inline QByteArray Rec(int nbr, const QByteArray &text) {
    QByteArray record = IntToBytes(nbr) + IntToBytes(static_cast<std::int32_t>(text.size())) + text;
    return text.size() % 2 != 0 ? record + ' ' : record;
}

// A packet off the line, unpacked and split.
struct Opened {
    Flag ok = kFalse;
    std::int16_t length = 0, kind = 0;
    QByteArray tag, sequence, data1, data2;
    QByteArray data() const { return data1 + data2; }
};

inline Opened Open(const QByteArray &wire) {
    Opened o;
    o.ok =
        PacketUnString(PacketUnPack(wire), o.length, o.kind, o.tag, o.sequence, o.data1, o.data2);
    return o;
}

// The texts of the messages shown; a box without the exclamation icon and
// the registration title shows as "wrong box".
inline QByteArrayList Shown(const ScriptedUi &ui) {
    QByteArrayList texts;
    for (const ScriptedUi::Message &m : ui.messages) {
        const bool box = m.icon == MsgIcon::Exclamation && m.title == "Kestrune Registration";
        texts.append(box ? m.text : "wrong box: " + m.text);
    }
    return texts;
}
