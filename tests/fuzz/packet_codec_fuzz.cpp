// Feeds arbitrary line text through the packet codec: as received from the
// line, as an opened packet string, and as the data of a packet that makes
// the whole trip to the line and back.
#include "field_records.h"
#include "headless_ui.h"
#include "line_breaks.h"
#include "packet_codec.h"
#include "program_state.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

namespace {

// Splits a packet string and walks its records as the conversation does;
// true when the packet string was accepted.
bool TakePacket(const QByteArray &packet) {
    std::int16_t length = 0;
    std::int16_t kind = 0;
    QByteArray tag, sequence, data1, data2;
    if (PacketUnString(packet, length, kind, tag, sequence, data1, data2) != kTrue)
        return false;
    PacketProcessFields(data1, data2, [](std::int16_t /*nbr*/, const QByteArray & /*text*/) {});
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    // The library is loaded from the program's folder, which needs the
    // application object.
    static const QCoreApplication app(*argc, *argv);
    static HeadlessUi silent(false);
    setUi(&silent);
    modKestenrol::SetFramingCharacters();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    TakePacket(PacketUnPack(text));
    TakePacket(text);
    NormaliseLineBreaks(text);

    const QByteArray wire = PacketPack(text);
    if (wire.isEmpty() != (text.size() > kLongestPacketString))
        std::abort();
    if (!wire.isEmpty() && PacketUnPack(wire) != text)
        std::abort();
    if (text.size() <= kLongestPacketString - kPacketOverhead &&
        !TakePacket(PacketUnPack(PacketPack(PacketString(2, "tag!", "sq", text)))))
        std::abort();
    return 0;
}
