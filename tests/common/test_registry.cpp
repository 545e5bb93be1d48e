#include "program_folder.h"
#include "registry.h"
#include "store_access.h"
#include "store_connection.h"
#include "store_holder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <grp.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using winreg::ERROR_ACCESS_DENIED;
using winreg::ERROR_BADDB;
using winreg::ERROR_BUSY;
using winreg::ERROR_FILE_NOT_FOUND;
using winreg::ERROR_SUCCESS;

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

// Stores a value with any type and raw bytes, as other software may.
void storeRaw(const QByteArray &name, std::uint32_t type, const QByteArray &bytes) {
    winreg::RegHandle key = 0;
    QCOMPARE(registryApi().RegCreateKeyExA(winreg::HKEY_LOCAL_MACHINE, kServiceKey,
                                           winreg::KEY_RIGHTS, &key),
             ERROR_SUCCESS);
    QCOMPARE(registryApi().RegSetValueExA(key, name, type, bytes.constData(), bytes.size()),
             ERROR_SUCCESS);
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

// Runs the statements on the store file: the first column of the last row
// given, or "error".
QByteArray sql(const QString &path, const QByteArray &statements) {
    sqlite3 *db = nullptr;
    QByteArray result;
    const auto keep = [](void *out, int /*n*/, char **values, char ** /*names*/) {
        *static_cast<QByteArray *>(out) = values[0];
        return 0;
    };
    const bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
                    sqlite3_exec(db, statements.constData(), keep, &result, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok ? result : "error";
}

QByteArray native(const QString &path) {
    return QFile::encodeName(path);
}

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void writeJunk(const QString &path) {
    QFile junk(path);
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'J'));
}

// Command1 and Command2 as ReadServerCommands gives them.
QByteArray commands() {
    QByteArray first = "x";
    QByteArray second = "y";
    ReadServerCommands(first, second);
    return first + '|' + second;
}

// A folder that only root and the group may write: setgid, closed to others.
void makeGroupFolder(const QString &folder, gid_t group) {
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(::chown(native(folder).constData(), 0, group), 0);
    QCOMPARE(::chmod(native(folder).constData(), 02770), 0);
}

// Each entry of the folder with its kind, permissions, owner and content
// (or link target), as lstat and a plain read see them.
QMap<QString, QByteArray> snapshot(const QString &folder) {
    QMap<QString, QByteArray> entries;
    for (const QString &name : QDir(folder).entryList(QDir::AllEntries | QDir::System |
                                                      QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString path = folder + u'/' + name;
        struct stat info {};
        ::lstat(native(path).constData(), &info);
        QByteArray state = QByteArray::number(info.st_mode, 8) + ' ' +
                           QByteArray::number(info.st_uid) + ':' + QByteArray::number(info.st_gid) +
                           ' ';
        if (S_ISLNK(info.st_mode))
            state += QFile::encodeName(QFile::symLinkTarget(path));
        else if (S_ISREG(info.st_mode))
            state += bytesOf(path);
        entries.insert(name, state);
    }
    return entries;
}

mode_t modeOf(const QString &path) {
    struct stat info {};
    ::lstat(native(path).constData(), &info);
    return info.st_mode & 07777;
}

} // namespace

class RegistryTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() { machine_ = std::make_unique<ProgramFolder>(); }
    void cleanup() { machine_.reset(); }
    void valuesAsStored();
    void storeIsPrivateAndBadFilesFailSafely();
    void filesOthersCouldWriteAreRefused_data();
    void filesOthersCouldWriteAreRefused();
    void groupFolderSharesTheStore();
    void userOutsideTheGroupIsTold();
    void specialPathsAreRefused_data();
    void specialPathsAreRefused();
    void wronglyShapedStoresAreRefused_data();
    void wronglyShapedStoresAreRefused();
    void busyStoreIsToldApartFromMissingValues();
    void concurrentWritersLoseNothing();
    void killedWritersLeaveTheOldValues();

  private:
    std::unique_ptr<ProgramFolder> machine_;
};

