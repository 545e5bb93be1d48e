#pragma once

#include "registry_api.h"

#include <QString>
#include <map>
#include <memory>

class StoreConnection;

// The machine-wide registry kept in one SQLite database file (its tables in
// store_schema.h). Key and value names compare without regard to letter
// case; values keep their type and raw bytes. Every handle owns its own
// connection, so several processes can read and write the file at once;
// SQLite's locking and log keep each write whole even when a writer is
// killed. The file is used only when no other user could have written it
// (store_guard.h), and no call waits for a busy store longer than about a
// second (store_connection.h).
class SqliteRegistry final : public winreg::RegistryApi {
    using RegHandle = winreg::RegHandle;
    using RegStatus = winreg::RegStatus;

  public:
    // Database path: $KESTRUNE_REGISTRY, else the machine-wide default.
    static QString storePath();

    SqliteRegistry();
    ~SqliteRegistry() override;
    SqliteRegistry(const SqliteRegistry &) = delete;
    SqliteRegistry &operator=(const SqliteRegistry &) = delete;

    RegStatus RegOpenKeyExA(RegHandle root, const QByteArray &subKey, std::uint32_t rights,
                            RegHandle *result) override;
    RegStatus RegCreateKeyExA(RegHandle root, const QByteArray &subKey, std::uint32_t rights,
                              RegHandle *result) override;
    RegStatus RegQueryValueExA(RegHandle key, const QByteArray &valueName, std::uint32_t *type,
                               char *data, std::uint32_t *dataLength) override;
    RegStatus RegSetValueExA(RegHandle key, const QByteArray &valueName, std::uint32_t type,
                             const char *data, std::uint32_t dataLength) override;
    RegStatus RegCloseKey(RegHandle key) override;
    // In one transaction.
    RegStatus RegSetStringValues(RegHandle key,
                                 const QList<winreg::RegStringValue> &values) override;

  private:
    struct OpenKey {
        std::unique_ptr<StoreConnection> connection;
        QByteArray path; // UTF-8 key path as stored
    };

    RegStatus openKey(RegHandle root, const QByteArray &subKey, bool create, RegHandle *result);

    std::map<RegHandle, OpenKey> keys_;
    RegHandle nextHandle_ = 1;
};
