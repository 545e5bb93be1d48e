#pragma once

#include <QByteArray>
#include <QList>

// The modems the call can be made with. The per-user settings list devices
// of their own (so that a pseudo-terminal or a device the system does not
// report can be used), each with its initialisation string, in section
// "Modem":
//   Device, Init        the first listed modem
//   Device2, Init2      the second, and so on without gaps
// They come first; the serial ports the system reports follow, each once.

inline constexpr char kModemSection[] = "Modem";
inline constexpr char kDefaultInitString[] = "ATZ";
// No more modems are listed in the settings than this.
inline constexpr int kMostListedModems = 32;
// An initialisation string is one command line of the modem's.
inline constexpr int kLongestInitString = 60;

struct ModemEntry {
    QByteArray name;       // as shown in the modem list
    QByteArray device;     // the serial device's path
    QByteArray initString; // sent before dialling; "ATZ" unless set
    int listed = 0;        // its number in the settings, 0 for a system port
};

QList<ModemEntry> ListModems();

// True when the text can be sent to the modem as a command line: printable
// characters only, at most kLongestInitString of them.
bool IsInitString(const QByteArray &text);

// Stores the device and initialisation string of the modem: in its own
// number when it is listed, as the next listed one otherwise. Gives the
// modem's index in ListModems() afterwards, or -1 when the settings could
// not be written.
int SaveModem(const ModemEntry &modem, const QByteArray &device, const QByteArray &initString);
