#include "registry.h"

#include "text.h"

#include <array>

using namespace winreg;

namespace {

constexpr std::uint32_t kReadBufferSize = 1024;

RegStatus gLastStatus = ERROR_SUCCESS;

Flag settle(RegStatus status) {
    gLastStatus = status;
    return ToFlag(status == ERROR_SUCCESS);
}

} // namespace

RegStatus RegLastStatus() {
    return gLastStatus;
}

Flag RegReadValue(RegHandle root, const QByteArray &subKey, const QByteArray &valueName,
                  QByteArray &valueText) {
    RegistryApi &api = registryApi();
    RegHandle key = 0;
    RegStatus status = api.RegOpenKeyExA(root, subKey, KEY_RIGHTS, &key);
    if (status != ERROR_SUCCESS) {
        valueText.clear();
        if (key != 0)
            api.RegCloseKey(key);
        return settle(status);
    }
    std::array<char, kReadBufferSize> buffer{};
    std::uint32_t type = 0;
    std::uint32_t length = kReadBufferSize;
    status = api.RegQueryValueExA(key, valueName, &type, buffer.data(), &length);
    if (status != ERROR_SUCCESS) {
        valueText.clear();
        api.RegCloseKey(key);
        return settle(status);
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
    return settle(ERROR_SUCCESS);
}

Flag RegWriteString(RegHandle root, const QByteArray &subKey, const QByteArray &valueName,
                    QByteArray valueText) {
    RegistryApi &api = registryApi();
    RegHandle key = 0;
    const RegStatus created = api.RegCreateKeyExA(root, subKey, KEY_RIGHTS, &key);
    if (created != ERROR_SUCCESS) {
        if (key != 0)
            api.RegCloseKey(key);
        return settle(created);
    }
    if (valueText.isEmpty())
        valueText = " ";
    const RegStatus status = api.RegSetValueExA(key, valueName, REG_SZ, valueText.constData(),
                                                static_cast<std::uint32_t>(valueText.size()));
    api.RegCloseKey(key);
    return settle(status);
}

Flag RegWriteStrings(RegHandle root, const QByteArray &subKey, QList<RegStringValue> values) {
    RegistryApi &api = registryApi();
    RegHandle key = 0;
    RegStatus status = api.RegCreateKeyExA(root, subKey, KEY_RIGHTS, &key);
    if (status == ERROR_SUCCESS) {
        for (RegStringValue &value : values) {
            if (value.text.isEmpty())
                value.text = " ";
        }
        status = api.RegSetStringValues(key, values);
    }
    if (key != 0)
        api.RegCloseKey(key);
    return settle(status);
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
    command2.clear();
    if (RegReadValue(HKEY_LOCAL_MACHINE, kServiceKey, kCommand1Value, command1) == kFalse)
        command1.clear();
    if (RegLastStatus() == ERROR_BUSY)
        return;
    if (RegReadValue(HKEY_LOCAL_MACHINE, kServiceKey, kCommand2Value, command2) == kFalse)
        command2.clear();
}
