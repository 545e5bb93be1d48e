#pragma once

#include "modem_lines.h"

#include <QByteArray>
#include <QString>

class QSocketNotifier;

// The modem-control lines as kestrune-hostsim plays them on its control
// channel (HostSim::linesPath()): DTR set by sending "dtr on" or "dtr off",
// carrier detect learnt from its "dcd on" and "dcd off". It can also stand
// for a device that cannot report carrier detect: DTR still reaches the
// modem, carrier detect stays unknown.
class SimModemLines final : public ModemLines {
    Q_OBJECT
  public:
    enum class Carrier { Reported, Unreported };

    // Connects to the channel and learns carrier detect as it is.
    SimModemLines(const QString &socketPath, Carrier carrier);
    ~SimModemLines() override;
    SimModemLines(const SimModemLines &) = delete;
    SimModemLines &operator=(const SimModemLines &) = delete;

    bool setDtr(bool on) override;
    std::optional<bool> carrier() override;
    void watchCarrier() override;
    bool waitForCarrierOff(int milliseconds) override;

  private:
    // Reads what the channel has said, waiting up to the time for something.
    void hear(int milliseconds);
    void onReadable();

    int fd_ = -1;
    const bool reported_;
    QSocketNotifier *notifier_ = nullptr;
    QByteArray heard_;
    bool dcd_ = false;
    bool watching_ = false;
};
