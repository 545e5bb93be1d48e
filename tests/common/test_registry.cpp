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

// Stores a value with any type and raw bytes, as other software may.
void storeRaw(const QByteArray &name, std::uint32_t type, const QByteArray &bytes) {
    winreg::RegHandle key = 0;
    QCOMPARE(registryApi().RegCreateKeyExA(winreg::HKEY_LOCAL_MACHINE, kServiceKey,
                                           winreg::KEY_RIGHTS, &key),
             winreg::ERROR_SUCCESS);
    QCOMPARE(registryApi().RegSetValueExA(key, name, type, bytes.constData(), bytes.size()),
             winreg::ERROR_SUCCESS);
    registryApi().RegCloseKey(key);
}

// The value read and the flag, as "flag:text".
QByteArray read(const QByteArray &name, const QByteArray &subKey = kServiceKey) {
    QByteArray value = "untouched";
    const Flag ok = RegReadValue(winreg::HKEY_LOCAL_MACHINE, subKey, name, value);
    return QByteArray::number(ok) + ':' + value;
}

bool write(const QByteArray &name, const QByteArray &value,
           const QByteArray &subKey = kServiceKey) {
    return RegWriteString(winreg::HKEY_LOCAL_MACHINE, subKey, name, value) == kTrue;
}

QByteArray integrity(const QString &path) {
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr);
    QByteArray result = "no answer";
    if (sqlite3_step(stmt) == SQLITE_ROW)
        result = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
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
    void init() { machine_ = std::make_unique<ProgramFolder>(); }
    void cleanup() { machine_.reset(); }
    void textsKeysAndLetterCase();
    void storedBytesAndTypes();
    void missingStoreKeyOrValue();
    void storeIsPrivateAndBadFilesFailSafely();
    void concurrentWritersLoseNothing();
    void writerKilledMidTransaction();

  private:
    std::unique_ptr<ProgramFolder> machine_;
};

void RegistryTest::textsKeysAndLetterCase() {
    const QByteArray latin1("caf\xe9 \x01~\x18", 8);
    QVERIFY(
        write("Command1", latin1, "software\\CORVANE telecom plc\\kestrune\\servers\\KESTRUNE"));
    QCOMPARE(read("COMMAND1"), "-1:" + latin1);
    QVERIFY(write("command1", "replaced"));
    QCOMPARE(read("Command1"), QByteArray("-1:replaced"));
    // An empty text is stored as one space, which is no dial number.
    QVERIFY(write("DialNumber", ""));
    QCOMPARE(read("DialNumber"), QByteArray("-1: "));
    QByteArray number = "stale";
    QCOMPARE(GetDialNumber(number), kFalse);
    QCOMPARE(number, QByteArray());
    QVERIFY(write("DialNumber", " 0298765432 "));
    QCOMPARE(GetDialNumber(number), kTrue);
    QCOMPARE(number, QByteArray(" 0298765432 "));
    // Creating the key created its parents.
    QCOMPARE(read("x", "Software\\Corvane Telecom PLC"), QByteArray("0:"));
    winreg::RegHandle parent = 0;
    QCOMPARE(registryApi().RegOpenKeyExA(winreg::HKEY_LOCAL_MACHINE,
                                         "SOFTWARE\\Corvane Telecom PLC", winreg::KEY_RIGHTS,
                                         &parent),
             winreg::ERROR_SUCCESS);
    registryApi().RegCloseKey(parent);
}

void RegistryTest::storedBytesAndTypes() {
    storeRaw("WithZero", winreg::REG_SZ, QByteArray("abc\0", 4));
    storeRaw("TwoZeros", winreg::REG_SZ, QByteArray("ab\0\0", 4));
    storeRaw("Empty", winreg::REG_SZ, "");
    storeRaw("Fits", winreg::REG_SZ, QByteArray(1024, 'x'));
    storeRaw("TooLong", winreg::REG_SZ, QByteArray(1025, 'x'));
    storeRaw("Number", winreg::REG_DWORD, QByteArray("\x10\x27\x00\x00", 4));
    storeRaw("Big", winreg::REG_DWORD, QByteArray("\xff\xff\xff\xff", 4));
    storeRaw("Binary", 3, "raw");
    QCOMPARE(read("WithZero"), QByteArray("-1:abc"));
    QCOMPARE(read("TwoZeros"), QByteArray("-1:ab\0", 6));
    QCOMPARE(read("Empty"), QByteArray("-1:"));
    QCOMPARE(read("Fits"), "-1:" + QByteArray(1024, 'x'));
    QCOMPARE(read("TooLong"), QByteArray("0:"));
    QCOMPARE(read("Number"), QByteArray("-1:10000"));
    QCOMPARE(read("Big"), QByteArray("-1:4294967295"));
    QCOMPARE(read("Binary"), QByteArray("-1:untouched"));
}

