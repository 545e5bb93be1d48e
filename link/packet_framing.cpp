#include "packet_framing.h"

#include "program_state.h"

using modKestenrol::gPacketEnd;
using modKestenrol::gPacketEscape;
using modKestenrol::gPacketStart;

// Both directions write through a pointer into a buffer sized for the worst
// case and cut it to length at the end: appending byte by byte costs more
// than the cipher for a packet of a few hundred bytes.

QByteArray FrameBytes(const QByteArray &sealed) {
    QByteArray wire(2 * sealed.size() + 2, Qt::Uninitialized);
    char *out = wire.data();
    *out++ = gPacketStart;
    for (const char byte : sealed) {
        if (byte == gPacketStart) {
            *out++ = gPacketEscape;
            *out++ = 'S';
        } else if (byte == gPacketEnd) {
            *out++ = gPacketEscape;
            *out++ = 'T';
        } else if (byte == gPacketEscape) {
            *out++ = gPacketEscape;
            *out++ = gPacketEscape;
        } else {
            *out++ = byte;
        }
    }
    *out++ = gPacketEnd;
    wire.truncate(out - wire.constData());
    return wire;
}

// Each escape pair is taken whole, so the second character of a pair never
// escapes what follows it.
std::optional<QByteArray> UnframeBytes(const QByteArray &received) {
    QByteArray collected(received.size(), Qt::Uninitialized);
    char *const begin = collected.data();
    char *out = begin;
    const char *in = received.constData();
    const char *const end = in + received.size();
    while (in != end) {
        const char byte = *in++;
        if (byte == gPacketEscape) {
            if (in == end)
                break;
            const char escaped = *in++;
            if (escaped == 'S')
                *out++ = gPacketStart;
            else if (escaped == 'T')
                *out++ = gPacketEnd;
            else
                *out++ = escaped;
        } else if (byte == gPacketStart) {
            out = begin;
        } else if (byte == gPacketEnd) {
            collected.truncate(out - begin);
            return collected;
        } else {
            *out++ = byte;
        }
    }
    return std::nullopt;
}
