#pragma once

#include "telephony.h"

#include <QByteArray>
#include <cstdint>

// The messages about the call. Where a call could not be made for a cause
// the user can act on, a last line names it after the message's own lines.

// A dial the telephony control refused before anything was dialled.
QByteArray DialRefusedMessage(const DialResult &dial);
// A dial that failed: the request's status, and the initialisation string
// that was sent.
QByteArray CallNotMadeMessage(std::int32_t status, const QByteArray &initString);

inline constexpr char kHangupFailedMessage[] =
    "The computer could not hangup the phone call to Kestrune.\r\n"
    "Please check that the modem is working correctly.\r\n"
    "If you continue to experience problems, please contact the Help Desk.";
inline constexpr char kServiceBusyMessage[] = "The Kestrune service is busy at this moment.\r\n"
                                              "Please wait a short time and try again.";
inline constexpr char kDisconnectedMessage[] =
    "The call to Kestrune has been unexpectedly disconnected.\r\n"
    "Please wait a short time and try again.";
