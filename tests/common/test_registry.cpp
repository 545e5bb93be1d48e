#include "program_folder.h"
#include "registry.h"
#include "sqlite_registry.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

const QByteArray kKey = kServiceKey;

// Stores a value with an arbitrary type and raw bytes, as other software may.
void storeRaw(const QByteArray &name, std::uint32_t type, const QByteArray &bytes) {
    RegistryApi &api = registryApi();
    RegHandle key = 0;
    QCOMPARE(api.RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, KEY_RIGHTS, &key), ERROR_SUCCESS);
    QCOMPARE(api.RegSetValueExA(key, name, type, bytes.constData(),
                                static_cast<std::uint32_t>(bytes.size())),
             ERROR_SUCCESS);
    api.RegCloseKey(key);
}

QByteArray read(const QByteArray &name, Flag *ok = nullptr) {
    QByteArray value = "untouched";
    const Flag result = RegReadValue(HKEY_LOCAL_MACHINE, kKey, name, value);
    if (ok != nullptr)
        *ok = result;
    return value;
}

QString integrity(const QString &path) {
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr);
    QString result = QStringLiteral("no answer");
    if (sqlite3_step(stmt) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

QString writerProgram() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/registry_writer");
}

} // namespace

class RegistryTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void textsRoundTripAndEmptyIsOneSpace();
    void namesIgnoreLetterCase();
    void trailingZeroByteIsDropped();
    void readLimitIs1024Bytes();
    void numberAndOtherTypes();
    void missingKeyOrStore();
    void dialNumber();
    void createdStoreIsPrivate();
    void badStoreFileIsAFailureNotACrash();
    void concurrentWritersLoseNothing();
    void writerKilledMidTransaction();
    void writerKilledWhileLooping();
};

void RegistryTest::textsRoundTripAndEmptyIsOneSpace() {
    ProgramFolder machine;
    QByteArray latin1("caf\xe9 \x01~\x18", 8);
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "Command1", latin1), kTrue);
    QCOMPARE(read("Command1"), latin1);
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "Command2", ""), kTrue);
    QCOMPARE(read("Command2"), QByteArray(" "));
    // Overwriting replaces the value.
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "Command1", "second"), kTrue);
    QCOMPARE(read("Command1"), QByteArray("second"));
}

void RegistryTest::namesIgnoreLetterCase() {
    ProgramFolder machine;
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE,
                            "software\\CORVANE telecom plc\\kestrune\\servers"
                            "\\KESTRUNE",
                            "command1", "abc"),
             kTrue);
    QCOMPARE(read("COMMAND1"), QByteArray("abc"));
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "Command1", "def"), kTrue);
    QCOMPARE(read("command1"), QByteArray("def"));
    // Creating a key created its parents, which open on their own.
    RegHandle parent = 0;
    QCOMPARE(registryApi().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Corvane Telecom PLC",
                                         KEY_RIGHTS, &parent),
             ERROR_SUCCESS);
    registryApi().RegCloseKey(parent);
}

void RegistryTest::trailingZeroByteIsDropped() {
    ProgramFolder machine;
    storeRaw("WithZero", REG_SZ, QByteArray("abc\0", 4));
    storeRaw("WithoutZero", REG_SZ, "abc");
    storeRaw("TwoZeros", REG_SZ, QByteArray("ab\0\0", 4));
    storeRaw("Empty", REG_SZ, "");
    QCOMPARE(read("WithZero"), QByteArray("abc"));
    QCOMPARE(read("WithoutZero"), QByteArray("abc"));
    QCOMPARE(read("TwoZeros"), QByteArray("ab\0", 3));
    Flag ok = kFalse;
    QCOMPARE(read("Empty", &ok), QByteArray());
    QCOMPARE(ok, kTrue);
}

void RegistryTest::readLimitIs1024Bytes() {
    ProgramFolder machine;
    storeRaw("Fits", REG_SZ, QByteArray(1024, 'x'));
    storeRaw("TooLong", REG_SZ, QByteArray(1025, 'x'));
    QCOMPARE(read("Fits"), QByteArray(1024, 'x'));
    Flag ok = kTrue;
    QCOMPARE(read("TooLong", &ok), QByteArray());
    QCOMPARE(ok, kFalse);
}

void RegistryTest::numberAndOtherTypes() {
    ProgramFolder machine;
    storeRaw("Number", REG_DWORD, QByteArray("\x10\x27\x00\x00", 4));
    storeRaw("Big", REG_DWORD, QByteArray("\xff\xff\xff\xff", 4));
    storeRaw("Binary", 3, "raw");
    QCOMPARE(read("Number"), QByteArray("10000"));
    QCOMPARE(read("Big"), QByteArray("4294967295"));
    Flag ok = kFalse;
    QCOMPARE(read("Binary", &ok), QByteArray("untouched"));
    QCOMPARE(ok, kTrue);
}

void RegistryTest::missingKeyOrStore() {
    ProgramFolder machine;
    // No store file at all: reads fail and nothing is created.
    Flag ok = kTrue;
    QCOMPARE(read("Command1", &ok), QByteArray());
    QCOMPARE(ok, kFalse);
    QVERIFY(!QFileInfo::exists(machine.registryPath()));
    QByteArray first = "x";
    QByteArray second = "y";
    ReadServerCommands(first, second);
    QCOMPARE(first, QByteArray());
    QCOMPARE(second, QByteArray());
    // A store without the service key.
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Other", "Command1", "x"), kTrue);
    QCOMPARE(read("Command1", &ok), QByteArray());
    QCOMPARE(ok, kFalse);
    // The key without the value.
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "Command2", "two"), kTrue);
    ReadServerCommands(first, second);
    QCOMPARE(first, QByteArray());
    QCOMPARE(second, QByteArray("two"));
}

