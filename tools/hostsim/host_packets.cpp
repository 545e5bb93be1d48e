#include "host_packets.h"

#include "field_records.h"
#include "number_codec.h"
#include "packet_codec.h"
#include "record.h"

namespace {

// Enough of a frame that could not be opened to tell which it was.
constexpr qsizetype kBadFrameShown = 64;
constexpr std::int16_t kAnswerKind = 2;

} // namespace

QByteArray RequestData(std::uint32_t mask, std::int32_t reject) {
    return LongToBytes(static_cast<std::int32_t>(mask)) + LongToBytes(reject);
}

QByteArray DataRecords(const QList<std::pair<int, QByteArray>> &records) {
    QByteArray data;
    for (const auto &[field, text] : records) {
        data += IntToBytes(field) + IntToBytes(static_cast<std::int32_t>(text.size())) + text;
        if (text.size() % 2 != 0)
            data += ' ';
    }
    return data;
}

QByteArray MalformedPacket(const QByteArray &tag, const QByteArray &sequence) {
    QByteArray packet = PacketString(kAnswerKind, tag, sequence, "bad checksum");
    if (!packet.isEmpty())
        packet[packet.size() - 1] = static_cast<char>(packet.back() ^ 0x5a);
    return PacketPack(packet);
}

ReceivedPacket DescribeFrame(const QByteArray &frame) {
    ReceivedPacket received;
    const QByteArray packet = PacketUnPack(frame);
    std::int16_t length = 0;
    QByteArray tag;
    QByteArray data1;
    QByteArray data2;
    if (PacketUnString(packet, length, received.kind, tag, received.sequence, data1, data2) !=
        kTrue) {
        received.lines.append("bad-frame " + frame.left(kBadFrameShown).toHex());
        return received;
    }
    received.ok = true;
    received.lines.append("packet kind=" + QByteArray::number(received.kind) +
                          " tag=" + tag.toHex() + " seq=" + received.sequence.toHex() +
                          " length=" + QByteArray::number(length));
    if (received.kind == kAnswerKind) {
        PacketProcessFields(data1, data2, [&received](std::int16_t field, const QByteArray &text) {
            received.lines.append("field " + QByteArray::number(field) + ' ' + Quote(text));
        });
    }
    return received;
}
