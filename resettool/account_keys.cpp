#include "account_keys.h"

#include "registry.h"
#include "text.h"

std::optional<QByteArray> AccountKeyText(const char *valueName) {
    QByteArray value;
    if (RegReadValue(winreg::HKEY_LOCAL_MACHINE, kServiceKey, valueName, value) != kFalse)
        return value;
    if (RegLastStatus() == winreg::ERROR_BUSY)
        return std::nullopt;
    return kNotRegistered;
}

KeysStored StoreAccountKeys(const QByteArray &userName, const QByteArray &password) {
    if (RegWriteStrings(winreg::HKEY_LOCAL_MACHINE, kServiceKey,
                        {{kCommand1Value, Trim(userName)}, {kCommand2Value, Trim(password)}}) !=
        kFalse)
        return KeysStored::Yes;
    return RegLastStatus() == winreg::ERROR_BUSY ? KeysStored::Busy : KeysStored::No;
}
