#include "sqlite_registry.h"

#include "sqlite_statement.h"
#include "store_connection.h"

#include <QFile>
#include <cstring>

#ifndef KESTRUNE_REGISTRY_PATH
#define KESTRUNE_REGISTRY_PATH "/var/lib/kestrune/registry.db"
#endif

using namespace winreg;

namespace {

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

RegStatus findKey(sqlite3 *db, const QByteArray &path) {
    Statement find(db, "SELECT 1 FROM reg_keys WHERE path = ?1");
    if (!find.ok())
        return StatusOf(find.prepared());
    find.bindText(1, path);
    const int rc = find.step();
    return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : StatusOf(rc);
}

RegStatus createKeys(sqlite3 *db, const QList<QByteArray> &paths) {
    for (const QByteArray &path : paths) {
        Statement insert(db, "INSERT OR IGNORE INTO reg_keys(path) VALUES (?1)");
        if (!insert.ok())
            return StatusOf(insert.prepared());
        insert.bindText(1, path);
        if (const int rc = insert.step(); rc != SQLITE_DONE)
            return StatusOf(rc);
    }
    return ERROR_SUCCESS;
}

RegStatus setValue(sqlite3 *db, const QByteArray &keyPath, const QByteArray &valueName,
                   std::uint32_t type, const char *data, std::uint32_t dataLength) {
    Statement upsert(db, "INSERT OR REPLACE INTO reg_values(key, name, type, data)"
                         " VALUES (?1, ?2, ?3, ?4)");
    if (!upsert.ok())
        return StatusOf(upsert.prepared());
    upsert.bindText(1, keyPath);
    upsert.bindText(2, toStored(valueName));
    upsert.bindInt(3, type);
    upsert.bindBlob(4, data, dataLength);
    const int rc = upsert.step();
    return rc == SQLITE_DONE ? ERROR_SUCCESS : StatusOf(rc);
}

} // namespace

QString SqliteRegistry::storePath() {
    const QByteArray fromEnv = qgetenv("KESTRUNE_REGISTRY");
    return fromEnv.isEmpty() ? QStringLiteral(KESTRUNE_REGISTRY_PATH) : QFile::decodeName(fromEnv);
}

SqliteRegistry::SqliteRegistry() = default;
SqliteRegistry::~SqliteRegistry() = default;

RegStatus SqliteRegistry::openKey(RegHandle root, const QByteArray &subKey, bool create,
                                  RegHandle *result) {
    *result = 0;
    const QList<QByteArray> paths = keyPaths(root, subKey);
    if (paths.isEmpty())
        return ERROR_INVALID_HANDLE;
    std::unique_ptr<StoreConnection> connection;
    RegStatus status = StoreConnection::open(QFile::encodeName(storePath()), create, connection);
    if (status == ERROR_SUCCESS && create)
        status = connection->write([&paths](sqlite3 *db) { return createKeys(db, paths); });
    else if (status == ERROR_SUCCESS)
        status = findKey(connection->db(), paths.last());
    if (status != ERROR_SUCCESS)
        return status;
    *result = nextHandle_++;
    keys_[*result] = OpenKey{std::move(connection), paths.last()};
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
    Statement query(it->second.connection->db(),
                    "SELECT type, data FROM reg_values WHERE key = ?1 AND name = ?2");
    if (!query.ok())
        return StatusOf(query.prepared());
    query.bindText(1, it->second.path);
    query.bindText(2, toStored(valueName));
    const int rc = query.step();
    if (rc == SQLITE_DONE)
        return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW)
        return StatusOf(rc);
    const QByteArray stored = query.columnBytes(1);
    if (type != nullptr)
        *type = static_cast<std::uint32_t>(query.columnInt(0));
    const std::uint32_t room = *dataLength;
    *dataLength = static_cast<std::uint32_t>(stored.size());
    if (*dataLength > room)
        return ERROR_MORE_DATA;
    if (!stored.isEmpty())
        std::memcpy(data, stored.constData(), stored.size());
    return ERROR_SUCCESS;
}

RegStatus SqliteRegistry::RegSetValueExA(RegHandle key, const QByteArray &valueName,
                                         std::uint32_t type, const char *data,
                                         std::uint32_t dataLength) {
    const auto it = keys_.find(key);
    if (it == keys_.end())
        return ERROR_INVALID_HANDLE;
    const QByteArray &path = it->second.path;
    return it->second.connection->write(
        [&](sqlite3 *db) { return setValue(db, path, valueName, type, data, dataLength); });
}

RegStatus SqliteRegistry::RegSetStringValues(RegHandle key, const QList<RegStringValue> &values) {
    const auto it = keys_.find(key);
    if (it == keys_.end())
        return ERROR_INVALID_HANDLE;
    const QByteArray &path = it->second.path;
    return it->second.connection->write([&](sqlite3 *db) {
        for (const RegStringValue &value : values) {
            const RegStatus status = setValue(db, path, value.name, REG_SZ, value.text.constData(),
                                              static_cast<std::uint32_t>(value.text.size()));
            if (status != ERROR_SUCCESS)
                return status;
        }
        return ERROR_SUCCESS;
    });
}

RegStatus SqliteRegistry::RegCloseKey(RegHandle key) {
    return keys_.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

namespace {
RegistryApi *gRegistryReplacement = nullptr;
} // namespace

RegistryApi &registryApi() {
    static SqliteRegistry registry;
    return gRegistryReplacement != nullptr ? *gRegistryReplacement : registry;
}

void setRegistryApi(RegistryApi *replacement) {
    gRegistryReplacement = replacement;
}
