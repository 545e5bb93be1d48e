#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QSettings;

// The most a settings file may hold. Ours stay within a few kilobytes; a
// larger one is neither read nor written, as taking it apart would hold the
// program up for seconds and swamp its memory.
inline constexpr qint64 kSettingsFileLimit = 1024 * 1024;

// A settings file over kSettingsFileLimit: where it is and its size.
struct OversizedSettings {
    QString file;
    qint64 size = 0;
};

// One change to an application's settings: a text stored under a key, or a
// whole section removed.
struct SettingsChange {
    enum class Kind { Save, DeleteSection };
    Kind kind = Kind::Save;
    QByteArray section;
    QByteArray key;
    QByteArray value;
};

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

    // Makes the changes in their order; true when every one was kept. This
    // one makes them one at a time.
    virtual bool apply(const QByteArray &app, const QList<SettingsChange> &changes);

    // Set when the application's settings are kept in a file too large to
    // be used; looked at without reading the file. None here.
    virtual std::optional<OversizedSettings> oversized(const QByteArray &app);

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
// settings' characters (UTF-8 in the file), paths as they read. A file over
// kSettingsFileLimit, or anything but a plain file, reads as empty and is
// left as it is: every write to it fails. Each write, and each apply
// however many changes it holds, replaces the file once, whole: it holds
// either all the changes or none.
class IniSettingsStore final : public SettingsStore {
  public:
    static QString filePath(const QByteArray &app);

    QByteArray read(const QByteArray &app, const QByteArray &section,
                    const QByteArray &key) override;
    bool write(const QByteArray &app, const QByteArray &section, const QByteArray &key,
               const QByteArray &value) override;
    bool deleteSection(const QByteArray &app, const QByteArray &section) override;
    bool apply(const QByteArray &app, const QList<SettingsChange> &changes) override;
    std::optional<OversizedSettings> oversized(const QByteArray &app) override;
    QByteArray readPath(const QByteArray &app, const QByteArray &section,
                        const QByteArray &key) override;
    bool writePath(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                   const QByteArray &path) override;

  private:
    static QString readText(const QByteArray &app, const QByteArray &section,
                            const QByteArray &key);
    // Makes the edits in one QSettings and writes the file once; create
    // says whether a missing file is made for them.
    static bool edit(const QByteArray &app, bool create,
                     const std::function<void(QSettings &)> &edits);
};

// The store in force; the INI one unless a test installed its own.
SettingsStore &settingsStore();
void setSettingsStore(SettingsStore *replacement);

QByteArray GetSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key);
bool SaveSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                 const QByteArray &value);
bool DeleteSetting(const QByteArray &app, const QByteArray &section);

// Changes to one application's settings, collected and then made at once,
// in the order given: the settings file is written once however many keys
// change.
class SettingsWriter {
  public:
    explicit SettingsWriter(QByteArray app) : app_(std::move(app)) {}
    void save(const QByteArray &section, const QByteArray &key, const QByteArray &value);
    void deleteSection(const QByteArray &section);
    // True when the store kept every change.
    bool commit() const;

  private:
    QByteArray app_;
    QList<SettingsChange> changes_;
};

// Set when the application's settings file is too large to be used.
std::optional<OversizedSettings> OversizedSettingsFile(const QByteArray &app);

// A setting that holds a path, read and written in the file system's
// encoding: a folder whose name is not ASCII is kept as it reads.
QByteArray GetPathSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key);
bool SavePathSetting(const QByteArray &app, const QByteArray &section, const QByteArray &key,
                     const QByteArray &path);