void RegistryTest::missingStoreKeyOrValue() {
    QByteArray first = "x";
    QByteArray second = "y";
    ReadServerCommands(first, second);
    QCOMPARE(first + second, QByteArray());
    QCOMPARE(read("Command1"), QByteArray("0:"));
    // Reading never creates the store.
    QVERIFY(!QFileInfo::exists(machine_->registryPath()));
    QVERIFY(write("Command1", "x", "SOFTWARE\\Other"));
    QCOMPARE(read("Command1"), QByteArray("0:"));
    QVERIFY(write("Command2", "two"));
    ReadServerCommands(first, second);
    QCOMPARE(first, QByteArray());
    QCOMPARE(second, QByteArray("two"));
}

void RegistryTest::storeIsPrivateAndBadFilesFailSafely() {
    QVERIFY(write("Command2", "secret"));
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(machine_->registryPath()).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);

    QFile junk(machine_->registryPath());
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'J'));
    junk.close();
    QCOMPARE(read("Command2"), QByteArray("0:"));
    QVERIFY(!write("Command1", "x"));
    QVERIFY(junk.open(QIODevice::ReadOnly));
    QCOMPARE(junk.readAll(), QByteArray(4096, 'J'));

    qputenv("KESTRUNE_REGISTRY", QFile::encodeName(machine_->root() + QStringLiteral("/no/x.db")));
    QVERIFY(!write("Command1", "x"));
}

void RegistryTest::concurrentWritersLoseNothing() {
    constexpr int kWrites = 150;
    const QString count = QString::number(kWrites);
    QProcess a;
    QProcess b;
    a.start(writerProgram(), {QStringLiteral("loop"), QStringLiteral("Shared"), count});
    b.start(writerProgram(), {QStringLiteral("loop"), QStringLiteral("WriterB"), count});
    int mine = 0;
    for (int n = 1; n <= kWrites; ++n)
        mine += write("Shared", "parent") ? 1 : 0;
    QVERIFY(a.waitForFinished(120000) && b.waitForFinished(120000));
    QCOMPARE(mine, kWrites);
    const QByteArray out = a.readAllStandardOutput() + b.readAllStandardOutput();
    QVERIFY2(!out.contains("fail"), out.constData());
    QCOMPARE(out.count('\n'), 2 * kWrites);
    QCOMPARE(read("WriterB"), "-1:" + count.toLatin1());
    const QByteArray shared = read("Shared");
    QVERIFY2(shared == "-1:parent" || shared == "-1:" + count.toLatin1(), shared.constData());
    QCOMPARE(integrity(machine_->registryPath()), QByteArray("ok"));
}

void RegistryTest::writerKilledMidTransaction() {
    QVERIFY(write("Command1", "committed"));
    QProcess writer;
    writer.start(writerProgram(),
                 {QStringLiteral("hold"), QStringLiteral("Command1"), QStringLiteral("torn")});
    QVERIFY(writer.waitForReadyRead(30000));
    QCOMPARE(writer.readLine().trimmed(), QByteArray("holding"));
    // The uncommitted change has spilled into the database file.
    QVERIFY(QFileInfo::exists(machine_->registryPath() + QStringLiteral("-journal")));
    writer.kill();
    QVERIFY(writer.waitForFinished(30000));

    QCOMPARE(read("Command1"), QByteArray("-1:committed"));
    QCOMPARE(integrity(machine_->registryPath()), QByteArray("ok"));
    QVERIFY(write("Command1", "after"));
    QCOMPARE(read("Command1"), QByteArray("-1:after"));
}

QTEST_GUILESS_MAIN(RegistryTest)
#include "test_registry.moc"
