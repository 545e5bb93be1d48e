// The lock-file check before a dial, against what anyone may leave in the
// world-writable lock folder. Also run as the user nobody (run-as-user).
#include "hayes_telephony.h"
#include "modem_settings.h"
#include "program_folder.h"
#include "quick_modem.h"
#include "serial_open.h"
#include "settings.h"
#include "startup.h"
#include "uucp_lock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

Q_DECLARE_METATYPE(DialRefusal)

namespace {

using namespace std::chrono_literals;

// Long enough for any check on a busy machine; a hang is a hang.
constexpr auto kPrompt = 10s;

QByteArray Hdb(qint64 pid) {
    return QByteArray::number(pid).rightJustified(10, ' ') + '\n';
}

QByteArray Binary(qint64 pid) {
    const auto value = static_cast<std::int32_t>(pid);
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}

// The pid of a process that has ended.
qint64 DeadPid() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

void WriteFile(const QByteArray &path, const QByteArray &bytes) {
    QFile file(QFile::decodeName(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// What is at a path, not following a link: its type and inode, or nothing.
QByteArray Entry(const QByteArray &path) {
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        return {};
    return QByteArray::number(status.st_mode & S_IFMT, 8) + ':' +
           QByteArray::number(static_cast<qulonglong>(status.st_ino));
}

// Runs the check, which must come back however the lock file is made: false
// when it hangs (on a FIFO, which is then opened for writing to set it free).
bool CheckPromptly(const UucpLock &lock, std::optional<LockHolder> &found) {
    auto check = std::async(std::launch::async, [&lock] { return lock.holder(); });
    if (check.wait_for(kPrompt) == std::future_status::timeout) {
        ::close(::open(lock.path().constData(), O_WRONLY | O_NONBLOCK));
        check.wait();
        return false;
    }
    found = check.get();
    return true;
}

} // namespace

class UucpLockTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() {
        // The entry that runs as an ordinary user does so for real.
        if (qEnvironmentVariableIsSet("KESTRUNE_TEST_AS_USER"))
            QVERIFY(::geteuid() != 0 && ::getuid() != 0);
        live_.start(QStringLiteral("sleep"), {QStringLiteral("600")});
        QVERIFY(live_.waitForStarted());
        dead_ = DeadPid();
        QVERIFY(dead_ > 0);
    }
    void cleanupTestCase() {
        live_.kill();
        live_.waitForFinished();
    }

    void lockFilePids_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<long>("pid"); // 0: none
        QTest::newRow("HDB") << QByteArray("      1234\n") << 1234L;
        QTest::newRow("Qt Serial Port") << QByteArray("1234\nkestenrol\nhost\nid\nboot\n") << 1234L;
        QTest::newRow("no line end") << QByteArray("1234") << 1234L;
        QTest::newRow("CR LF") << QByteArray("1234\r\n") << 1234L;
        QTest::newRow("binary") << Binary(1234) << 1234L;
        QTest::newRow("kernel's highest") << QByteArray("4194304\n") << 4194304L;
        for (const auto &[name, text] : {std::pair("empty", ""),
                                         {"empty line", "\n"},
                                         {"garbage", "garbage\n"},
                                         {"negative", "-5\n"},
                                         {"signed", "+5\n"},
                                         {"zero", "0\n"},
                                         {"hex", "0x10\n"},
                                         {"two numbers", "12 34\n"},
                                         {"beyond the kernel's", "4194305\n"},
                                         {"pid 1 once cut to 32 bits", "4294967297\n"},
                                         {"eleven digits", "12345678901\n"},
                                         {"four letters", "abcd"}})
            QTest::newRow(name) << QByteArray(text) << 0L;
        QTest::newRow("binary beyond") << Binary(4194305) << 0L;
    }

    void lockFilePids() {
        QFETCH(QByteArray, text);
        QFETCH(long, pid);
        QCOMPARE(LockFilePid(text), pid == 0 ? std::optional<long>() : std::optional<long>(pid));
    }

    // Each thing that can lie at the lock's name: the check comes back at
    // once, says who holds the device, and removes only a dead process's
    // lock; whatever else is there, and whatever a link points to, is left.
    void plantedLocks_data() {
        QTest::addColumn<QByteArray>("plant");
        QTest::addColumn<QByteArray>("holder"); // free, live, root or unknown
        QTest::addColumn<bool>("kept");
        const auto row = [](const char *name, const char *plant, const char *holder, bool kept) {
            QTest::newRow(name) << QByteArray(plant) << QByteArray(holder) << kept;
        };
        row("nothing", "", "free", false);
        row("HDB, live", "hdb live", "live", true);
        row("Qt Serial Port's, live", "qt live", "live", true);
        row("binary, live", "binary live", "live", true);
        row("another user's live process", "hdb 1", "root", true);
        row("HDB, dead", "hdb dead", "free", false);
        row("Qt Serial Port's, dead", "qt dead", "free", false);
        row("binary, dead", "binary dead", "free", false);
        row("our own", "hdb self", "free", true);
        row("garbage", "garbage", "unknown", true);
        row("empty", "empty", "unknown", true);
        row("a dead pid and more", "dead and more", "unknown", true);
        row("a pid beyond the kernel's", "huge", "unknown", true);
        row("oversize", "oversize", "unknown", true);
        row("FIFO", "fifo", "unknown", true);
        row("link to a victim", "link", "unknown", true);
        row("link to nowhere", "dangling link", "unknown", true);
        row("folder", "folder", "unknown", true);
    }

    void plantedLocks() {
        QFETCH(QByteArray, plant);
        QFETCH(QByteArray, holder);
        QFETCH(bool, kept);
        const QTemporaryDir folder;
        const QTemporaryDir elsewhere;
        const UucpLock lock(QFile::encodeName(folder.path()), "/dev/null");
        const QByteArray path = lock.path();
        QCOMPARE(path, QFile::encodeName(folder.path()) + "/LCK..null");
        const QByteArray victim = QFile::encodeName(elsewhere.filePath(QStringLiteral("victim")));
        WriteFile(victim, Hdb(dead_));

        const qint64 live = live_.processId();
        if (plant == "hdb live")
            WriteFile(path, Hdb(live));
        else if (plant == "qt live")
            WriteFile(path, QByteArray::number(live) + "\nsleep\nhost\n");
        else if (plant == "binary live")
            WriteFile(path, Binary(live));
        else if (plant == "hdb 1")
            WriteFile(path, Hdb(1));
        else if (plant == "hdb dead")
            WriteFile(path, Hdb(dead_));
        else if (plant == "qt dead")
            WriteFile(path, QByteArray::number(dead_) + "\nkestenrol\nhost\nid\nboot\n");
        else if (plant == "binary dead")
            WriteFile(path, Binary(dead_));
        else if (plant == "hdb self")
            WriteFile(path, Hdb(::getpid()));
        else if (plant == "garbage")
            WriteFile(path, "garbage\n");
        else if (plant == "empty")
            WriteFile(path, {});
        else if (plant == "dead and more")
            WriteFile(path, QByteArray::number(dead_) + " and more\n");
        else if (plant == "huge")
            WriteFile(path, "4294967297\n"); // pid 1 once cut to 32 bits
        else if (plant == "oversize")
            WriteFile(path, Hdb(dead_) + QByteArray(4096, '\n'));
        else if (plant == "fifo")
            QCOMPARE(::mkfifo(path.constData(), 0644), 0);
        else if (plant == "link")
            QCOMPARE(::symlink(victim.constData(), path.constData()), 0);
        else if (plant == "dangling link")
            QCOMPARE(::symlink("/nonexistent/LCK..null", path.constData()), 0);
        else if (plant == "folder")
            QVERIFY(QDir().mkpath(QFile::decodeName(path + "/inside")));
        const QByteArray before = Entry(path);

        std::optional<LockHolder> found;
        QVERIFY2(CheckPromptly(lock, found), "the check hung");
        if (holder == "free") {
            QCOMPARE(found.has_value(), false);
        } else if (holder == "unknown") {
            QVERIFY(found.has_value());
            QCOMPARE(found->pid, std::optional<long>());
            QCOMPARE(found->program, QByteArray());
        } else {
            QVERIFY(found.has_value());
            QCOMPARE(found->pid, std::optional<long>(holder == "live" ? live : 1));
            if (holder == "live")
                QCOMPARE(found->program, QByteArray("sleep"));
        }
        QCOMPARE(Entry(path), kept ? before : QByteArray());
        // Nothing else left behind, nothing followed.
        const QStringList left =
            QDir(folder.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        QCOMPARE(left, kept ? QStringList{QStringLiteral("LCK..null")} : QStringList());
        QFile victimFile(QFile::decodeName(victim));
        QVERIFY(victimFile.open(QIODevice::ReadOnly));
        QCOMPARE(victimFile.readAll(), Hdb(dead_));
    }

    // A device is known by its resolved path, however it is written; the
    // path that is opened is that one.
    void resolvedNames_data() {
        QTest::addColumn<QByteArray>("given");
        QTest::addColumn<QByteArray>("device");
        QTest::addColumn<QByteArray>("lockName");
        const auto row = [](const char *given, const char *device, const char *lockName) {
            QTest::newRow(given) << QByteArray(given) << QByteArray(device) << QByteArray(lockName);
        };
        row("/dev/null", "/dev/null", "LCK..null");
        row("/dev/../dev/null", "/dev/null", "LCK..null");
        row("//dev/./null", "/dev/null", "LCK..null");
        row("null", "/dev/null", "LCK..null");
        row("@link", "/dev/null", "LCK..null");
        row("@link to a link", "/dev/null", "LCK..null");
        row("@pty", "@pty", "@pty");
        row("@pty/../", "@pty", "@pty");
        row("/dev/../dev/ttyKESTRUNE7", "/dev/ttyKESTRUNE7", "LCK..ttyKESTRUNE7");
    }

    void resolvedNames() {
        QFETCH(QByteArray, given);
        QFETCH(QByteArray, device);
        QFETCH(QByteArray, lockName);
        const QTemporaryDir folder;
        const QByteArray link = QFile::encodeName(folder.filePath(QStringLiteral("modem")));
        const int pty = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(pty >= 0 && ::grantpt(pty) == 0 && ::unlockpt(pty) == 0);
        const QByteArray ptyPath = ::ptsname(pty);
        QVERIFY(ptyPath.startsWith("/dev/pts/"));
        const QByteArray ptyNumber = ptyPath.mid(9);
        if (given == "@link") {
            QCOMPARE(::symlink("/dev/null", link.constData()), 0);
            given = link;
        } else if (given == "@link to a link") {
            QCOMPARE(::symlink("/dev/null", (link + "2").constData()), 0);
            QCOMPARE(::symlink((link + "2").constData(), link.constData()), 0);
            given = link;
        } else if (given == "@pty") {
            given = ptyPath;
        } else if (given == "@pty/../") {
            given = "/dev/pts/../pts/" + ptyNumber;
        }
        if (device == "@pty") {
            device = ptyPath;
            lockName = "LCK..pts_" + ptyNumber;
        }
        const UucpLock lock(QFile::encodeName(folder.path()), given);
        ::close(pty);
        QCOMPARE(lock.device(), device);
        QCOMPARE(lock.path(), QFile::encodeName(folder.path()) + '/' + lockName);
    }

    // Given a link, the device is held by a lock under its target's name, as
    // another dialer given the target writes it; and by one under the link's
    // own name, as another given the same link writes it.
    void lockedThroughALink_data() {
        QTest::addColumn<QByteArray>("lockName");
        QTest::newRow("target's name") << QByteArray("LCK..null");
        QTest::newRow("link's name") << QByteArray("LCK..") + "@link";
    }

    void lockedThroughALink() {
        QFETCH(QByteArray, lockName);
        const QTemporaryDir folder;
        const QTemporaryDir links;
        const QByteArray link = QFile::encodeName(links.filePath(QStringLiteral("modem")));
        QCOMPARE(::symlink("/dev/null", link.constData()), 0);
        lockName.replace("@link", QByteArray(link).replace('/', '_'));
        const QByteArray lockPath = QFile::encodeName(folder.path()) + '/' + lockName;
        WriteFile(lockPath, Hdb(live_.processId()));

        const UucpLock lock(QFile::encodeName(folder.path()), link);
        std::optional<LockHolder> found;
        QVERIFY2(CheckPromptly(lock, found), "the check hung");
        QVERIFY(found.has_value());
        QCOMPARE(found->pid, std::optional<long>(live_.processId()));
        QCOMPARE(Entry(lockPath).isEmpty(), false);
    }

    // The dial: refused at once when a FIFO stands under the device's
    // resolved name, and left in place; once the name is free (a dead
    // process's lock removed), Qt Serial Port locks the device under the
    // same name in the system's lock folder while the call is up.
    void dialThroughALink() {
        const ProgramFolder machine;
        const QTemporaryDir folder;
        const int pty = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(pty >= 0 && ::grantpt(pty) == 0 && ::unlockpt(pty) == 0);
        const QByteArray ptyPath = ::ptsname(pty);
        const QByteArray link = QFile::encodeName(folder.filePath(QStringLiteral("modem")));
        QCOMPARE(::symlink(ptyPath.constData(), link.constData()), 0);
        QVERIFY(SaveSetting(kSettingsApp, kModemSection, "Device", link));
        const QByteArray lockName = "LCK..pts_" + ptyPath.mid(9);
        const QByteArray planted = QFile::encodeName(folder.path()) + '/' + lockName;
        QCOMPARE(::mkfifo(planted.constData(), 0644), 0);

        HayesTelephony tapi;
        tapi.setTimings(QuickTimings());
        tapi.setLockFolder(QFile::encodeName(folder.path()));
        auto dial = std::async(std::launch::async, [&] { return tapi.Dial("123"); });
        if (dial.wait_for(kPrompt) == std::future_status::timeout) {
            ::close(::open(planted.constData(), O_WRONLY | O_NONBLOCK));
            dial.wait();
            QFAIL("the dial hung on a FIFO");
        }
        QCOMPARE(dial.get().refusal, DialRefusal::DeviceLocked);
        QVERIFY(!Entry(planted).isEmpty());

        QCOMPARE(::unlink(planted.constData()), 0);
        WriteFile(planted, Hdb(dead_));
        QVERIFY(tapi.Dial("123").placed());
        QVERIFY(Entry(planted).isEmpty());
        QFile qtLock(QFile::decodeName(QByteArray(kLockFolder) + '/' + lockName));
        QVERIFY(qtLock.open(QIODevice::ReadOnly));
        QCOMPARE(LockFilePid(qtLock.readAll()), std::optional<long>(::getpid()));
        tapi.HangUpNow();
        QVERIFY(!qtLock.exists());
        ::close(pty);
    }

    // A FIFO planted at Qt Serial Port's own lock name after the check (here:
    // before the open, with no check at all) does not hold the open for ever.
    void openWithAFifoAtQtsLockName() {
        const int pty = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(pty >= 0 && ::grantpt(pty) == 0 && ::unlockpt(pty) == 0);
        const QByteArray ptyPath = ::ptsname(pty);
        const QByteArray planted = QByteArray(kLockFolder) + '/' + LockFileName(ptyPath);
        QCOMPARE(::mkfifo(planted.constData(), 0644), 0);
        QSerialPort port(QFile::decodeName(ptyPath));
        auto open = std::async(std::launch::async, [&] { return OpenSerialPort(port); });
        const bool hung = open.wait_for(kPrompt) == std::future_status::timeout;
        if (hung)
            ::close(::open(planted.constData(), O_WRONLY | O_NONBLOCK));
        const bool opened = open.get();
        ::unlink(planted.constData());
        ::close(pty);
        QVERIFY2(!hung, "the open hung on a FIFO");
        QVERIFY(!opened);
    }

    // A device the user may not open is refused as such, not as busy.
    void dialWithoutPermission() {
        if (::geteuid() == 0)
            QSKIP("root may open any device");
        const ProgramFolder machine;
        const QTemporaryDir folder;
        const QByteArray device = QFile::encodeName(folder.filePath(QStringLiteral("ttyS9")));
        WriteFile(device, {});
        QCOMPARE(::chmod(device.constData(), 0), 0);
        QVERIFY(SaveSetting(kSettingsApp, kModemSection, "Device", device));
        HayesTelephony tapi;
        tapi.setLockFolder(QFile::encodeName(folder.path()));
        const DialResult dial = tapi.Dial("123");
        QCOMPARE(dial.refusal, DialRefusal::NoPermission);
        QCOMPARE(dial.device, device);
    }

  private:
    QProcess live_;
    qint64 dead_ = 0;
};

QTEST_GUILESS_MAIN(UucpLockTest)
#include "test_uucp_lock.moc"
