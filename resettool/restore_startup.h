#pragma once

#include "frmAccountRestore.h"

#include <memory>

// The tool's start-up: shows the splash with the built-in logo modally until
// its timer closes it, then opens the reset window, which shows itself and
// reads the registry. The caller keeps the window for the rest of the run.
// A user outside the registry store's group is told how to join it, and the
// tool ends with exit status 1 and no window.
std::unique_ptr<frmAccountRestore> StartAccountRestore();
