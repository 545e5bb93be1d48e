#pragma once

// Short modem waits for the tests that call kestrune-hostsim, so that
// failures come quickly; the simulator's guard time is shorter still than
// the one the telephony layer keeps.
#include "hayes_telephony.h"

#include <QByteArray>

inline HayesTimings QuickTimings() {
    return {.commandWait = 1000,
            .dialWait = 1500,
            .guardTime = 120,
            .dtrDropTime = 50,
            .carrierDropWait = 300,
            .exitWait = 200};
}

// The simulator's side of the same: settings to put before a scenario.
inline const QByteArray kQuick = "set guard 50\nset dial-delay 20\nset first-packet-delay 100\n"
                                 "set split-pause 40\n";
// The record's line for a login prompt answered.
inline const QByteArray kAnswer = "answer \"tarnovik\\x0d\"";
