#pragma once

#include "pktguard.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// Run-time access to the packet-security library libpktguard.so, which
// computes the packet checksum and seals packet strings with the wizard's
// two cipher keys. Its calls and the size of its output buffer
// (kPktGuardBufferSize: nothing sealed or opened is larger) are those of
// pktguard.h.

enum class PktGuardSearch { FolderThenSystemPath, FolderOnly };

// Loads libpktguard.so from the folder (or else, when asked, by name from the
// system's library path) in place of the library used so far. A library that
// cannot be loaded (with why for each place tried) or lacks one of its three
// functions is reported once with the stop icon and left unused: the calls
// below then fail. The first of those calls loads from the program's folder,
// then the system path.
bool LoadPktGuard(const QString &folder, PktGuardSearch search);

// CalcCRC over the bytes; empty when the library is unusable.
std::optional<std::int32_t> PktGuardCalcCRC(const QByteArray &data);

// GetEncryptData / GetDecryptData with the wizard's keys: the bytes the
// library wrote (none when it refused the input). Empty when the library is
// unusable, the input is larger than the buffer or the library claims to
// have written more than the buffer holds.
std::optional<QByteArray> PktGuardEncrypt(const QByteArray &data);
std::optional<QByteArray> PktGuardDecrypt(const QByteArray &data);
