#pragma once

#include "flags.h"
#include "pktguard.h"

#include <QByteArray>
#include <cstdint>

// Packets exchanged with the registration host. A packet string is
//   length (2) | kind (2) | tag (4) | sequence (2) | data | checksum (2)
// with the numbers low byte first and the checksum computed by the
// packet-security library over everything before it. On the line a packet
// string travels sealed by that library and framed (see packet_framing.h).

inline constexpr qsizetype kPacketOverhead = 12;
// The longest packet string whose sealed form (a nonce before it) fits the
// library's buffer.
inline constexpr qsizetype kLongestPacketString = kPktGuardBufferSize - kPktGuardNonceSize;
static_assert(kLongestPacketString == 2036);

// The packet string of the given kind, tag (4 bytes), sequence (2 bytes)
// and data. Empty when the packet-security library is unusable.
QByteArray PacketString(std::int16_t intKind, const QByteArray &strTag,
                        const QByteArray &strSequence, const QByteArray &strData);

// The wire form of a packet string. A packet string longer than
// kLongestPacketString is reported as an unexpected error in PacketPack and
// gives an empty text, so that nothing is sent; so does an unusable library.
QByteArray PacketPack(const QByteArray &strPacket);

// The opened packet string of the first complete frame in the received text,
// or an empty text when there is none, when the frame holds more bytes than
// the library's buffer or when the library is unusable.
QByteArray PacketUnPack(const QByteArray &strReceived);

// Splits a packet string. True when it is at least 12 bytes long, its length
// field equals its length and its checksum holds. The data is handed out in
// two halves (the first one byte shorter for an odd length); for a request
// they are the field mask and the rejection value. A length or kind field
// above 32767 is reported as an unexpected error in PacketUnString (it does
// not fit a 16-bit number) and reads as 0: the length is then wrong, while a
// packet with such a kind is still decided by its length and checksum. A
// wrong length sets the length only and leaves the other outputs untouched.
Flag PacketUnString(const QByteArray &strPacket, std::int16_t &intLength, std::int16_t &intKind,
                    QByteArray &strTag, QByteArray &strSequence, QByteArray &strData1,
                    QByteArray &strData2);
