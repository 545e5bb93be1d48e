#pragma once

#include <QByteArray>
#include <functional>

// Per-user settings of the wizard program.
inline constexpr char kSettingsApp[] = "KestruneRegistration";

// The folder of the running program file, without a trailing separator; for
// a copy run from the installed programs' folder, the user's own program
// folder.
QByteArray ProgramFileFolder();

// Finds the program folder through the "AppPath" setting. Returns false
// (after telling the user) when no usable folder can be had.
bool FindAppPath(QByteArray &appPath);

// The program's start-up: framing characters, program folder, splash, terms,
// background tile, then showRegistration opens the wizard window. Ends the
// program (through the modal seam) when it cannot go on: with exit status 1
// for a user outside the registry store's group, a settings file over
// kSettingsFileLimit (left unread) or no program folder, 0 when the terms
// are not accepted.
void Main(const std::function<void()> &showRegistration);
