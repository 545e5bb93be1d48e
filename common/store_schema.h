#pragma once

struct sqlite3;

// The registry store's two tables:
//   reg_keys(path)                     every key's full path from the root,
//                                      e.g. HKEY_LOCAL_MACHINE\SOFTWARE\...
//   reg_values(key, name, type, data)  one row per value, data its raw bytes
// Key paths and value names compare without regard to letter case and are
// the primary keys, so that a value is stored once.
extern const char *const kStoreSchema;

enum class StoreShape {
    Empty,    // no tables at all: a new store
    Registry, // both tables as kStoreSchema makes them
    Other,    // anything else: not to be read or written
};

// Reads the shape of the store's tables (columns, their types, and the
// primary keys with their collations). Returns SQLite's result code; shape
// is set when it is SQLITE_OK.
int ReadStoreShape(sqlite3 *db, StoreShape &shape);
