#include "store_connection.h"

#include "store_guard.h"
#include "store_schema.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>

using namespace winreg;

namespace {

constexpr std::chrono::milliseconds kBusyPoll{10};

int exec(sqlite3 *db, const char *sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// ERROR_FILE_NOT_FOUND for a store without tables yet.
RegStatus checkShape(sqlite3 *db) {
    StoreShape shape = StoreShape::Other;
    if (const int rc = ReadStoreShape(db, shape); rc != SQLITE_OK)
        return StatusOf(rc);
    switch (shape) {
    case StoreShape::Registry:
        return ERROR_SUCCESS;
    case StoreShape::Empty:
        return ERROR_FILE_NOT_FOUND;
    case StoreShape::Other:
        break;
    }
    return ERROR_BADDB;
}

} // namespace

RegStatus StatusOf(int sqliteCode) {
    switch (sqliteCode & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_BUSY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_BADDB;
    }
}

StoreConnection::StoreConnection(sqlite3 *db)
    : db_(db), deadline_(std::chrono::steady_clock::now() + kStoreWait) {
    sqlite3_busy_handler(db_, &StoreConnection::waitWhileBusy, this);
}

StoreConnection::~StoreConnection() {
    sqlite3_close(db_);
}

int StoreConnection::waitWhileBusy(void *connection, int /*attempts*/) {
    const auto left =
        static_cast<StoreConnection *>(connection)->deadline_ - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero())
        return 0;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kBusyPoll));
    return 1;
}

RegStatus StoreConnection::open(const QByteArray &path, bool forWriting,
                                std::unique_ptr<StoreConnection> &connection) {
    connection.reset();
    if (!IsPlainStorePath(path))
        return ERROR_ACCESS_DENIED;
    struct stat info {};
    const bool exists = ::lstat(path.constData(), &info) == 0;
    if (!exists && !forWriting)
        return ERROR_FILE_NOT_FOUND;
    sqlite3 *db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_EXRESCODE |
                      (forWriting ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.constData(), &db, flags, GuardedVfsName()) != SQLITE_OK) {
        sqlite3_close(db);
        return ERROR_ACCESS_DENIED;
    }
    std::unique_ptr<StoreConnection> opened(new StoreConnection(db));
    const RegStatus shape = checkShape(db);
    if (shape != ERROR_SUCCESS && !(forWriting && shape == ERROR_FILE_NOT_FOUND))
        return shape;
    // Kept in the file: every later connection logs ahead too. A store that
    // cannot switch now keeps its rollback journal.
    if (forWriting)
        exec(db, "PRAGMA journal_mode = WAL");
    connection = std::move(opened);
    return ERROR_SUCCESS;
}

RegStatus StoreConnection::write(const std::function<RegStatus(sqlite3 *)> &work) {
    if (const int rc = exec(db_, "BEGIN IMMEDIATE"); rc != SQLITE_OK)
        return StatusOf(rc);
    RegStatus status = StatusOf(exec(db_, kStoreSchema));
    if (status == ERROR_SUCCESS)
        status = checkShape(db_);
    if (status == ERROR_SUCCESS)
        status = work(db_);
    if (status == ERROR_SUCCESS)
        status = StatusOf(exec(db_, "COMMIT"));
    // The failure is kept from before the rollback, which would clear it.
    if (status != ERROR_SUCCESS)
        exec(db_, "ROLLBACK");
    return status;
}
