#include "settings.h"

#include "code_page.h"
#include "private_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

Q_LOGGING_CATEGORY(lcSettings, "kestrune.settings", QtWarningMsg)

// The settings folders and file are the user's alone, whatever the umask:
// the file holds the subscriber's password.
constexpr mode_t kFileMode = 0600;

SettingsStore *gSettingsReplacement = nullptr;

QString keyPath(const QByteArray &section, const QByteArray &key) {
    return QString::fromLatin1(section) + QLatin1Char('/') + QString::fromLatin1(key);
}

// Whether QSettings may be given the file: a plain file within the bound. A
// pipe or device there could block or never end, and taking a huge file
// apart would hold the program up.
bool usable(const struct stat &info, const QString &path) {
    if (!S_ISREG(info.st_mode)) {
        qCWarning(lcSettings) << "not a plain file, left alone:" << path;
        return false;
    }
    if (info.st_size > kSettingsFileLimit) {
        qCWarning(lcSettings) << "larger than" << kSettingsFileLimit << "bytes, left alone:" << path
                              << info.st_size << "bytes";
        return false;
    }
    return true;
}

// A missing file has nothing to read.
bool readable(const QString &path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && usable(info, path);
}

// Makes sure the file exists with owner-only permissions before QSettings
// writes it (QSettings keeps the permissions of the file it replaces); an
// existing file is tightened first, unless it cannot be used: that one is
// left as it is. Only an existing file when create is false. Opened without
// blocking, so that a pipe in its place cannot hold the program.
bool preparePrivateFile(const QString &path, bool create) {
    if (create && !MakePrivateFolder(QFileInfo(path).absolutePath()))
        return false;
    const QByteArray native = QFile::encodeName(path);
    const int fd =
        ::open(native.constData(),
               O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (create ? O_CREAT : 0), kFileMode);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool tight = ::fstat(fd, &info) == 0 && usable(info, path) &&
                       ((info.st_mode & 07777) == kFileMode || ::fchmod(fd, kFileMode) == 0);
    ::close(fd);
    return tight;
}

bool sync(QSettings &settings) {
    settings.sync();
    return settings.status() == QSettings::NoError &&
           QFile::setPermissions(settings.fileName(), QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace

bool SettingsStore::apply(const QByteArray &app, const QList<SettingsChange> &changes) {
    bool kept = true;
    for (const SettingsChange &change : changes) {
        const bool done = change.kind == SettingsChange::Kind::DeleteSection
                              ? deleteSection(app, change.section)
                              : write(app, change.section, change.key, change.value);
        kept = done && kept;
    }
    return kept;
}

std::optional<OversizedSettings> SettingsStore::oversized(const QByteArray & /*app*/) {
    return std::nullopt;
}

QByteArray SettingsStore::readPath(const QByteArray &app, const QByteArray &section,
                                   const QByteArray &key) {
    return QFile::encodeName(FromCodePage(read(app, section, key)));
}

bool SettingsStore::writePath(const QByteArray &app, const QByteArray &section,
                              const QByteArray &key, const QByteArray &path) {
    return write(app, section, key, ToCodePage(QFile::decodeName(path)));
}

QString IniSettingsStore::filePath(const QByteArray &app) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Kestrune/") + QString::fromLatin1(app) + QStringLiteral(".ini");
}

QString IniSettingsStore::readText(const QByteArray &app, const QByteArray &section,
                                   const QByteArray &key) {
    const QString path = filePath(app);
    if (!readable(path))
        return {};
    const QSettings settings(path, QSettings::IniFormat);
    return settings.value(keyPath(section, key)).toString();
}

bool IniSettingsStore::edit(const QByteArray &app, bool create,
                            const std::function<void(QSettings &)> &edits) {
    const QString path = filePath(app);
    if (!create && !QFileInfo::exists(path))
        return true;
    if (!preparePrivateFile(path, create))
        return false;
    QSettings settings(path, QSettings::IniFormat);
    edits(settings);
    return sync(settings);
}

QByteArray IniSettingsStore::read(const QByteArray &app, const QByteArray &section,
                                  const QByteArray &key) {
    return ToCodePage(readText(app, section, key));
}

bool IniSettingsStore::write(const QByteArray &app, const QByteArray &section,
                             const QByteArray &key, const QByteArray &value) {
    return apply(app, {{SettingsChange::Kind::Save, section, key, value}});
}

bool IniSettingsStore::deleteSection(const QByteArray &app, const QByteArray &section) {
    return apply(app, {{SettingsChange::Kind::DeleteSection, section, {}, {}}});
}

bool IniSettingsStore::apply(const QByteArray &app, const QList<SettingsChange> &changes) {
    const bool saves = std::any_of(changes.begin(), changes.end(), [](const SettingsChange &c) {
        return c.kind == SettingsChange::Kind::Save;
    });
    return edit(app, saves, [&](QSettings &settings) {
        for (const SettingsChange &change : changes) {
            if (change.kind == SettingsChange::Kind::DeleteSection)
                settings.remove(QString::fromLatin1(change.section));
            else
                settings.setValue(keyPath(change.section, change.key), FromCodePage(change.value));
        }
    });
}

std::optional<OversizedSettings> IniSettingsStore::oversized(const QByteArray &app) {
    const QString path = filePath(app);
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size <= kSettingsFileLimit)
        return std::nullopt;
    return OversizedSettings{path, info.st_size};
}

QByteArray IniSettingsStore::readPath(const QByteArray &app, const QByteArray &section,
                                      const QByteArray &key) {
    return QFile::encodeName(readText(app, section, key));
}

bool IniSettingsStore::writePath(const QByteArray &app, const QByteArray &section,
                                 const QByteArray &key, const QByteArray &path) {
    return edit(app, true, [&](QSettings &settings) {
        settings.setValue(keyPath(section, key), QFile::decodeName(path));
    });
}

SettingsStore &settingsStore() {
    static IniSettingsStore store;
    return gSettingsReplacement != nullptr ? *gSettingsReplacement : store;
}

void setSettingsStore(SettingsStore *replacement) {
    gSettingsReplacement = replacement;
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

void SettingsWriter::save(const QByteArray &section, const QByteArray &key,
                          const QByteArray &value) {
    changes_.append({SettingsChange::Kind::Save, section, key, value});
}

void SettingsWriter::deleteSection(const QByteArray &section) {
    changes_.append({SettingsChange::Kind::DeleteSection, section, {}, {}});
}

bool SettingsWriter::commit() const {
    return changes_.isEmpty() || settingsStore().apply(app_, changes_);
}

std::optional<OversizedSettings> OversizedSettingsFile(const QByteArray &app) {
    return settingsStore().oversized(app);
}

QByteArray GetPathSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key) {
    return settingsStore().readPath(app, section, key);
}

bool SavePathSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                     const QByteArray &path) {
    return settingsStore().writePath(app, section, key, path);
}
