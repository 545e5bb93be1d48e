#include "program_folder.h"
#include "settings.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <sys/stat.h>

class SettingsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void missingReadsEmpty();
    void roundTripAndDeleteSection();
    void fileFollowsConfigHomeAndIsPrivate();
    void unwritableStoreIsAFailedWrite();
};

void SettingsTest::missingReadsEmpty() {
    ProgramFolder machine;
    QCOMPARE(GetSetting("KestruneRegistration", "Properties", "AppPath"), QByteArray());
    QCOMPARE(DeleteSetting("KestruneRegistration", "Page1"), true);
}

void SettingsTest::roundTripAndDeleteSection() {
    ProgramFolder machine;
    const QByteArray latin1("  Zo\xeb O'Brien, = \"x\" ; [y] / \\ #z @Variant(x)  ", 47);
    QVERIFY(SaveSetting("KestruneRegistration", "Page1", "Name", latin1));
    QVERIFY(SaveSetting("KestruneRegistration", "Page1", "Empty", ""));
    QVERIFY(SaveSetting("KestruneRegistration", "Page2", "Nick", "kes"));
    QCOMPARE(GetSetting("KestruneRegistration", "Page1", "Name"), latin1);
    QCOMPARE(GetSetting("KestruneRegistration", "Page1", "Empty"), QByteArray());
    QVERIFY(DeleteSetting("KestruneRegistration", "Page1"));
    QCOMPARE(GetSetting("KestruneRegistration", "Page1", "Name"), QByteArray());
    QCOMPARE(GetSetting("KestruneRegistration", "Page2", "Nick"), QByteArray("kes"));
}

void SettingsTest::fileFollowsConfigHomeAndIsPrivate() {
    ProgramFolder machine;
    QVERIFY(SaveSetting("KestruneRegistration", "Page3", "Password", "hunter2"));
    const QString file =
        machine.configHome() + QStringLiteral("/Kestrune/KestruneRegistration.ini");
    QCOMPARE(IniSettingsStore::filePath("KestruneRegistration"), file);
    QVERIFY(QFileInfo::exists(file));
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
    // A second machine does not see the first one's settings.
    ProgramFolder other;
    QCOMPARE(GetSetting("KestruneRegistration", "Page3", "Password"), QByteArray());
}

void SettingsTest::unwritableStoreIsAFailedWrite() {
    ProgramFolder machine;
    // The configuration "folder" is a plain file: nothing can be created in it.
    const QString blocker = machine.root() + QStringLiteral("/blocked");
    {
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker));
    QCOMPARE(SaveSetting("KestruneRegistration", "Properties", "AppPath", "/x"), false);
    QCOMPARE(GetSetting("KestruneRegistration", "Properties", "AppPath"), QByteArray());

    // A settings file that is not an INI file reads as empty and is not
    // touched by a read.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(machine.configHome()));
    const QString file = IniSettingsStore::filePath("KestruneRegistration");
    QDir().mkpath(QFileInfo(file).absolutePath());
    {
        QFile junk(file);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray("\x00\x01\xff garbage", 12));
    }
    QCOMPARE(GetSetting("KestruneRegistration", "Properties", "AppPath"), QByteArray());
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "test_settings.moc"
