#pragma once

#include <QString>

// Makes the folder and its missing parents, each new one readable, writable
// and searchable by the user alone (0700) whatever the umask. True when the
// folder exists afterwards.
bool MakePrivateFolder(const QString &folder);
