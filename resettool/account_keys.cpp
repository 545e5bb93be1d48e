#include "account_keys.h"

#include "registry.h"
#include "text.h"

QByteArray AccountKeyText(const char *valueName) {
    QByteArray value;
    if (RegReadValue(winreg::HKEY_LOCAL_MACHINE, kServiceKey, valueName, value) == kFalse)
        return kNotRegistered;
    return value;
}

bool StoreAccountKeys(const QByteArray &userName, const QByteArray &password) {
    return RegWriteString(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kCommand1Value,
                          Trim(userName)) != kFalse &&
           RegWriteString(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kCommand2Value,
                          Trim(password)) != kFalse;
}
