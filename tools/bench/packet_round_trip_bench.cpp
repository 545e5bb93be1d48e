// Times a 300-byte packet string through the whole line path: PacketPack
// (seal + frame), PacketUnPack (unframe + open) and PacketUnString (verify).
// The line needs over a millisecond per byte at 9600 baud, so a few
// microseconds per packet are plenty.
#include "headless_ui.h"
#include "packet_codec.h"
#include "program_state.h"
#include "ui.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

void PacketRoundTrip(benchmark::State &state) {
    const QByteArray data(300 - kPacketOverhead, 'd');
    const QByteArray packet = PacketString(2, "tag!", "sq", data);
    std::int16_t length = 0;
    std::int16_t kind = 0;
    QByteArray tag, sequence, data1, data2;
    for (auto _ : state) {
        static_cast<void>(_);
        const QByteArray opened = PacketUnPack(PacketPack(packet));
        const Flag ok = PacketUnString(opened, length, kind, tag, sequence, data1, data2);
        benchmark::DoNotOptimize(ok);
        if (ok != kTrue) {
            state.SkipWithError("the packet did not come back intact");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * packet.size());
}
BENCHMARK(PacketRoundTrip);

} // namespace

int main(int argc, char **argv) {
    const QCoreApplication app(argc, argv);
    HeadlessUi console(true);
    setUi(&console);
    modKestenrol::SetFramingCharacters();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    setUi(nullptr);
    return 0;
}
