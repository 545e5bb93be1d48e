#pragma once

#include "flags.h"
#include "registry_api.h"

#include <QByteArray>
#include <QList>

// The service key shared with the service's other software (games client,
// account restore tool) and its values.
inline constexpr char kServiceKey[] = "SOFTWARE\\Corvane Telecom PLC\\Kestrune\\Servers\\Kestrune";
inline constexpr char kDialNumberValue[] = "DialNumber";
inline constexpr char kCommand1Value[] = "Command1";
inline constexpr char kCommand2Value[] = "Command2";

// Reads one value. A string value yields its text, a 32-bit number its
// decimal text; any other type leaves valueText as passed. Failures give
// false and an empty text; nothing is ever shown to the user.
Flag RegReadValue(winreg::RegHandle root, const QByteArray &subKey, const QByteArray &valueName,
                  QByteArray &valueText);

// Writes one string value, creating the key when it is missing. An empty
// text is stored as a single space.
Flag RegWriteString(winreg::RegHandle root, const QByteArray &subKey, const QByteArray &valueName,
                    QByteArray valueText);

// Writes several string values of one key together, each as RegWriteString
// stores it: all of them or none.
Flag RegWriteStrings(winreg::RegHandle root, const QByteArray &subKey,
                     QList<winreg::RegStringValue> values);

// Why the last RegReadValue, RegWriteString or RegWriteStrings call (or the
// readers below) gave what it gave: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a
// missing key or value, ERROR_BUSY while another program holds the store,
// ERROR_ACCESS_DENIED or ERROR_BADDB for a store that cannot be used, ...
winreg::RegStatus RegLastStatus();

// The number to dial, as stored; false and empty when missing or blank.
Flag GetDialNumber(QByteArray &number);

// Command1 and Command2 of the service key; each empty when it cannot be
// read. A busy store is not asked twice: both come back empty.
void ReadServerCommands(QByteArray &command1, QByteArray &command2);