// Missing store, key or value; texts and letter case; raw values as other
// software may store them.
void RegistryTest::valuesAsStored() {
    QCOMPARE(commands(), QByteArray("|"));
    QCOMPARE(read("Command1"), QByteArray("0:"));
    QCOMPARE(RegLastStatus(), ERROR_FILE_NOT_FOUND);
    // Reading never creates the store.
    QVERIFY(!QFileInfo::exists(machine_->registryPath()));
    QVERIFY(write("Command1", "x", "SOFTWARE\\Other"));
    QCOMPARE(read("Command1"), QByteArray("0:"));
    QCOMPARE(RegLastStatus(), ERROR_FILE_NOT_FOUND);
    QVERIFY(write("Command2", "two"));
    QCOMPARE(commands(), QByteArray("|two"));

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
    QCOMPARE(RegWriteStrings(winreg::HKEY_LOCAL_MACHINE, kServiceKey,
                             {{"Command1", "one"}, {"command2", ""}}),
             kTrue);
    QCOMPARE(read("Command1") + read("Command2"), QByteArray("-1:one-1: "));
    // Creating the key created its parents.
    winreg::RegHandle parent = 0;
    QCOMPARE(registryApi().RegOpenKeyExA(winreg::HKEY_LOCAL_MACHINE,
                                         "SOFTWARE\\Corvane Telecom PLC", winreg::KEY_RIGHTS,
                                         &parent),
             ERROR_SUCCESS);
    registryApi().RegCloseKey(parent);

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

void RegistryTest::storeIsPrivateAndBadFilesFailSafely() {
    const mode_t umask = ::umask(0);
    QVERIFY(write("Command2", "secret"));
    ::umask(umask);
    QCOMPARE(modeOf(machine_->registryPath()), 0600u);

    writeJunk(machine_->registryPath());
    QCOMPARE(read("Command2"), QByteArray("0:"));
    QCOMPARE(RegLastStatus(), ERROR_BADDB);
    QVERIFY(!write("Command1", "x"));
    QCOMPARE(bytesOf(machine_->registryPath()), QByteArray(4096, 'J'));

    qputenv("KESTRUNE_REGISTRY", native(machine_->root() + QStringLiteral("/no/x.db")));
    QVERIFY(!write("Command1", "x"));
}

// The store's folder is writable by everyone and sticky, like /tmp; the
// user's own store there holds Command1 = "mine". Then one file of it is
// replaced or planted, by another user where the row says so.
void RegistryTest::filesOthersCouldWriteAreRefused_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("plant");
    QTest::addColumn<bool>("usable");
    const auto row = [](const char *name, const char *file, const char *plant, bool usable) {
        QTest::newRow(name) << QString::fromLatin1(file) << QString::fromLatin1(plant) << usable;
    };
    row("store of another user", "", "other user", false);
    row("journal of another user", "-journal", "other user", false);
    row("log of another user", "-wal", "other user", false);
    row("log index of another user", "-shm", "other user", false);
    row("store through a link", "", "link", false);
    row("journal through a link", "-journal", "link", false);
    row("journal as a pipe", "-journal", "pipe", false);
    row("own store others may write", "", "loose", true);
    row("store of the group folder's group", "", "group", true);
    row("store of another group", "", "other group", false);
}

