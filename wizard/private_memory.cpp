#include "private_memory.h"

#include <QLoggingCategory>
#include <cerrno>
#include <cstring>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace {

Q_LOGGING_CATEGORY(lcMemory, "kestrune.wizard", QtWarningMsg)

} // namespace

bool KeepMemoryPrivate() {
    // No core file either where the system dumps non-dumpable processes
    // for root (suid_dumpable 2).
    const rlimit noCore{0, 0};
    if (::setrlimit(RLIMIT_CORE, &noCore) != 0)
        qCWarning(lcMemory, "core files could not be turned off: %s", std::strerror(errno));
    if (::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0) {
        qCWarning(lcMemory, "the process could not be made non-dumpable: %s", std::strerror(errno));
        return false;
    }
    return true;
}
