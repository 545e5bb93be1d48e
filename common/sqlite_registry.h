#pragma once

#include "registry_api.h"

#include <QString>
#include <map>

struct sqlite3;

// The machine-wide registry kept in one SQLite database file. Key and value
// names compare without regard to letter case; values keep their type and
// raw bytes. Every handle owns its own connection, so several processes can
// read and write the file at once; SQLite's locking and journal keep each
// write whole even when a writer is killed.
//
// Schema:
//   reg_keys(path)                     full key path, e.g.
//                                      HKEY_LOCAL_MACHINE\SOFTWARE\...
//   reg_values(key, name, type, data)  data is the value's raw bytes
class SqliteRegistry final : public winreg::RegistryApi {
    using RegHandle = winreg::RegHandle;
    using RegStatus = winreg::RegStatus;

  public:
    // Database path: $KESTRUNE_REGISTRY, else the machine-wide default.
    static QString storePath();

    ~SqliteRegistry() override;

    RegStatus RegOpenKeyExA(RegHandle root, const QByteArray &subKey, std::uint32_t rights,
                            RegHandle *result) override;
    RegStatus RegCreateKeyExA(RegHandle root, const QByteArray &subKey, std::uint32_t rights,
                              RegHandle *result) override;
    RegStatus RegQueryValueExA(RegHandle key, const QByteArray &valueName, std::uint32_t *type,
                               char *data, std::uint32_t *dataLength) override;
    RegStatus RegSetValueExA(RegHandle key, const QByteArray &valueName, std::uint32_t type,
                             const char *data, std::uint32_t dataLength) override;
    RegStatus RegCloseKey(RegHandle key) override;

  private:
    struct OpenKey {
        sqlite3 *db = nullptr;
        QByteArray path; // UTF-8 key path as stored
    };

    RegStatus openKey(RegHandle root, const QByteArray &subKey, bool create, RegHandle *result);

    std::map<RegHandle, OpenKey> keys_;
    RegHandle nextHandle_ = 1;
};
