#pragma once

#include <QByteArray>
#include <optional>

// The account's login texts, kept under the service key as Command1 (user
// name) and Command2 (password), where the wizard stores them from the
// host's data.

// Shown in place of a value that cannot be read.
inline constexpr char kNotRegistered[] = "<< Not Registered >>";

// The value's text as stored, or "<< Not Registered >>" when it cannot be
// read (no service key, no such value, an unusable store). Nothing while
// another program holds the store: the value is not known then.
std::optional<QByteArray> AccountKeyText(const char *valueName);

enum class KeysStored { Yes, Busy, No };

// Stores the user name as Command1 and the password as Command2, each with
// blanks removed from both ends, together: both or neither.
KeysStored StoreAccountKeys(const QByteArray &userName, const QByteArray &password);
