#pragma once

#include <QByteArray>
#include <QString>

// The per-user settings store, addressed by application, section and key.
// Texts are byte strings in the code page; paths are byte strings in the
// file system's encoding. A missing key reads as an empty text.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual QByteArray read(const QByteArray &app, const QByteArray &section,
                            const QByteArray &key) = 0;
    virtual bool write(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                       const QByteArray &value) = 0;
    virtual bool deleteSection(const QByteArray &app, const QByteArray &section) = 0;

    // A store that keeps code-page texts only keeps the path as one: a
    // character the code page lacks is lost.
    virtual QByteArray readPath(const QByteArray &app, const QByteArray &section,
                                const QByteArray &key);
    virtual bool writePath(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                           const QByteArray &path);
};

// One INI file per application under the user's configuration folder
// ($XDG_CONFIG_HOME/Kestrune/<application>.ini on Linux), readable by its
// owner only: it holds the subscriber's password. Its texts are the
// settings' characters (UTF-8 in the file), paths as they read.
class IniSettingsStore final : public SettingsStore {
  public:
    static QString filePath(const QByteArray &app);

    QByteArray read(const QByteArray &app, const QByteArray &section,
                    const QByteArray &key) override;
    bool write(const QByteArray &app, const QByteArray &section, const QByteArray &key,
               const QByteArray &value) override;
    bool deleteSection(const QByteArray &app, const QByteArray &section) override;
    QByteArray readPath(const QByteArray &app, const QByteArray &section,
                        const QByteArray &key) override;
    bool writePath(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                   const QByteArray &path) override;

  private:
    static QString readText(const QByteArray &app, const QByteArray &section,
                            const QByteArray &key);
    static bool writeText(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                          const QString &value);
};

// The store in force; the INI one unless a test installed its own.
SettingsStore &settingsStore();
void setSettingsStore(SettingsStore *replacement);

QByteArray GetSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key);
bool SaveSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                 const QByteArray &value);
bool DeleteSetting(const QByteArray &app, const QByteArray &section);

// A setting that holds a path, read and written in the file system's
// encoding: a folder whose name is not ASCII is kept as it reads.
QByteArray GetPathSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key);
bool SavePathSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                     const QByteArray &path);
