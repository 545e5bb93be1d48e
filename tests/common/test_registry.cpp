#include "program_folder.h"
#include "registry.h"
#include "store_access.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <cstring>
#include <functional>
#include <grp.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using winreg::ERROR_ACCESS_DENIED;
using winreg::ERROR_BADDB;
using winreg::ERROR_FILE_NOT_FOUND;
using winreg::ERROR_SUCCESS;

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
constexpr uid_t kOwn = static_cast<uid_t>(-1); // chown: left as it is

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
        entries.insert(
            name, QByteArray::number(info.st_mode, 8) + ' ' + QByteArray::number(info.st_uid) +
                      ':' + QByteArray::number(info.st_gid) + ' ' +
                      (S_ISREG(info.st_mode) ? bytesOf(path) : native(QFile::symLinkTarget(path))));
    }
    return entries;
}

mode_t modeOf(const QString &path) {
    struct stat info {};
    ::lstat(native(path).constData(), &info);
    return info.st_mode & 07777;
}

// Runs the work in a child process and gives what it returned; the child
// then ends at once, as it would if killed.
QByteArray inChild(const std::function<QByteArray()> &work) {
    int fds[2];
    if (::pipe(fds) != 0)
        return "no pipe";
    if (::fork() == 0) {
        const QByteArray report = work();
        ::_exit(::write(fds[1], report.constData(), static_cast<size_t>(report.size())) < 0);
    }
    ::close(fds[1]);
    QFile reader;
    reader.open(fds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    QByteArray report = reader.readAll();
    ::wait(nullptr);
    return report;
}

// Ends the process at the second value written in one statement run: the
// first one is then written, not yet committed.
int exitAtSecondValue(unsigned /*type*/, void * /*context*/, void * /*statement*/, void *sql) {
    static int values = 0;
    if (std::strstr(static_cast<const char *>(sql), "INTO reg_values") != nullptr && ++values == 2)
        ::_exit(0);
    return 0;
}

int traceEveryConnection(sqlite3 *db, const char ** /*error*/, const void * /*api*/) {
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, exitAtSecondValue, nullptr);
    return SQLITE_OK;
}

} // namespace

class RegistryTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() { machine_ = std::make_unique<ProgramFolder>(); }
    void cleanup() { machine_.reset(); }
    void valuesAsStored();
    void badStoresFailSafely();
    // The user's store holding Command1 = "mine", in a folder writable by
    // everyone and sticky like /tmp, or in a group's folder ('g'); then one file
    // of it is planted as a file ('f'), a link ('l') or a pipe ('p'), of the owner
    // and mode given (another user's where the row says so).
    void filesOthersCouldWriteAreRefused_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<char>("kind");
        QTest::addColumn<uid_t>("uid");
        QTest::addColumn<gid_t>("gid");
        QTest::addColumn<mode_t>("mode");
        QTest::addColumn<bool>("usable");
        const auto row = [](const char *name, const char *file, char kind, uid_t uid, gid_t gid,
                            mode_t mode, bool usable) {
            QTest::newRow(name) << QString::fromLatin1(file) << kind << uid << gid << mode
                                << usable;
        };
        row("store of another user", "", 'f', kNobody, kNoGroup, 0666, false);
        row("journal of another user", "-journal", 'f', kNobody, kNoGroup, 0666, false);
        row("log of another user", "-wal", 'f', kNobody, kNoGroup, 0666, false);
        row("store through a link", "", 'l', kOwn, kOwn, 0, false);
        row("journal as a pipe", "-journal", 'p', kOwn, kOwn, 0666, false);
        row("own store others may write", "", 'f', kOwn, kOwn, 0666, true);
        row("store of the group folder's group", "", 'g', kNobody, kNoGroup, 0660, true);
        row("own store rejoins the group folder's group", "", 'g', 0, 0, 0600, true);
        row("store of another group", "", 'g', kNobody, 0, 0660, false);
    }
    void filesOthersCouldWriteAreRefused();
    void userOutsideTheGroupIsTold();
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
    // An empty text is stored as one space, which is no dial number.
    QVERIFY(write("DialNumber", ""));
    QCOMPARE(read("DialNumber"), QByteArray("-1: "));
    QByteArray number = "stale";
    QCOMPARE(GetDialNumber(number), kFalse);
    QCOMPARE(number, QByteArray());
    QVERIFY(write("DialNumber", " 0298765432 "));
    QCOMPARE(GetDialNumber(number), kTrue);
    QCOMPARE(number, QByteArray(" 0298765432 "));

    storeRaw("WithZero", winreg::REG_SZ, QByteArray("abc\0", 4));
    storeRaw("Fits", winreg::REG_SZ, QByteArray(1024, 'x'));
    storeRaw("TooLong", winreg::REG_SZ, QByteArray(1025, 'x'));
    storeRaw("Big", winreg::REG_DWORD, QByteArray("\xff\xff\xff\xff", 4));
    storeRaw("Binary", 3, "raw");
    QCOMPARE(read("WithZero"), QByteArray("-1:abc"));
    QCOMPARE(read("Fits"), "-1:" + QByteArray(1024, 'x'));
    QCOMPARE(read("TooLong"), QByteArray("0:"));
    QCOMPARE(read("Big"), QByteArray("-1:4294967295"));
    QCOMPARE(read("Binary"), QByteArray("-1:untouched"));
}

