#include "wipe.h"

#include <sodium.h>

namespace {

// The whole allocation, also what lies before the text (Qt lets a text
// start further in after its front is removed) and after its end.
template <typename Text> void Overwrite(Text &text) {
    auto &data = text.data_ptr();
    // Static text (a literal, raw data) is not the program's to write.
    if (!data.isMutable())
        return;
    auto *const start = data.data() - data.freeSpaceAtBegin();
    sodium_memzero(start, static_cast<std::size_t>(data.constAllocatedCapacity()) * sizeof(*start));
}

} // namespace

void Wipe(QByteArray &bytes) {
    Overwrite(bytes);
    bytes.clear();
}

void Wipe(QString &text) {
    Overwrite(text);
    text.clear();
}

void WipeIfLast(QByteArray &bytes) {
    if (!bytes.data_ptr().isShared())
        Overwrite(bytes);
    bytes.clear();
}
