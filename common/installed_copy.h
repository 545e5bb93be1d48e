#pragma once

#include <QByteArray>

// A copy installed by the package runs from the installed programs' folder,
// where its users may not write. Its program folder (the text files and
// pictures it looks for, the survey answers it writes) is then a folder of
// each user's own.

// The installed programs' folder; tests may name another.
QByteArray InstalledProgramsFolder();
void SetInstalledProgramsFolder(const QByteArray &folder);

// $XDG_DATA_HOME/Kestrune/kestenrol, made private (0700) when missing.
QByteArray UserProgramFolder();

// The folder the program runs from, or the user's program folder when that
// is the installed programs' folder. No trailing separator.
QByteArray OwnProgramFolder(const QByteArray &runningFolder);
