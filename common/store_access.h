#pragma once

#include <QByteArray>

// The machine-wide registry store is shared by the members of one group:
// its folder belongs to root and that group, and others may not enter it.
// For anyone else every read and write of the store would fail, so the
// programs say so when they start instead.

// The message for a user outside the group of the store's folder, naming
// the group and how to join it; empty when the user may use the store (or
// its folder is no group's).
QByteArray StoreGroupRefusal();

// Shows that message (stop icon, the given title) and writes it to standard
// error too. False when it was shown: the program cannot do its work.
bool CheckStoreAccess(const QByteArray &title);
