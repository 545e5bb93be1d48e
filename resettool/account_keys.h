#pragma once

#include <QByteArray>

// The account's login texts, kept under the service key as Command1 (user
// name) and Command2 (password), where the wizard stores them from the
// host's data.

// Shown in place of a value that cannot be read.
inline constexpr char kNotRegistered[] = "<< Not Registered >>";

// The value's text as stored, or "<< Not Registered >>" when it cannot be
// read (no service key, no such value, an unreadable store).
QByteArray AccountKeyText(const char *valueName);

// Stores the user name as Command1, then the password as Command2, each with
// blanks removed from both ends. Stops at the first write that fails, so a
// refused user name never leaves a new password behind. True when both were
// stored.
bool StoreAccountKeys(const QByteArray &userName, const QByteArray &password);
