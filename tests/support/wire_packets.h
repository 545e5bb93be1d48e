#pragma once

// Records and packets as the host writes and reads them, and the boxes shown.
#include "number_codec.h"
#include "packet_codec.h"
#include "scripted_ui.h"

#include <QByteArrayList>

// A record as the host reads it: number, length, text, a pad to even length.
inline QByteArray Rec(int nbr, const QByteArray &text) {
    QByteArray record = IntToBytes(nbr) + IntToBytes(static_cast<std::int32_t>(text.size())) + text;
    return text.size() % 2 != 0 ? record + ' ' : record;
}

// A packet string split; -1 for what was not handed out.
struct Opened {
    Flag ok = kFalse;
    std::int16_t length = -1, kind = -1;
    QByteArray tag, sequence, data1, data2;
    QByteArray data() const { return data1 + data2; }
};

inline Opened UnString(const QByteArray &packet) {
    Opened o;
    o.ok = PacketUnString(packet, o.length, o.kind, o.tag, o.sequence, o.data1, o.data2);
    return o;
}

// A packet off the line, unpacked and split.
inline Opened Open(const QByteArray &wire) {
    return UnString(PacketUnPack(wire));
}

// The texts shown; one without the exclamation icon and registration title
// as "wrong box: ...".
inline QByteArrayList Shown(const ScriptedUi &ui) {
    QByteArrayList texts;
    for (const ScriptedUi::Message &m : ui.messages) {
        const bool box = m.icon == MsgIcon::Exclamation && m.title == "Kestrune Registration";
        texts.append(box ? m.text : "wrong box: " + m.text);
    }
    return texts;
}
