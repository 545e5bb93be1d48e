#include "file_writes.h"
#include "program_folder.h"
#include "settings.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kApp = "KestruneRegistration";

QString settingsFile() {
    return IniSettingsStore::filePath(kApp);
}

// The settings file's bytes; none when it is no plain file, which is not
// opened.
QByteArray fileText() {
    QFile file(settingsFile());
    return QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll()
                                                                      : QByteArray();
}

mode_t modeOf(const QString &path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

// A settings file of the given size whose first page holds a first name;
// the rest is short keys of a section of its own.
bool writeSettingsFile(const QString &path, qint64 size) {
    QByteArray text = "[Page1]\nFirstName=Mary\n\n[Notes]\n";
    for (int line = 0; text.size() < size; ++line)
        text += "Note" + QByteArray::number(line) + "=" + QByteArray(40, 'n') + '\n';
    text.truncate(size);
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly) &&
           file.write(text) == text.size();
}

constexpr auto kSave = SettingsChange::Kind::Save;

// The changes of a save: pages stored over older ones, a section taken out
// and made anew.
const QList<SettingsChange> kChanges{{kSave, "Page1", "FirstName", "Mary"},
                                     {kSave, "Page1", "SurName", "O'Brien"},
                                     {kSave, "Page2", "Connection", "0"},
                                     {kSave, "Page2", "ConnectPh", "02 7010 5678\tSydney"},
                                     {kSave, "Page3", "CV", "two\r\nlines"},
                                     {kSave, "Page4", "HeardAbout", ""},
                                     {SettingsChange::Kind::DeleteSection, "Location", {}, {}},
                                     {kSave, "Location", "Name", "Cabin"},
                                     {kSave, "Location", "Current", "1"}};

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() { machine_ = std::make_unique<ProgramFolder>(); }
    void cleanup() { machine_.reset(); }
    void roundTripInAPrivateFile();
    void unwritableOrDamagedStores();
    void changesWrittenAtOnce();
    // What is at the settings file's place, and whether the settings in it are
    // used.
    void unusableFilesLeftAsTheyAre_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("used");
        QTest::newRow("a file of 1 MiB") << u"file"_s << kSettingsFileLimit << true;
        QTest::newRow("a file of 1 MiB and a byte") << u"file"_s << kSettingsFileLimit + 1 << false;
        QTest::newRow("a pipe") << u"pipe"_s << qint64(0) << false;
        QTest::newRow("a folder") << u"folder"_s << qint64(0) << false;
    }
    void unusableFilesLeftAsTheyAre();

  private:
    std::unique_ptr<ProgramFolder> machine_;
};

// Texts read back as saved, from a file kept private under any umask and
// tightened again before a password goes in or a section is taken out; the
// file shows Windows-1252 texts and folders named in UTF-8 as UTF-8.
void SettingsTest::roundTripInAPrivateFile() {
    QCOMPARE(GetSetting(kApp, "Properties", "AppPath"), QByteArray());
    const QByteArray latin1("  Zo\xeb O'Brien, = \"x\" ; [y] / \\ #z @Variant(x)  ", 47);
    const mode_t umask = ::umask(0);
    QVERIFY(SaveSetting(kApp, "Page1", "Name", latin1));
    ::umask(umask);
    QCOMPARE(modeOf(machine_->configHome() + QStringLiteral("/Kestrune")), 0700u);
    QCOMPARE(modeOf(settingsFile()), 0600u);
    QCOMPARE(GetSetting(kApp, "Page1", "Name"), latin1);
    const QByteArray folder = "/srv/Zo\xc3\xab \xe2\x80\x9cK\xe2\x80\x9d";
    QVERIFY(SaveSetting(kApp, "Properties", "Text", "\x93Zo\xeb\x94 \x96 5\x80"));
    QVERIFY(SavePathSetting(kApp, "Properties", "Folder", folder));
    QVERIFY2(fileText().contains("Folder=/srv/Zoë “K”\nText=“Zoë” – 5€\n"), fileText().constData());
    QCOMPARE(GetSetting(kApp, "Properties", "Text"), QByteArray("\x93Zo\xeb\x94 \x96 5\x80"));
    QCOMPARE(GetPathSetting(kApp, "Properties", "Folder"), folder);
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QVERIFY(QFile::setPermissions(settingsFile(), owner | QFileDevice::ReadOther));
    QVERIFY(SaveSetting(kApp, "Page3", "Password", "secret"));
    QCOMPARE(modeOf(settingsFile()), 0600u);
    QVERIFY(QFile::setPermissions(settingsFile(), owner | QFileDevice::ReadGroup));
    QVERIFY(DeleteSetting(kApp, "Page1"));
    QCOMPARE(modeOf(settingsFile()), 0600u);
    QCOMPARE(GetSetting(kApp, "Page1", "Name"), QByteArray());
    QCOMPARE(GetSetting(kApp, "Page3", "Password"), QByteArray("secret"));
}