void RegistryTest::dialNumber() {
    ProgramFolder machine;
    QByteArray number = "stale";
    QCOMPARE(GetDialNumber(number), kFalse);
    QCOMPARE(number, QByteArray());
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "DialNumber", ""), kTrue);
    QCOMPARE(GetDialNumber(number), kFalse);
    QCOMPARE(number, QByteArray());
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "DialNumber", " 0298765432 "), kTrue);
    QCOMPARE(GetDialNumber(number), kTrue);
    QCOMPARE(number, QByteArray(" 0298765432 "));
}

void RegistryTest::createdStoreIsPrivate() {
    ProgramFolder machine;
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "Command2", "secret"), kTrue);
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(machine.registryPath()).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
}

void RegistryTest::badStoreFileIsAFailureNotACrash() {
    ProgramFolder machine;
    {
        QFile junk(machine.registryPath());
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'J'));
    }
    Flag ok = kTrue;
    QCOMPARE(read("Command1", &ok), QByteArray());
    QCOMPARE(ok, kFalse);
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "Command1", "x"), kFalse);
    QByteArray number = "x";
    QCOMPARE(GetDialNumber(number), kFalse);
    // The file is left as it was.
    QFile check(machine.registryPath());
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray(4096, 'J'));

    // A store in a folder that does not exist cannot be written either.
    qputenv("KESTRUNE_REGISTRY", QFile::encodeName(machine.root() + QStringLiteral("/no/such.db")));
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "Command1", "x"), kFalse);
}

void RegistryTest::concurrentWritersLoseNothing() {
    ProgramFolder machine;
    constexpr int kWrites = 150;
    QProcess a;
    QProcess b;
    a.start(writerProgram(),
            {QStringLiteral("loop"), QStringLiteral("WriterA"), QString::number(kWrites)});
    b.start(writerProgram(),
            {QStringLiteral("loop"), QStringLiteral("WriterB"), QString::number(kWrites)});
    // Meanwhile this process writes the shared value too.
    int mine = 0;
    for (int n = 1; n <= kWrites; ++n)
        mine += RegWriteString(HKEY_LOCAL_MACHINE, kKey, "WriterA", "parent") != kFalse ? 1 : 0;
    QVERIFY(a.waitForFinished(120000));
    QVERIFY(b.waitForFinished(120000));
    QCOMPARE(mine, kWrites);
    const QByteArray outA = a.readAllStandardOutput();
    const QByteArray outB = b.readAllStandardOutput();
    QVERIFY2(!outA.contains("fail") && !outB.contains("fail"), "a concurrent write failed");
    QCOMPARE(outA.count('\n'), kWrites);
    QCOMPARE(outB.count('\n'), kWrites);
    QCOMPARE(read("WriterB"), QByteArray::number(kWrites));
    const QByteArray shared = read("WriterA");
    QVERIFY2(shared == "parent" || shared == QByteArray::number(kWrites), shared.constData());
    QCOMPARE(integrity(machine.registryPath()), QStringLiteral("ok"));
}

void RegistryTest::writerKilledMidTransaction() {
    ProgramFolder machine;
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "Command1", "committed"), kTrue);
    QProcess writer;
    writer.start(writerProgram(),
                 {QStringLiteral("hold"), QStringLiteral("Command1"), QStringLiteral("torn")});
    QVERIFY(writer.waitForReadyRead(30000));
    QCOMPARE(writer.readLine().trimmed(), QByteArray("holding"));
    // The uncommitted change has spilled into the database file.
    QVERIFY(QFileInfo::exists(machine.registryPath() + QStringLiteral("-journal")));
    writer.kill();
    QVERIFY(writer.waitForFinished(30000));

    QCOMPARE(read("Command1"), QByteArray("committed"));
    QCOMPARE(integrity(machine.registryPath()), QStringLiteral("ok"));
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "Command1", "after"), kTrue);
    QCOMPARE(read("Command1"), QByteArray("after"));
}

void RegistryTest::writerKilledWhileLooping() {
    ProgramFolder machine;
    QProcess writer;
    writer.start(writerProgram(),
                 {QStringLiteral("loop"), QStringLiteral("Command1"), QStringLiteral("100000")});
    QByteArray seen;
    while (seen.count('\n') < 40 && writer.waitForReadyRead(30000))
        seen += writer.readAllStandardOutput();
    writer.kill();
    QVERIFY(writer.waitForFinished(30000));
    seen += writer.readAllStandardOutput();
    const QList<QByteArray> lines = seen.trimmed().split('\n');
    const int lastReported = lines.last().toInt();
    QVERIFY(lastReported >= 40);
    // Every write the writer saw committed is kept; at most the one in
    // flight when it died may be there too.
    const int stored = read("Command1").toInt();
    QVERIFY2(stored == lastReported || stored == lastReported + 1,
             qPrintable(QStringLiteral("stored %1, reported %2").arg(stored).arg(lastReported)));
    QCOMPARE(integrity(machine.registryPath()), QStringLiteral("ok"));
}

QTEST_GUILESS_MAIN(RegistryTest)
#include "test_registry.moc"
