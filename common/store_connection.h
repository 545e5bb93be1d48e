#pragma once

#include "registry_api.h"

#include <chrono>
#include <functional>
#include <memory>

struct sqlite3;

// One connection to the registry store file, for one open key. Over its
// whole life it waits at most kStoreWait for other programs that hold the
// store, so that the window thread is never held up longer; a store still
// held then gives ERROR_BUSY. Readers are not held up by a writer: the store
// keeps a write-ahead log.
class StoreConnection {
  public:
    static constexpr std::chrono::milliseconds kStoreWait{1000};

    // Opens the store file for reading, or for writing (creating a missing
    // one). Paths SQLite treats specially, files other users could have
    // written (see store_guard.h) and tables of another shape are refused.
    static winreg::RegStatus open(const QByteArray &path, bool forWriting,
                                  std::unique_ptr<StoreConnection> &connection);

    ~StoreConnection();
    StoreConnection(const StoreConnection &) = delete;
    StoreConnection &operator=(const StoreConnection &) = delete;

    sqlite3 *db() const { return db_; }

    // Runs work in one write transaction, on tables of the store's shape
    // (made in a new store): committed when work succeeds, else rolled back.
    // Gives the status of the first failure.
    winreg::RegStatus write(const std::function<winreg::RegStatus(sqlite3 *)> &work);

  private:
    explicit StoreConnection(sqlite3 *db);
    static int waitWhileBusy(void *connection, int attempts);

    sqlite3 *db_;
    std::chrono::steady_clock::time_point deadline_;
};

// The registry status for an SQLite result code.
winreg::RegStatus StatusOf(int sqliteCode);
