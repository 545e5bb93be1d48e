#pragma once

#include <QByteArray>
#include <sys/stat.h>
#include <sys/types.h>

// The registry store holds the account's login texts and the number to
// dial, and its folder may be one that other users can write too (like
// /tmp). So the store and the files SQLite keeps beside it (-journal, -wal,
// -shm) are used only when no other user could have written them:
// - a regular file, never a symbolic link, a pipe or a device;
// - owned by the user, who keeps it private (kStoreMode), or owned by root
//   and writable by no one else;
// - or, in a folder that only root and one group may write, a file of that
//   group that others cannot write: the group shares the store by design,
//   and the user's own files there are the group's (kGroupStoreMode).
// Anything else is refused without being written.

// Permissions of the store files the user owns: new ones are created so and
// others are set so before use.
inline constexpr mode_t kStoreMode = 0600;
inline constexpr mode_t kGroupStoreMode = 0660;

// A folder that only root and its group may write.
bool IsGroupFolder(const struct stat &folder);

// The store's path must name a file plainly: an absolute path. Paths that
// SQLite treats specially (":memory:", an empty name, "file:" URIs) and
// relative ones are refused.
bool IsPlainStorePath(const QByteArray &path);

// The name of an SQLite file system that checks every store file as above
// each time SQLite opens it (registered on first use).
const char *GuardedVfsName();
