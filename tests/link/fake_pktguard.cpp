// A packet-security library without the cipher calls, whose checksum passes
// everything: a codec that wrongly used it would accept any packet string.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::int32_t CalcCRC(const char * /*data*/,
                                                                       std::int32_t /*length*/) {
    return 0;
}