// A damaged or wrongly shaped store left as it is; paths that name no store
// file of ours (relative, URIs) or a missing folder refused.
void RegistryTest::badStoresFailSafely() {
    writeJunk(machine_->registryPath());
    QCOMPARE(read("Command2"), QByteArray("0:"));
    QCOMPARE(RegLastStatus(), ERROR_BADDB);
    QVERIFY(!write("Command1", "x"));
    QCOMPARE(bytesOf(machine_->registryPath()), QByteArray(4096, 'J'));

    // Tables as other software might have made them: only the documented
    // shape, however spaced, is used.
    const QByteArray values = "CREATE TABLE reg_keys(path TEXT PRIMARY KEY COLLATE NOCASE) "
                              "WITHOUT ROWID; CREATE TABLE reg_values(";
    int n = 0;
    for (const auto &[schema, usable] :
         {std::pair{values + "\n  key  TEXT NOT NULL COLLATE NOCASE,\n  name TEXT NOT NULL "
                             "COLLATE NOCASE,\n  type INTEGER NOT NULL,\n  data BLOB NOT NULL,\n"
                             "  PRIMARY KEY(key, name)) WITHOUT ROWID;",
                    true},
          {values + "key TEXT NOT NULL, name TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT "
                    "NULL, PRIMARY KEY(key, name));",
           false},
          {QByteArray("CREATE TABLE other(x);"), false}}) {
        const QString store = machine_->root() + QStringLiteral("/shape%1.db").arg(++n);
        qputenv("KESTRUNE_REGISTRY", native(store));
        QCOMPARE(sql(store, schema), QByteArray());
        const QByteArray bytes = bytesOf(store);
        QCOMPARE(write("Command1", "first") && write("Command1", "second"), usable);
        QCOMPARE(read("Command1"), usable ? QByteArray("-1:second") : QByteArray("0:"));
        QVERIFY(usable || (RegLastStatus() == ERROR_BADDB && bytesOf(store) == bytes));
    }

    const QString cwd = QDir::currentPath();
    const QString empty = machine_->root() + QStringLiteral("/cwd");
    QVERIFY(QDir().mkpath(empty) && QDir::setCurrent(empty));
    for (const QByteArray &path :
         {native(machine_->root() + QStringLiteral("/no/x.db")), QByteArray("registry.db"),
          QByteArray("file:///tmp/registry.db?mode=memory")}) {
        qputenv("KESTRUNE_REGISTRY", path);
        QVERIFY2(!write("Command1", "x"), path.constData());
        QCOMPARE(read("Command1"), QByteArray("0:"));
    }
    QVERIFY(QDir::setCurrent(cwd));
    QVERIFY(QDir(empty).isEmpty());
}

