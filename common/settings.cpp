#include "settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <fcntl.h>
#include <unistd.h>

namespace {

SettingsStore *gReplacement = nullptr;

QString keyPath(const QByteArray &section, const QByteArray &key) {
    return QString::fromLatin1(section) + QLatin1Char('/') + QString::fromLatin1(key);
}

// Makes sure the file exists with owner-only permissions before QSettings
// writes it; QSettings keeps the permissions of the file it replaces.
bool preparePrivateFile(const QString &path) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

bool sync(QSettings &settings) {
    settings.sync();
    return settings.status() == QSettings::NoError &&
           QFile::setPermissions(settings.fileName(), QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace

QString IniSettingsStore::filePath(const QByteArray &app) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Kestrune/") + QString::fromLatin1(app) + QStringLiteral(".ini");
}

QByteArray IniSettingsStore::read(const QByteArray &app, const QByteArray &section,
                                  const QByteArray &key) {
    const QSettings settings(filePath(app), QSettings::IniFormat);
    return settings.value(keyPath(section, key)).toString().toLatin1();
}

bool IniSettingsStore::write(const QByteArray &app, const QByteArray &section,
                             const QByteArray &key, const QByteArray &value) {
    const QString path = filePath(app);
    if (!preparePrivateFile(path))
        return false;
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(keyPath(section, key), QString::fromLatin1(value));
    return sync(settings);
}

bool IniSettingsStore::deleteSection(const QByteArray &app, const QByteArray &section) {
    const QString path = filePath(app);
    if (!QFileInfo::exists(path))
        return true;
    QSettings settings(path, QSettings::IniFormat);
    settings.remove(QString::fromLatin1(section));
    return sync(settings);
}

SettingsStore &settingsStore() {
    static IniSettingsStore store;
    return gReplacement != nullptr ? *gReplacement : store;
}

void setSettingsStore(SettingsStore *replacement) {
    gReplacement = replacement;
}

QByteArray GetSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key) {
    return settingsStore().read(app, section, key);
}

bool SaveSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                 const QByteArray &value) {
    return settingsStore().write(app, section, key, value);
}

bool DeleteSetting(const QByteArray &app, const QByteArray &section) {
    return settingsStore().deleteSection(app, section);
}
