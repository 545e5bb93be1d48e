#include "registry.h"

#include "text.h"

#include <array>

using namespace winreg;

namespace {
constexpr std::uint32_t kReadBufferSize = 1024;
}

Flag RegReadValue(RegHandle root, const QByteArray &subKey, const QByteArray &valueName,
                  QByteArray &valueText) {
    RegistryApi &api = registryApi();
    RegHandle key = 0;
    if (api.RegOpenKeyExA(root, subKey, KEY_RIGHTS, &key) != ERROR_SUCCESS) {
        valueText.clear();
        if (key != 0)
            api.RegCloseKey(key);
        return kFalse;
    }
    std::array<char, kReadBufferSize> buffer{};
    std::uint32_t type = 0;
    std::uint32_t length = kReadBufferSize;
    if (api.RegQueryValueExA(key, valueName, &type, buffer.data(), &length) != ERROR_SUCCESS) {
        valueText.clear();
        api.RegCloseKey(key);
        return kFalse;
    }
    QByteArray bytes(buffer.data(), static_cast<qsizetype>(length));
    if (!bytes.isEmpty() && bytes.back() == '\0')
        bytes.chop(1);
    if (type == REG_SZ) {
        valueText = bytes;
    } else if (type == REG_DWORD) {
        std::uint32_t number = 0;
        for (qsizetype i = 0; i < 4 && i < bytes.size(); ++i)
            number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
        valueText = QByteArray::number(number);
    }
    api.RegCloseKey(key);
    return kTrue;
}

Flag RegWriteString(RegHandle root, const QByteArray &subKey, const QByteArray &valueName,
                    QByteArray valueText) {
    RegistryApi &api = registryApi();
    RegHandle key = 0;
    if (api.RegCreateKeyExA(root, subKey, KEY_RIGHTS, &key) != ERROR_SUCCESS) {
        if (key != 0)
            api.RegCloseKey(key);
        return kFalse;
    }
    if (valueText.isEmpty())
        valueText = " ";
    const RegStatus status = api.RegSetValueExA(key, valueName, REG_SZ, valueText.constData(),
                                                static_cast<std::uint32_t>(valueText.size()));
    api.RegCloseKey(key);
    return ToFlag(status == ERROR_SUCCESS);
}

Flag GetDialNumber(QByteArray &number) {
    QByteArray value;
    if (RegReadValue(HKEY_LOCAL_MACHINE, kServiceKey, kDialNumberValue, value) != kFalse &&
        !Trim(value).isEmpty()) {
        number = value;
        return kTrue;
    }
    number.clear();
    return kFalse;
}

void ReadServerCommands(QByteArray &command1, QByteArray &command2) {
    if (RegReadValue(HKEY_LOCAL_MACHINE, kServiceKey, kCommand1Value, command1) == kFalse)
        command1.clear();
    if (RegReadValue(HKEY_LOCAL_MACHINE, kServiceKey, kCommand2Value, command2) == kFalse)
        command2.clear();
}
