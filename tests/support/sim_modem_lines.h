#pragma once

#include "tty_modem_lines.h"

#include <QString>

// Whether the simulated device reports carrier detect; where it does not,
// DTR still reaches the modem.
enum class SimCarrier { Reported, Unreported };

// The calls for TtyModemLines on the modem-control lines as kestrune-hostsim
// plays them on its control channel (HostSim::linesPath()): DTR set by
// sending "dtr on" or "dtr off", carrier detect learnt from its "dcd on" and
// "dcd off". Connects to the channel and learns carrier detect as it is;
// after that, only the wait for a change reads the channel, so that each
// change comes as carrierChanged.
ModemControlCalls SimModemLines(const QString &socketPath, SimCarrier carrier);
