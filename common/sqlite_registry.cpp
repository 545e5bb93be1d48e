#include "sqlite_registry.h"

#include <QFile>
#include <QList>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#ifndef KESTRUNE_REGISTRY_PATH
#define KESTRUNE_REGISTRY_PATH "/var/lib/kestrune/registry.db"
#endif

using namespace winreg;

namespace {

constexpr int kBusyTimeoutMs = 10000;

const char *const kSchema = "CREATE TABLE IF NOT EXISTS reg_keys("
                            " path TEXT PRIMARY KEY COLLATE NOCASE) WITHOUT ROWID;"
                            "CREATE TABLE IF NOT EXISTS reg_values("
                            " key TEXT NOT NULL COLLATE NOCASE,"
                            " name TEXT NOT NULL COLLATE NOCASE,"
                            " type INTEGER NOT NULL,"
                            " data BLOB NOT NULL,"
                            " PRIMARY KEY(key, name)) WITHOUT ROWID;";

// Names are byte strings; the store keeps them as UTF-8 text so that the
// games client and the sqlite3 shell can query them as ordinary text.
QByteArray toStored(const QByteArray &latin1) {
    return QString::fromLatin1(latin1).toUtf8();
}

// Builds the full key paths from the root down: "HKEY_LOCAL_MACHINE",
// "HKEY_LOCAL_MACHINE\SOFTWARE", ... Empty components are skipped.
QList<QByteArray> keyPaths(RegHandle root, const QByteArray &subKey) {
    QList<QByteArray> paths{QByteArrayLiteral("HKEY_LOCAL_MACHINE")};
    if (root != HKEY_LOCAL_MACHINE)
        return {};
    for (const QByteArray &part : subKey.split('\\')) {
        if (!part.isEmpty())
            paths.append(paths.last() + '\\' + toStored(part));
    }
    return paths;
}

// A store the program creates is private to its user: it holds the account's
// login texts. SQLite gives its journal the database file's permissions.
bool createPrivateFile(const QByteArray &path) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST;
    ::close(fd);
    return true;
}

sqlite3 *openDatabase(bool create) {
    const QByteArray path = QFile::encodeName(SqliteRegistry::storePath());
    if (create && !createPrivateFile(path))
        return nullptr;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return db;
}

