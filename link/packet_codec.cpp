#include "packet_codec.h"

#include "link_errors.h"
#include "number_codec.h"
#include "packet_framing.h"
#include "pktguard_library.h"
#include "wipe.h"

namespace {

constexpr qsizetype kTagOffset = 4;
constexpr qsizetype kTagSize = 4;
constexpr qsizetype kSequenceOffset = 8;
constexpr qsizetype kSequenceSize = 2;
constexpr qsizetype kDataOffset = 10;

// A two-byte field of PacketUnString; one above 32767 is reported and reads
// as 0, and the routine goes on.
std::int16_t DecodedInt(const QByteArray &field) {
    const std::optional<std::int16_t> number = BytesToInt(field);
    if (!number)
        ReportLinkError("PacketUnString", kErrOverflow, "Overflow");
    return number.value_or(0);
}

} // namespace

QByteArray PacketString(std::int16_t intKind, const QByteArray &strTag,
                        const QByteArray &strSequence, const QByteArray &strData) {
    const qsizetype length = strData.size() + kPacketOverhead;
    QByteArray packet;
    packet.reserve(length);
    packet.append(IntToBytes(static_cast<std::int32_t>(length)))
        .append(IntToBytes(intKind))
        .append(strTag)
        .append(strSequence)
        .append(strData);
    const std::optional<std::int32_t> checksum = PktGuardCalcCRC(packet);
    if (!checksum)
        return {};
    return packet.append(IntToBytes(*checksum));
}

QByteArray PacketPack(const QByteArray &strPacket) {
    if (strPacket.size() > kLongestPacketString) {
        ReportLinkError("PacketPack", kErrOverflow,
                        "A packet string of " + QByteArray::number(strPacket.size()) +
                            " bytes is longer than the " +
                            QByteArray::number(kLongestPacketString) + " bytes that can be sealed");
        return {};
    }
    std::optional<QByteArray> sealed = PktGuardEncrypt(strPacket);
    if (!sealed)
        return {};
    QByteArray wire = FrameBytes(*sealed);
    // Only the wire form is kept: the sealed packet opens with fixed keys, so
    // it is as good as the packet string, which may carry the card.
    WipeIfLast(*sealed);
    return wire;
}

QByteArray PacketUnPack(const QByteArray &strReceived) {
    const std::optional<QByteArray> sealed = UnframeBytes(strReceived);
    if (!sealed || sealed->size() > kPktGuardBufferSize)
        return {};
    return PktGuardDecrypt(*sealed).value_or(QByteArray());
}

Flag PacketUnString(const QByteArray &strPacket, std::int16_t &intLength, std::int16_t &intKind,
                    QByteArray &strTag, QByteArray &strSequence, QByteArray &strData1,
                    QByteArray &strData2) {
    if (strPacket.size() < kPacketOverhead)
        return kFalse;
    intLength = DecodedInt(strPacket.left(2));
    if (intLength != strPacket.size())
        return kFalse;
    intKind = DecodedInt(strPacket.mid(2, 2));
    strTag = strPacket.mid(kTagOffset, kTagSize);
    strSequence = strPacket.mid(kSequenceOffset, kSequenceSize);
    const qsizetype dataSize = strPacket.size() - kPacketOverhead;
    const qsizetype firstHalf = dataSize / 2;
    strData1 = strPacket.mid(kDataOffset, firstHalf);
    strData2 = strPacket.mid(kDataOffset + firstHalf, dataSize - firstHalf);

    const std::optional<std::int32_t> checksum = PktGuardCalcCRC(strPacket);
    return ToFlag(checksum && *checksum == 0);
}