void SettingsTest::unwritableOrDamagedStores() {
    // The configuration "folder" is a plain file: nothing can be created in it.
    const QString blocker = machine_->root() + QStringLiteral("/blocked");
    QFile(blocker).open(QIODevice::WriteOnly);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker));
    QVERIFY(!SaveSetting(kApp, "Properties", "AppPath", "/x"));
    QVERIFY(!SavePathSetting(kApp, "Properties", "AppPath", "/x"));
    QCOMPARE(GetSetting(kApp, "Properties", "AppPath"), QByteArray());

    qputenv("XDG_CONFIG_HOME", QFile::encodeName(machine_->configHome()));
    QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
    QFile junk(settingsFile());
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray("\x00\x01\xff garbage", 12));
    junk.close();
    QCOMPARE(GetSetting(kApp, "Properties", "AppPath"), QByteArray());
}

// Changes made at once reach the file in one write, and leave it as the same
// changes made one at a time do: the same sections and keys in the same
// order, the file private.
void SettingsTest::changesWrittenAtOnce() {
    // No file yet, or pages out of order and a section to replace.
    for (const QByteArray &before :
         {QByteArray(),
          QByteArray("[Page3]\nNickName=OLD\n\n[Location]\nName=Office\nName2=Home\n\n"
                     "[Page1]\nZ=1\nFirstName=Old\n")}) {
        QByteArray expected;
        for (const bool atOnce : {false, true}) {
            const ProgramFolder machine;
            QVERIFY(QDir().mkpath(QFileInfo(settingsFile()).absolutePath()));
            if (!before.isEmpty()) {
                QFile file(settingsFile());
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
            }
            FileWrites writes(settingsFile());
            // The store's own way, or key by key as the plain store makes them.
            QVERIFY(atOnce ? settingsStore().apply(kApp, kChanges)
                           : settingsStore().SettingsStore::apply(kApp, kChanges));
            if (atOnce) {
                QCOMPARE(writes.count(), 1);
                QCOMPARE(fileText(), expected);
            } else {
                QCOMPARE_GE(writes.count(), 8);
                expected = fileText();
            }
            QCOMPARE(modeOf(settingsFile()), 0600u);
            QCOMPARE(GetSetting(kApp, "Page2", "ConnectPh"), QByteArray("02 7010 5678\tSydney"));
            QCOMPARE(GetSetting(kApp, "Location", "Name2"), QByteArray());
        }
    }
}

// A file that is too large, or no plain file, is neither read nor written:
// it reads as empty, every write fails, and it keeps its bytes and mode.
void SettingsTest::unusableFilesLeftAsTheyAre() {
    QFETCH(QString, kind);
    QFETCH(qint64, size);
    QFETCH(bool, used);
    const QString path = settingsFile();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    if (kind == u"pipe"_s)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    else if (kind == u"folder"_s)
        QVERIFY(QDir().mkpath(path));
    else
        QVERIFY(writeSettingsFile(path, size));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    const QByteArray bytes = fileText();

    QCOMPARE(GetSetting(kApp, "Page1", "FirstName"), used ? QByteArray("Mary") : QByteArray());
    const std::optional<OversizedSettings> oversized = OversizedSettingsFile(kApp);
    QCOMPARE(oversized.has_value(), size > kSettingsFileLimit);
    if (oversized) {
        QCOMPARE(oversized->file, path);
        QCOMPARE(oversized->size, size);
    }
    // Taking the padding out first leaves room for the rest.
    QCOMPARE(DeleteSetting(kApp, "Notes"), used);
    QCOMPARE(SaveSetting(kApp, "Page3", "Password", "secret"), used);
    QCOMPARE(SavePathSetting(kApp, "Properties", "AppPath", "/opt/kestrune"), used);
    SettingsWriter writer(kApp);
    writer.save("Page1", "FirstName", "Anne");
    QCOMPARE(writer.commit(), used);
    if (used) {
        QCOMPARE(GetSetting(kApp, "Page1", "FirstName"), QByteArray("Anne"));
        QCOMPARE(modeOf(path), 0600u);
        return;
    }
    QCOMPARE(modeOf(path), 0604u);
    QCOMPARE(fileText(), bytes);
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "test_settings.moc"
