#include "program_folder.h"
#include "settings.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <sys/stat.h>

class SettingsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void roundTripInAPrivateFile();
    void unwritableOrDamagedStores();
};

void SettingsTest::roundTripInAPrivateFile() {
    ProgramFolder machine;
    QCOMPARE(GetSetting("KestruneRegistration", "Properties", "AppPath"), QByteArray());
    const QByteArray latin1("  Zo\xeb O'Brien, = \"x\" ; [y] / \\ #z @Variant(x)  ", 47);
    QVERIFY(SaveSetting("KestruneRegistration", "Page1", "Name", latin1));
    QVERIFY(SaveSetting("KestruneRegistration", "Page2", "Nick", "kes"));
    QCOMPARE(GetSetting("KestruneRegistration", "Page1", "Name"), latin1);
    QVERIFY(DeleteSetting("KestruneRegistration", "Page1"));
    QCOMPARE(GetSetting("KestruneRegistration", "Page1", "Name"), QByteArray());
    QCOMPARE(GetSetting("KestruneRegistration", "Page2", "Nick"), QByteArray("kes"));

    const QString file =
        machine.configHome() + QStringLiteral("/Kestrune/KestruneRegistration.ini");
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
}

void SettingsTest::unwritableOrDamagedStores() {
    ProgramFolder machine;
    // The configuration "folder" is a plain file: nothing can be created in it.
    const QString blocker = machine.root() + QStringLiteral("/blocked");
    QFile(blocker).open(QIODevice::WriteOnly);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker));
    QVERIFY(!SaveSetting("KestruneRegistration", "Properties", "AppPath", "/x"));
    QCOMPARE(GetSetting("KestruneRegistration", "Properties", "AppPath"), QByteArray());

    qputenv("XDG_CONFIG_HOME", QFile::encodeName(machine.configHome()));
    const QString file = IniSettingsStore::filePath("KestruneRegistration");
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile junk(file);
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray("\x00\x01\xff garbage", 12));
    junk.close();
    QCOMPARE(GetSetting("KestruneRegistration", "Properties", "AppPath"), QByteArray());
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "test_settings.moc"
