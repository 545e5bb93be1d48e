#pragma once

#include <QByteArray>
#include <QString>

// The per-user settings store, addressed by application, section and key.
// Texts are byte strings. A missing key reads as an empty text.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual QByteArray read(const QByteArray &app, const QByteArray &section,
                            const QByteArray &key) = 0;
    virtual bool write(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                       const QByteArray &value) = 0;
    virtual bool deleteSection(const QByteArray &app, const QByteArray &section) = 0;
};

// One INI file per application under the user's configuration folder
// ($XDG_CONFIG_HOME/Kestrune/<application>.ini on Linux), readable by its
// owner only: it holds the subscriber's password.
class IniSettingsStore final : public SettingsStore {
  public:
    static QString filePath(const QByteArray &app);

    QByteArray read(const QByteArray &app, const QByteArray &section,
                    const QByteArray &key) override;
    bool write(const QByteArray &app, const QByteArray &section, const QByteArray &key,
               const QByteArray &value) override;
    bool deleteSection(const QByteArray &app, const QByteArray &section) override;
};

// The store in force; the INI one unless a test installed its own.
SettingsStore &settingsStore();
void setSettingsStore(SettingsStore *replacement);

QByteArray GetSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key);
bool SaveSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                 const QByteArray &value);
bool DeleteSetting(const QByteArray &app, const QByteArray &section);
