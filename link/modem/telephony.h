#pragma once

#include "uucp_lock.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <cstdint>
#include <optional>

class SerialLine;

// The standard telephony call states, as CallState reports them.
inline constexpr std::int32_t kCallIdle = 1;
inline constexpr std::int32_t kCallDialling = 16;
inline constexpr std::int32_t kCallBusy = 64;
inline constexpr std::int32_t kCallConnected = 256;
inline constexpr std::int32_t kCallDisconnected = 16384;

// How a request ends, as OnTapi reports it: 0 is success.
inline constexpr std::int32_t kRequestSucceeded = 0;
inline constexpr std::int32_t kRequestModemError = 1;   // the modem answered ERROR
inline constexpr std::int32_t kRequestNoDialTone = 2;   // the modem heard no dial tone
inline constexpr std::int32_t kRequestModemSilent = 3;  // the modem did not answer in time
inline constexpr std::int32_t kRequestDeviceFailed = 4; // the serial device failed
inline constexpr std::int32_t kRequestInitRefused = 5;  // ERROR to the initialisation string

// Why a dial was refused before anything was dialled.
enum class DialRefusal {
    None,              // the dial was placed
    NoModem,           // no modem is listed, or the current one is not
    DeviceMissing,     // its device does not exist
    NoPermission,      // the user may not open its device
    DeviceUnavailable, // its device cannot be opened for another reason
    DeviceLocked,      // another program's lock file holds its device
    BadInitString,     // its initialisation string is no single command line
    BadNumber,         // the number holds what a modem cannot dial
    BadLocation,       // the location's outside-line prefix does
    CallActive,        // a call is already being made
};

struct DialResult {
    std::int32_t requestId = 0;
    DialRefusal refusal = DialRefusal::None;
    // What the refusal is about, as far as the user can act on it: the
    // modem's device, the holder of its lock, the initialisation string,
    // the number or the prefix.
    QByteArray device;
    std::optional<LockHolder> holder;
    QByteArray text;

    bool placed() const { return refusal == DialRefusal::None; }
};

// Telephone calls through the current modem from the current dialling
// location. Requests end with OnTapi; the call's progress is reported by
// CallState. Both are raised through the event loop, never from inside the
// call that caused them, in the order things happened; a request's OnTapi
// comes before the call states that follow from it.
//
// A placed dial ends with OnTapi(its id, kRequestSucceeded) and the call
// states: connected; busy then idle; disconnected then idle. Or it ends
// with OnTapi(its id, failure) alone when the modem could not make the call.
// A call that is up and loses its carrier goes disconnected, then idle.
// A hang-up ends with OnTapi(its id, status), then idle.
class Telephony : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    virtual DialResult Dial(const QByteArray &number) = 0;
    // True from a placed dial until the call is idle again.
    virtual bool CallInProgress() const = 0;
    // Ends the call being made, or the one that is up. A dial it cuts short
    // gets no OnTapi of its own.
    virtual std::int32_t HangUp() = 0;

    // The current modem: its index in ModemNames().
    virtual std::int32_t CurrentModem() const = 0;
    virtual void SetCurrentModem(std::int32_t index) = 0;
    virtual QByteArrayList ModemNames() const = 0;
    // The dialling locations; current is set to the index of the one in use.
    virtual QByteArrayList LocationNames(std::int32_t &current) const = 0;
    virtual bool SetCurrentLocation(std::int32_t index) = 0;

    // The line of the connected call.
    virtual SerialLine &Line() = 0;

  Q_SIGNALS:
    void OnTapi(std::int32_t requestId, std::int32_t status);
    void CallState(std::int32_t state, std::int32_t extra);
};
