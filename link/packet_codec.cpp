#include "packet_codec.h"

#include "link_errors.h"
#include "number_codec.h"
#include "packet_framing.h"
#include "pktguard_library.h"

namespace {

constexpr qsizetype kTagOffset = 4;
constexpr qsizetype kTagSize = 4;
constexpr qsizetype kSequenceOffset = 8;
constexpr qsizetype kSequenceSize = 2;
constexpr qsizetype kDataOffset = 10;

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
    const std::optional<QByteArray> sealed = PktGuardEncrypt(strPacket);
    if (!sealed)
        return {};
    return FrameBytes(*sealed);
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
    const std::optional<std::int16_t> length = BytesToInt(strPacket.left(2));
    if (!length || *length != strPacket.size())
        return kFalse;
    intLength = *length;

    const std::optional<std::int16_t> kind = BytesToInt(strPacket.mid(2, 2));
    if (kind)
        intKind = *kind;
    strTag = strPacket.mid(kTagOffset, kTagSize);
    strSequence = strPacket.mid(kSequenceOffset, kSequenceSize);
    const qsizetype dataSize = strPacket.size() - kPacketOverhead;
    const qsizetype firstHalf = dataSize / 2;
    strData1 = strPacket.mid(kDataOffset, firstHalf);
    strData2 = strPacket.mid(kDataOffset + firstHalf, dataSize - firstHalf);

    const std::optional<std::int32_t> checksum = PktGuardCalcCRC(strPacket);
    if (!checksum || *checksum != 0)
        return kFalse;
    if (!kind) {
        ReportLinkError("PacketUnString", kErrOverflow, "Overflow");
        return kFalse;
    }
    return kTrue;
}
