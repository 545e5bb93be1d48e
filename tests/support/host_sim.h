#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// The simulated modem and registration host, kestrune-hostsim, run on a
// scenario for one test. Its pseudo-terminal stands in for the modem's
// serial device, its control channel for the device's modem-control lines.
class HostSim {
  public:
    // The text of a scenario file shipped with the simulator.
    static QByteArray Scenario(const QString &name);

    // Starts the simulator on the scenario's text.
    explicit HostSim(const QByteArray &scenario);
    // Stops it.
    ~HostSim();
    HostSim(const HostSim &) = delete;
    HostSim &operator=(const HostSim &) = delete;

    // The pseudo-terminal's device path; empty when the simulator did not
    // start.
    QByteArray device() const { return device_; }
    // What the simulator has recorded so far, a line each.
    QByteArrayList record() const;
    // Waits, letting events run, until the record holds the line.
    bool waitForRecord(const QByteArray &line, int milliseconds = 5000) const;
    // The control channel on which it plays the modem-control lines
    // (SimModemLines reaches them there).
    QString linesPath() const;
    // What the simulator wrote to its standard error.
    QByteArray errors() { return process_.readAllStandardError(); }
    QProcess &process() { return process_; }

  private:
    QTemporaryDir folder_;
    QProcess process_;
    QByteArray device_;
};