// One prepared statement, finalised when it goes out of scope.
class Statement {
  public:
    Statement(sqlite3 *db, const char *sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool ok() const { return stmt_ != nullptr; }
    void bindText(int index, const QByteArray &text) {
        sqlite3_bind_text(stmt_, index, text.constData(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    }
    void bindBlob(int index, const char *data, std::uint32_t length) {
        // An empty blob must still be a blob, not NULL.
        static const char empty = 0;
        sqlite3_bind_blob(stmt_, index, length == 0 ? &empty : data, static_cast<int>(length),
                          SQLITE_TRANSIENT);
    }
    void bindInt(int index, std::int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
    int step() { return sqlite3_step(stmt_); }
    sqlite3_stmt *get() const { return stmt_; }

  private:
    sqlite3_stmt *stmt_ = nullptr;
};

bool exec(sqlite3 *db, const char *sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

RegStatus statusOf(int sqliteCode) {
    switch (sqliteCode & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return ERROR_BADDB;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_BADDB;
    }
}

bool keyExists(sqlite3 *db, const QByteArray &path) {
    Statement find(db, "SELECT 1 FROM reg_keys WHERE path = ?1");
    if (!find.ok())
        return false;
    find.bindText(1, path);
    return find.step() == SQLITE_ROW;
}

bool createKeys(sqlite3 *db, const QList<QByteArray> &paths) {
    if (!exec(db, "BEGIN IMMEDIATE"))
        return false;
    bool ok = exec(db, kSchema);
    for (const QByteArray &path : paths) {
        if (!ok)
            break;
        Statement insert(db, "INSERT OR IGNORE INTO reg_keys(path) VALUES (?1)");
        ok = insert.ok();
        if (ok) {
            insert.bindText(1, path);
            ok = insert.step() == SQLITE_DONE;
        }
    }
    if (ok && exec(db, "COMMIT"))
        return true;
    exec(db, "ROLLBACK");
    return false;
}

} // namespace

QString SqliteRegistry::storePath() {
    const QByteArray fromEnv = qgetenv("KESTRUNE_REGISTRY");
    return fromEnv.isEmpty() ? QStringLiteral(KESTRUNE_REGISTRY_PATH) : QFile::decodeName(fromEnv);
}

SqliteRegistry::~SqliteRegistry() {
    for (auto &[handle, key] : keys_)
        sqlite3_close(key.db);
}

RegStatus SqliteRegistry::openKey(RegHandle root, const QByteArray &subKey, bool create,
                                  RegHandle *result) {
    *result = 0;
    const QList<QByteArray> paths = keyPaths(root, subKey);
    if (paths.isEmpty())
        return ERROR_INVALID_HANDLE;
    sqlite3 *db = openDatabase(create);
    if (db == nullptr)
        return create ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
    const bool found = create ? createKeys(db, paths) : keyExists(db, paths.last());
    if (!found) {
        const RegStatus status = create ? statusOf(sqlite3_errcode(db)) : ERROR_FILE_NOT_FOUND;
        sqlite3_close(db);
        return status;
    }
    *result = nextHandle_++;
    keys_[*result] = OpenKey{db, paths.last()};
    return ERROR_SUCCESS;
}

RegStatus SqliteRegistry::RegOpenKeyExA(RegHandle root, const QByteArray &subKey,
                                        std::uint32_t /*rights*/, RegHandle *result) {
    return openKey(root, subKey, false, result);
}

RegStatus SqliteRegistry::RegCreateKeyExA(RegHandle root, const QByteArray &subKey,
                                          std::uint32_t /*rights*/, RegHandle *result) {
    return openKey(root, subKey, true, result);
}

RegStatus SqliteRegistry::RegQueryValueExA(RegHandle key, const QByteArray &valueName,
                                           std::uint32_t *type, char *data,
                                           std::uint32_t *dataLength) {
    const auto it = keys_.find(key);
    if (it == keys_.end())
        return ERROR_INVALID_HANDLE;
    Statement query(it->second.db,
                    "SELECT type, data FROM reg_values WHERE key = ?1 AND name = ?2");
    if (!query.ok())
        return statusOf(sqlite3_errcode(it->second.db));
    query.bindText(1, it->second.path);
    query.bindText(2, toStored(valueName));
    const int rc = query.step();
    if (rc == SQLITE_DONE)
        return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW)
        return statusOf(rc);
    const auto stored = static_cast<std::uint32_t>(sqlite3_column_bytes(query.get(), 1));
    const void *bytes = sqlite3_column_blob(query.get(), 1);
    if (type != nullptr)
        *type = static_cast<std::uint32_t>(sqlite3_column_int64(query.get(), 0));
    const std::uint32_t room = *dataLength;
    *dataLength = stored;
    if (stored > room)
        return ERROR_MORE_DATA;
    if (stored > 0)
        std::memcpy(data, bytes, stored);
    return ERROR_SUCCESS;
}

RegStatus SqliteRegistry::RegSetValueExA(RegHandle key, const QByteArray &valueName,
                                         std::uint32_t type, const char *data,
                                         std::uint32_t dataLength) {
    const auto it = keys_.find(key);
    if (it == keys_.end())
        return ERROR_INVALID_HANDLE;
    Statement upsert(it->second.db, "INSERT OR REPLACE INTO reg_values(key, name, type, data)"
                                    " VALUES (?1, ?2, ?3, ?4)");
    if (!upsert.ok())
        return statusOf(sqlite3_errcode(it->second.db));
    upsert.bindText(1, it->second.path);
    upsert.bindText(2, toStored(valueName));
    upsert.bindInt(3, type);
    upsert.bindBlob(4, data, dataLength);
    const int rc = upsert.step();
    return rc == SQLITE_DONE ? ERROR_SUCCESS : statusOf(rc);
}

RegStatus SqliteRegistry::RegCloseKey(RegHandle key) {
    const auto it = keys_.find(key);
    if (it == keys_.end())
        return ERROR_INVALID_HANDLE;
    sqlite3_close(it->second.db);
    keys_.erase(it);
    return ERROR_SUCCESS;
}

namespace {
RegistryApi *gReplacement = nullptr;
} // namespace

RegistryApi &registryApi() {
    static SqliteRegistry registry;
    return gReplacement != nullptr ? *gReplacement : registry;
}

void setRegistryApi(RegistryApi *replacement) {
    gReplacement = replacement;
}