void RegistryTest::filesOthersCouldWriteAreRefused() {
    QFETCH(QString, file);
    QFETCH(QString, plant);
    QFETCH(bool, usable);
    if (::geteuid() != 0 && (plant.contains(u"other") || plant.contains(u"group")))
        QSKIP("Files of other users can only be planted by root");
    const QString folder = machine_->root() + QStringLiteral("/shared");
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(::chmod(native(folder).constData(), 01777), 0);
    const QString store = folder + QStringLiteral("/registry.db");
    qputenv("KESTRUNE_REGISTRY", native(store));
    QVERIFY(write("Command1", "mine"));

    const QString planted = store + file;
    const QByteArray target = native(planted);
    if (plant == u"other user") {
        if (!file.isEmpty())
            writeJunk(planted);
        QCOMPARE(::chown(target.constData(), kNobody, kNoGroup), 0);
        QCOMPARE(::chmod(target.constData(), 0666), 0);
    } else if (plant == u"link") {
        const QString real = machine_->root() + QStringLiteral("/real");
        if (file.isEmpty())
            QVERIFY(QFile::rename(store, real));
        else
            writeJunk(real);
        QVERIFY(QFile::link(real, planted));
    } else if (plant == u"pipe") {
        QCOMPARE(::mkfifo(target.constData(), 0666), 0);
    } else if (plant == u"loose") {
        QCOMPARE(::chmod(target.constData(), 0666), 0);
    } else {
        makeGroupFolder(folder, kNoGroup);
        QCOMPARE(::chown(target.constData(), kNobody, plant == u"group" ? kNoGroup : 0), 0);
        QCOMPARE(::chmod(target.constData(), 0660), 0);
    }
    const QMap<QString, QByteArray> before = snapshot(folder);

    if (usable) {
        QCOMPARE(read("Command1"), QByteArray("-1:mine"));
        QVERIFY(write("Command2", "more"));
        QCOMPARE(read("Command2"), QByteArray("-1:more"));
        // The user's own store is private again; a shared one keeps its group's access.
        QCOMPARE(modeOf(store), plant == u"loose" ? 0600u : 0660u);
        return;
    }
    QCOMPARE(read("Command1"), QByteArray("0:"));
    QCOMPARE(RegLastStatus(), ERROR_ACCESS_DENIED);
    QVERIFY(!write("Command1", "x"));
    QCOMPARE(commands(), QByteArray("|"));
    const QMap<QString, QByteArray> after = snapshot(folder);
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
}

// The package's folder: every file the user makes or owns there becomes the
// group's, readable and writable by it and by no one else.
void RegistryTest::groupFolderSharesTheStore() {
    if (::geteuid() != 0)
        QSKIP("A folder of root and a group can only be made by root");
    const QString folder = machine_->root() + QStringLiteral("/group");
    makeGroupFolder(folder, kNoGroup);
    const QString store = folder + QStringLiteral("/registry.db");
    qputenv("KESTRUNE_REGISTRY", native(store));

    const mode_t umask = ::umask(022);
    QVERIFY(write("Command1", "shared"));
    ::umask(umask);
    QCOMPARE(modeOf(store), 0660u);
    QCOMPARE(QFileInfo(store).groupId(), kNoGroup);

    // A store made before the folder was the group's joins it at next use.
    QCOMPARE(::chown(native(store).constData(), 0, 0), 0);
    QCOMPARE(::chmod(native(store).constData(), 0600), 0);
    QCOMPARE(read("Command1"), QByteArray("-1:shared"));
    QCOMPARE(modeOf(store), 0660u);
    QCOMPARE(QFileInfo(store).groupId(), kNoGroup);
    QVERIFY(StoreGroupRefusal().isEmpty());
}

