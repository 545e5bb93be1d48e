#pragma once

#include <QByteArray>
#include <optional>

// Framing of sealed packets on the serial line with the program's start
// mark, end mark and escape character (modKestenrol::gPacketStart,
// gPacketEnd, gPacketEscape).

// Start mark, the bytes with byte stuffing, end mark. Inside the frame a
// start mark is sent as escape + "S", an end mark as escape + "T" and an
// escape as two escapes.
QByteArray FrameBytes(const QByteArray &sealed);

// The bytes framed in the received text: everything before the last
// unescaped start mark is dropped and the first unescaped end mark closes
// the frame. Empty when the text holds no closed frame.
std::optional<QByteArray> UnframeBytes(const QByteArray &received);
