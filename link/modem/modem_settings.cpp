#include "modem_settings.h"

#include "code_page.h"
#include "numbered_key.h"
#include "settings.h"
#include "startup.h"
#include "text.h"

#include <QFile>
#include <QSerialPortInfo>
#include <algorithm>

namespace {

QByteArray ReadModemSetting(const char *key, int number) {
    return Trim(GetSetting(kSettingsApp, kModemSection, NumberedKey(key, number)));
}

QList<ModemEntry> ListedModems() {
    QList<ModemEntry> modems;
    for (int number = 1; number <= kMostListedModems; ++number) {
        const QByteArray device = ReadModemSetting("Device", number);
        if (device.isEmpty())
            break;
        QByteArray init = ReadModemSetting("Init", number);
        if (init.isEmpty())
            init = kDefaultInitString;
        modems.append({device, device, init, number});
    }
    return modems;
}

} // namespace

QList<ModemEntry> ListModems() {
    QList<ModemEntry> modems = ListedModems();
    QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    std::sort(ports.begin(), ports.end(), [](const QSerialPortInfo &a, const QSerialPortInfo &b) {
        return a.systemLocation() < b.systemLocation();
    });
    for (const QSerialPortInfo &port : ports) {
        const QByteArray device = QFile::encodeName(port.systemLocation());
        const bool listed = std::any_of(modems.begin(), modems.end(),
                                        [&](const ModemEntry &m) { return m.device == device; });
        if (listed)
            continue;
        QByteArray name = device;
        if (!port.description().isEmpty())
            name += " (" + ToCodePage(port.description()) + ')';
        modems.append({name, device, kDefaultInitString, 0});
    }
    return modems;
}

bool IsInitString(const QByteArray &text) {
    return text.size() <= kLongestInitString &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

int SaveModem(const ModemEntry &modem, const QByteArray &device, const QByteArray &initString) {
    const int listedCount = static_cast<int>(ListedModems().size());
    int number = modem.listed;
    if (number < 1 || number > listedCount) {
        if (listedCount == kMostListedModems)
            return -1;
        number = listedCount + 1;
    }
    SettingsWriter writer(kSettingsApp);
    writer.save(kModemSection, NumberedKey("Device", number), device);
    writer.save(kModemSection, NumberedKey("Init", number), initString);
    return writer.commit() ? number - 1 : -1;
}