// Someone outside the folder's group cannot even enter the folder: told so,
// with the group's name and the command that lets them in.
void RegistryTest::userOutsideTheGroupIsTold() {
    if (::geteuid() != 0)
        QSKIP("Another user can only be taken on by root");
    const QString folder = machine_->root() + QStringLiteral("/group");
    QCOMPARE(::chmod(native(machine_->root()).constData(), 0755), 0);
    makeGroupFolder(folder, 54321);
    qputenv("KESTRUNE_REGISTRY", native(folder + QStringLiteral("/registry.db")));

    int fds[2];
    QCOMPARE(::pipe(fds), 0);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        ::close(fds[0]);
        if (::setgroups(0, nullptr) == 0 && ::setgid(kNoGroup) == 0 && ::setuid(kNobody) == 0) {
            const QByteArray report =
                QByteArray::number(write("Command1", "x") ? 1 : 0) + '\n' + StoreGroupRefusal();
            if (::write(fds[1], report.constData(), static_cast<size_t>(report.size())) < 0)
                ::_exit(2);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    QFile reader;
    QVERIFY(reader.open(fds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    const QByteArray report = reader.readAll();
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QCOMPARE(report.left(2), QByteArray("0\n"));
    const QByteArray refusal = report.mid(2);
    QVERIFY2(refusal.startsWith("You are not a member of the group 54321, so you cannot use the "
                                "Kestrune registry in " +
                                native(folder)),
             refusal.constData());
    QVERIFY2(refusal.contains("\r\n    adduser nobody 54321\r\n"), refusal.constData());
    // Root may enter every folder: never told.
    QVERIFY(StoreGroupRefusal().isEmpty());
}

void RegistryTest::specialPathsAreRefused_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("memory") << QByteArray(":memory:");
    QTest::newRow("relative") << QByteArray("registry.db");
    QTest::newRow("file URI") << QByteArray("file:registry.db");
    QTest::newRow("absolute file URI") << QByteArray("file:///tmp/registry.db?mode=memory");
}

void RegistryTest::specialPathsAreRefused() {
    QFETCH(QByteArray, path);
    const QString cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(machine_->path()));
    std::unique_ptr<StoreConnection> connection;
    QCOMPARE(StoreConnection::open(path, true, connection), ERROR_ACCESS_DENIED);
    QCOMPARE(StoreConnection::open(path, false, connection), ERROR_ACCESS_DENIED);
    QVERIFY(connection == nullptr);
    if (!path.isEmpty()) {
        qputenv("KESTRUNE_REGISTRY", path);
        QVERIFY(!write("Command1", "x"));
        QCOMPARE(read("Command1"), QByteArray("0:"));
    }
    QVERIFY(QDir::setCurrent(cwd));
    QVERIFY(QDir(machine_->path()).isEmpty());
}

// The store's tables as other software might have made them.
void RegistryTest::wronglyShapedStoresAreRefused_data() {
    QTest::addColumn<QByteArray>("schema");
    QTest::addColumn<bool>("usable");
    const QByteArray keys = "CREATE TABLE reg_keys(path TEXT PRIMARY KEY COLLATE NOCASE) "
                            "WITHOUT ROWID;";
    const QByteArray values = keys + "CREATE TABLE reg_values(";
    const QByteArray columns = "key TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL COLLATE "
                               "NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL";
    QTest::newRow("as documented, other spacing")
        << values + "\n  key  TEXT NOT NULL COLLATE NOCASE,\n  name TEXT NOT NULL COLLATE NOCASE,"
                    "\n  type INTEGER NOT NULL,\n  data BLOB NOT NULL,\n  PRIMARY KEY(key, name))"
                    " WITHOUT ROWID;"
        << true;
    QTest::newRow("no primary key") << values + columns + ");" << false;
    QTest::newRow("names with letter case")
        << values + "key TEXT NOT NULL, name TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT "
                    "NULL, PRIMARY KEY(key, name));"
        << false;
    QTest::newRow("one more column")
        << values + columns + ", note TEXT, PRIMARY KEY(key, name));" << false;
    QTest::newRow("no values table") << keys << false;
    QTest::newRow("unrelated table") << QByteArray("CREATE TABLE other(x);") << false;
}

void RegistryTest::wronglyShapedStoresAreRefused() {
    QFETCH(QByteArray, schema);
    QFETCH(bool, usable);
    const QString store = machine_->registryPath();
    QCOMPARE(sql(store, schema), QByteArray());
    const QByteArray bytes = bytesOf(store);
    QCOMPARE(write("Command1", "first") && write("Command1", "second"), usable);
    QCOMPARE(read("Command1"), usable ? QByteArray("-1:second") : QByteArray("0:"));
    if (usable)
        return;
    QCOMPARE(RegLastStatus(), ERROR_BADDB);
    QCOMPARE(bytesOf(store), bytes);
}

// Another program holds the store: readers still read while it writes;
// when it keeps even readers out, every call gives up after about a second
// and says the store is busy, not that the values are missing.
void RegistryTest::busyStoreIsToldApartFromMissingValues() {
    QVERIFY(write("Command1", "user"));
    QVERIFY(write("Command2", "password"));
    {
        StoreHolder writer({QStringLiteral("lock")}, "holding");
        QVERIFY(writer.holding());
        QCOMPARE(read("Command1"), QByteArray("-1:user"));
        QVERIFY(!write("Command1", "other"));
        QCOMPARE(RegLastStatus(), ERROR_BUSY);
        QCOMPARE(RegWriteStrings(winreg::HKEY_LOCAL_MACHINE, kServiceKey,
                                 {{"Command1", "a"}, {"Command2", "b"}}),
                 kFalse);
        QCOMPARE(RegLastStatus(), ERROR_BUSY);
        QVERIFY(writer.release());
    }
    StoreHolder holder({QStringLiteral("lock-all")}, "holding");
    QVERIFY(holder.holding());
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(read("Command1"), QByteArray("0:"));
    QCOMPARE(RegLastStatus(), ERROR_BUSY);
    QCOMPARE(commands(), QByteArray("|"));
    QCOMPARE(RegLastStatus(), ERROR_BUSY);
    qInfo("Two calls on a busy store took %lld ms", timer.elapsed());
    QVERIFY(holder.release());
    QCOMPARE(read("Command1") + read("Command2"), QByteArray("-1:user-1:password"));
}

void RegistryTest::concurrentWritersLoseNothing() {
    constexpr int kWrites = 150;
    const QString count = QString::number(kWrites);
    const QString program =
        QCoreApplication::applicationDirPath() + QStringLiteral("/registry_writer");
    QProcess a;
    QProcess b;
    a.start(program, {QStringLiteral("loop"), QStringLiteral("Shared"), count});
    b.start(program, {QStringLiteral("loop"), QStringLiteral("WriterB"), count});
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
    QCOMPARE(sql(machine_->registryPath(), "PRAGMA integrity_check"), QByteArray("ok"));
}

// A writer killed with a change spilled into the store's log, or between
// the two values of a reset, leaves the old values and a whole store.
void RegistryTest::killedWritersLeaveTheOldValues() {
    QVERIFY(write("Command1", "old user"));
    QVERIFY(write("Command2", "old password"));
    const QStringList pair{QStringLiteral("pair"), QStringLiteral("new user"),
                           QStringLiteral("new password")};
    {
        StoreHolder torn({QStringLiteral("hold"), QStringLiteral("Command1"), QStringLiteral("x")},
                         "holding");
        QVERIFY(torn.holding());
        QVERIFY(QFileInfo(machine_->registryPath() + QStringLiteral("-wal")).size() > 0);
        torn.kill();
        QCOMPARE(read("Command1") + read("Command2"), QByteArray("-1:old user-1:old password"));
        StoreHolder between(pair, "between");
        QVERIFY(between.holding());
        between.kill();
    }
    QCOMPARE(read("Command1") + read("Command2"), QByteArray("-1:old user-1:old password"));
    QCOMPARE(sql(machine_->registryPath(), "PRAGMA integrity_check"), QByteArray("ok"));
    // Left alone, the same writer stores both.
    StoreHolder finished(pair, "between");
    QVERIFY(finished.holding());
    QVERIFY(finished.release());
    QCOMPARE(read("Command1") + read("Command2"), QByteArray("-1:new user-1:new password"));
}

QTEST_GUILESS_MAIN(RegistryTest)
#include "test_registry.moc"