void RegistryTest::filesOthersCouldWriteAreRefused() {
    QFETCH(QString, file);
    QFETCH(char, kind);
    QFETCH(uid_t, uid);
    QFETCH(gid_t, gid);
    QFETCH(mode_t, mode);
    QFETCH(bool, usable);
    const bool group = kind == 'g';
    if (::geteuid() != 0 && (group || uid != kOwn))
        QSKIP("Files of other users and groups can only be made by root");
    const QString folder = machine_->root() + QStringLiteral("/shared");
    if (group) {
        makeGroupFolder(folder, kNoGroup);
    } else {
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(::chmod(native(folder).constData(), 01777), 0);
    }
    const QString store = folder + QStringLiteral("/registry.db");
    qputenv("KESTRUNE_REGISTRY", native(store));
    const mode_t umask = ::umask(0);
    QVERIFY(write("Command1", "mine"));
    ::umask(umask);
    // A store made in the group's folder is the group's to read and write,
    // one made elsewhere the user's alone, whatever the umask.
    QCOMPARE(modeOf(store), group ? 0660u : 0600u);
    QCOMPARE(QFileInfo(store).groupId(), group ? kNoGroup : ::getegid());

    const QString planted = store + file;
    const QByteArray target = native(planted);
    if (kind == 'l') {
        const QString real = machine_->root() + QStringLiteral("/real");
        QVERIFY(QFile::rename(store, real));
        QVERIFY(QFile::link(real, planted));
    } else if (kind == 'p') {
        QCOMPARE(::mkfifo(target.constData(), mode), 0);
    } else {
        if (!file.isEmpty())
            writeJunk(planted);
        QCOMPARE(::chown(target.constData(), uid, gid), 0);
        QCOMPARE(::chmod(target.constData(), mode), 0);
    }
    const QMap<QString, QByteArray> before = snapshot(folder);

    if (usable) {
        QCOMPARE(read("Command1"), QByteArray("-1:mine"));
        QVERIFY(write("Command2", "more"));
        QCOMPARE(read("Command2"), QByteArray("-1:more"));
        // The user's own store is private again; a shared one keeps its group's access.
        QCOMPARE(modeOf(store), group ? 0660u : 0600u);
        QCOMPARE(QFileInfo(store).groupId(), group ? kNoGroup : ::getegid());
        return;
    }
    QCOMPARE(read("Command1"), QByteArray("0:"));
    QCOMPARE(RegLastStatus(), ERROR_ACCESS_DENIED);
    QVERIFY(!write("Command1", "x"));
    QCOMPARE(snapshot(folder), before);
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

    const QByteArray report = inChild([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNoGroup) != 0 || ::setuid(kNobody) != 0)
            return QByteArray("no other user");
        return QByteArray::number(write("Command1", "x") ? 1 : 0) + '\n' + StoreGroupRefusal();
    });
    QVERIFY2(report.startsWith("0\nYou are not a member of the group 54321, so you cannot use the "
                               "Kestrune registry in " +
                               native(folder)),
             report.constData());
    QVERIFY2(report.contains("\r\n    adduser nobody 54321\r\n"), report.constData());
    // Root may enter every folder: never told.
    QVERIFY(StoreGroupRefusal().isEmpty());
}

// Two other processes write meanwhile, each ending with the number of its
// writes that failed.
void RegistryTest::concurrentWritersLoseNothing() {
    constexpr int kWrites = 150;
    QList<pid_t> others;
    for (const char *name : {"Shared", "Other"}) {
        others.append(::fork());
        if (others.last() == 0) {
            int failed = 0;
            for (int n = 1; n <= kWrites; ++n)
                failed += write(name, QByteArray::number(n)) ? 0 : 1;
            ::_exit(failed);
        }
    }
    int mine = 0;
    for (int n = 1; n <= kWrites; ++n)
        mine += write("Shared", "parent") ? 1 : 0;
    QCOMPARE(mine, kWrites);
    for (const pid_t pid : others) {
        int status = -1;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QCOMPARE(status, 0);
    }
    QCOMPARE(read("Other"), "-1:" + QByteArray::number(kWrites));
    const QByteArray shared = read("Shared");
    QVERIFY2(shared == "-1:parent" || shared == "-1:" + QByteArray::number(kWrites),
             shared.constData());
    QCOMPARE(sql(machine_->registryPath(), "PRAGMA integrity_check"), QByteArray("ok"));
}

// A writer killed between the two values of a reset leaves the old values
// and a whole store.
void RegistryTest::killedWritersLeaveTheOldValues() {
    QVERIFY(write("Command1", "old user"));
    QVERIFY(write("Command2", "old password"));
    QCOMPARE(inChild([] {
                 sqlite3_auto_extension(reinterpret_cast<void (*)()>(traceEveryConnection));
                 RegWriteStrings(winreg::HKEY_LOCAL_MACHINE, kServiceKey,
                                 {{kCommand1Value, "new user"}, {kCommand2Value, "new password"}});
                 return QByteArray("not killed");
             }),
             QByteArray());
    QCOMPARE(read("Command1") + read("Command2"), QByteArray("-1:old user-1:old password"));
    QCOMPARE(sql(machine_->registryPath(), "PRAGMA integrity_check"), QByteArray("ok"));
}

QTEST_GUILESS_MAIN(RegistryTest)
#include "test_registry.moc"
