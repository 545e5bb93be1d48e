// Feeds arbitrary line input, cut into arbitrary reads, to the line
// receiver in login and packet mode, with a frame handler that may refuse
// frames or read the line again while it runs. The buffer must keep within
// its bound, every frame handed over must end in an end mark, and in packet
// mode with every frame taken the cuts must not change the outcome.
#include "line_receiver.h"
#include "program_state.h"

#include <QByteArrayList>
#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

namespace {

struct Outcome {
    QByteArrayList frames;
    QByteArrayList sent;
    QByteArray buffer;
    Flag packetMode = kFalse;

    bool operator==(const Outcome &) const = default;
};

struct Options {
    bool packetMode = false;
    bool refuseSome = false;
    bool readDuringFrames = false;
};

void Check(bool condition) {
    if (!condition)
        std::abort();
}

Outcome Run(const Options &options, const std::vector<QByteArray> &reads) {
    Outcome outcome;
    outcome.packetMode = options.packetMode ? kTrue : kFalse;
    QByteArray lastPacket;
    LineReceiver *self = nullptr;
    LineReceiver::Sender send = [&outcome](const QByteArray &text) { outcome.sent.append(text); };
    LineReceiver receiver(outcome.buffer, outcome.packetMode, lastPacket,
                          [&](const QByteArray &frame, QByteArray &last) {
                              Check(frame.endsWith(modKestenrol::gPacketEnd));
                              Check(frame.size() <= kLongestFrame);
                              outcome.frames.append(frame);
                              last = QByteArray::number(outcome.frames.size());
                              if (options.readDuringFrames && outcome.frames.size() % 2 == 1)
                                  self->Receive(frame.right(frame.size() / 2), send);
                              return options.refuseSome && frame.size() % 3 == 0 ? kFalse : kTrue;
                          });
    self = &receiver;
    for (const QByteArray &read : reads) {
        receiver.Receive(read, send);
        Check(outcome.buffer.size() <=
              (outcome.packetMode == kTrue ? kLongestFrame : kLongestLoginLine));
    }
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int * /*argc*/, char *** /*argv*/) {
    modKestenrol::SetFramingCharacters();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const Options options{input.ConsumeBool(), input.ConsumeBool(), input.ConsumeBool()};
    std::vector<QByteArray> reads;
    QByteArray whole;
    while (input.remaining_bytes() > 0) {
        const std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, 600);
        const std::string bytes = input.ConsumeBytesAsString(length);
        reads.emplace_back(bytes.data(), static_cast<qsizetype>(bytes.size()));
        whole += reads.back();
    }

    const Outcome cut = Run(options, reads);
    if (options.packetMode && !options.refuseSome && !options.readDuringFrames)
        Check(cut == Run(options, {whole}));
    return 0;
}
