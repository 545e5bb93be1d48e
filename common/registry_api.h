#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>

// The five registry calls the program needs, with the machine registry's
// meanings: status 0 is success, handles are opaque numbers and every
// handle a successful open or create hands out must be closed. The names
// live in their own namespace so that a Windows build can include the
// system's headers beside them.
namespace winreg {

using RegHandle = std::uintptr_t;
using RegStatus = long;

inline constexpr RegHandle HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr RegStatus ERROR_SUCCESS = 0;
inline constexpr RegStatus ERROR_FILE_NOT_FOUND = 2;
inline constexpr RegStatus ERROR_ACCESS_DENIED = 5;
inline constexpr RegStatus ERROR_INVALID_HANDLE = 6;
// Another program holds the store; trying again later may succeed.
inline constexpr RegStatus ERROR_BUSY = 170;
inline constexpr RegStatus ERROR_MORE_DATA = 234;
inline constexpr RegStatus ERROR_BADDB = 1009;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_DWORD = 4;
// Read, write and create rights; asked for whenever a key is opened or created.
inline constexpr std::uint32_t KEY_RIGHTS = 0x2003F;

struct RegStringValue {
    QByteArray name;
    QByteArray text;
};

class RegistryApi {
  public:
    virtual ~RegistryApi() = default;

    virtual RegStatus RegOpenKeyExA(RegHandle root, const QByteArray &subKey, std::uint32_t rights,
                                    RegHandle *result) = 0;
    // Creates the key and its missing parents (non-volatile, default security).
    virtual RegStatus RegCreateKeyExA(RegHandle root, const QByteArray &subKey,
                                      std::uint32_t rights, RegHandle *result) = 0;
    // On entry *dataLength is the buffer size. On success it is the stored
    // length; ERROR_MORE_DATA when the buffer is too small.
    virtual RegStatus RegQueryValueExA(RegHandle key, const QByteArray &valueName,
                                       std::uint32_t *type, char *data,
                                       std::uint32_t *dataLength) = 0;
    virtual RegStatus RegSetValueExA(RegHandle key, const QByteArray &valueName, std::uint32_t type,
                                     const char *data, std::uint32_t dataLength) = 0;
    virtual RegStatus RegCloseKey(RegHandle key) = 0;

    // Sets several string values of the key together: all of them or, on
    // failure, none. A store without transactions sets them one by one.
    virtual RegStatus RegSetStringValues(RegHandle key, const QList<RegStringValue> &values) {
        for (const RegStringValue &value : values) {
            const RegStatus status = RegSetValueExA(key, value.name, REG_SZ, value.text.constData(),
                                                    static_cast<std::uint32_t>(value.text.size()));
            if (status != ERROR_SUCCESS)
                return status;
        }
        return ERROR_SUCCESS;
    }
};

} // namespace winreg

// The registry in force: the machine-wide store unless a test installed its
// own.
winreg::RegistryApi &registryApi();
// Installs a replacement (nullptr restores the machine-wide store). Not owned.
void setRegistryApi(winreg::RegistryApi *replacement);
