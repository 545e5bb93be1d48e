#pragma once

// During the call the wizard's memory holds the subscriber's card. Makes the
// process non-dumpable for the rest of its life: no core file is written,
// and no other process of the same user may trace it or read its memory
// (/proc/PID/mem). Only root may. Gives false when the system refused.
bool KeepMemoryPrivate();
