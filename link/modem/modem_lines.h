#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class QSerialPort;

// The modem-control lines of the serial device a modem is on: DTR, which the
// computer holds up while it wants the call, and carrier detect, which the
// modem holds up while a call is connected. A device may lack either (a
// pseudo-terminal has neither).
class ModemLines : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    // Raises or drops DTR. False when the device has no DTR to set.
    virtual bool setDtr(bool on) = 0;
    // Carrier detect as it is now; nothing when the device cannot report it.
    virtual std::optional<bool> carrier() = 0;
    // From now on carrierChanged tells of each change of carrier detect.
    // Does nothing on a device that cannot report it.
    virtual void watchCarrier() = 0;
    // For the way out of the program: waits here, at most the given time,
    // for carrier detect to be down. True once it is.
    virtual bool waitForCarrierOff(int milliseconds) = 0;

  Q_SIGNALS:
    // Raised through the event loop.
    void carrierChanged(bool on);
};

// Gives the lines of a port just opened.
using ModemLinesMaker = std::function<std::unique_ptr<ModemLines>(QSerialPort &port)>;
