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
#include <type_traits>
#include <unistd.h>
#include <utility>

namespace {

using namespace std::chrono_literals;

// Long enough for any check on a busy machine; a hang is a hang.
constexpr auto kPrompt = 10s;

// What a check is expected to find: nobody, or a holder without a pid, or
// (any other number) the holder's pid.
constexpr qint64 kFree = -1;
constexpr qint64 kUnknown = 0;

// What is planted at the lock's name: the name of the device that the link
// given points to, or (FileAtLinksName) the link's own name, as another
// dialer given the same link writes it.
enum class Plant { Nothing, File, FileAtLinksName, Fifo, Link, Folder };

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

// Runs the work, which must come back whatever stands in the lock folder:
// nothing when it hangs (on the FIFO, which is then opened for writing to
// set it free).
template <typename Work>
std::optional<std::invoke_result_t<Work>> Promptly(const QByteArray &fifo, Work work) {
    auto running = std::async(std::launch::async, work);
    if (running.wait_for(kPrompt) == std::future_status::timeout) {
        ::close(::open(fifo.constData(), O_WRONLY | O_NONBLOCK));
        running.wait();
        return std::nullopt;
    }
    return running.get();
}

} // namespace

Q_DECLARE_METATYPE(Plant)

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
        QVERIFY(files_.isValid());
        QCOMPARE(::symlink("/dev/null", link_.constData()), 0);
        WriteFile(victim_, Hdb(dead_));
        pty_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(pty_ >= 0 && ::grantpt(pty_) == 0 && ::unlockpt(pty_) == 0);
        ptyPath_ = ::ptsname(pty_);
        QVERIFY(ptyPath_.startsWith("/dev/pts/"));
    }
    void cleanupTestCase() {
        live_.kill();
        live_.waitForFinished();
        ::close(pty_);
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
                                         {"garbage", "garbage\n"},
                                         {"negative", "-5\n"},
                                         {"signed", "+5\n"},
                                         {"zero", "0\n"},
                                         {"hex", "0x10\n"},
                                         {"two numbers", "12 34\n"},
                                         {"beyond the kernel's", "4194305\n"},
                                         {"pid 1 once cut to 32 bits", "4294967297\n"}})
            QTest::newRow(name) << QByteArray(text) << 0L;
        QTest::newRow("binary beyond") << Binary(4194305) << 0L;
    }

    void lockFilePids() {
        QFETCH(QByteArray, text);
        QFETCH(long, pid);
        QCOMPARE(LockFilePid(text), pid == 0 ? std::optional<long>() : std::optional<long>(pid));
    }

    // Each thing that can lie at a lock's name: the check comes back at
    // once, says who holds the device, and removes only a dead process's
    // lock; whatever else is there, and whatever a link points to, is left.
    void plantedLocks_data() {
        QTest::addColumn<Plant>("plant");
        QTest::addColumn<QByteArray>("text"); // a file's bytes, a link's target
        QTest::addColumn<qint64>("holder");
        QTest::addColumn<bool>("kept");
        const auto file = [](const char *name, const QByteArray &text, qint64 holder, bool kept) {
            QTest::newRow(name) << Plant::File << text << holder << kept;
        };
        const auto other = [](const char *name, Plant plant, const QByteArray &target = {}) {
            QTest::newRow(name) << plant << target << kUnknown << true;
        };
        const qint64 live = live_.processId();
        QTest::newRow("nothing") << Plant::Nothing << QByteArray() << kFree << false;
        file("HDB, live", Hdb(live), live, true);
        QTest::newRow("HDB, live, at the link's name")
            << Plant::FileAtLinksName << Hdb(live) << live << true;
        file("another user's live process", Hdb(1), 1, true);
        file("HDB, dead", Hdb(dead_), kFree, false);
        file("our own", Hdb(::getpid()), kFree, true);
        file("garbage", "garbage\n", kUnknown, true);
        file("oversize", Hdb(dead_) + QByteArray(4096, '\n'), kUnknown, true);
        other("FIFO", Plant::Fifo);
        other("link to a victim", Plant::Link, victim_);
        other("folder", Plant::Folder);
    }

    void plantedLocks() {
        QFETCH(Plant, plant);
        QFETCH(QByteArray, text);
        QFETCH(qint64, holder);
        QFETCH(bool, kept);
        const QTemporaryDir folder;
        const UucpLock lock(QFile::encodeName(folder.path()), link_);
        const QByteArray name = plant == Plant::FileAtLinksName
                                    ? "LCK.." + QByteArray(link_).replace('/', '_')
                                    : QByteArray("LCK..null");
        const QByteArray path = QFile::encodeName(folder.path()) + '/' + name;
        if (plant == Plant::File || plant == Plant::FileAtLinksName)
            WriteFile(path, text);
        else if (plant == Plant::Fifo)
            QCOMPARE(::mkfifo(path.constData(), 0644), 0);
        else if (plant == Plant::Link)
            QCOMPARE(::symlink(text.constData(), path.constData()), 0);
        else if (plant == Plant::Folder)
            QVERIFY(QDir().mkpath(QFile::decodeName(path + "/inside")));
        const QByteArray before = Entry(path);

        const auto found = Promptly(path, [&lock] { return lock.holder(); });
        QVERIFY2(found, "the check hung");
        QCOMPARE(found->has_value(), holder != kFree);
        if (holder != kFree) {
            QCOMPARE(qint64((*found)->pid.value_or(kUnknown)), holder);
            if (holder != 1)
                QCOMPARE((*found)->program, QByteArray(holder == kUnknown ? "" : "sleep"));
        }
        QCOMPARE(Entry(path), kept ? before : QByteArray());
        // Nothing else left behind, nothing followed.
        const QStringList left =
            QDir(folder.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        QCOMPARE(left, kept ? QStringList{QString::fromLatin1(name)} : QStringList());
        QFile victim(QFile::decodeName(victim_));
        QVERIFY(victim.open(QIODevice::ReadOnly));
        QCOMPARE(victim.readAll(), Hdb(dead_));
    }

    // A device is known by its resolved path, however it is written; the
    // path that is opened is that one.
    void resolvedNames_data() {
        QTest::addColumn<QByteArray>("given");
        QTest::addColumn<QByteArray>("device");
        QTest::addColumn<QByteArray>("lockName");
        const auto row = [](const char *name, const QByteArray &given, const QByteArray &device,
                            const QByteArray &lockName) {
            QTest::newRow(name) << given << device << lockName;
        };
        row("dot dot", "/dev/../dev/null", "/dev/null", "LCK..null");
        row("bare name", "null", "/dev/null", "LCK..null");
        row("link", link_, "/dev/null", "LCK..null");
        row("pseudo-terminal", ptyPath_, ptyPath_, "LCK..pts_" + ptyPath_.mid(9));
        row("missing", "/dev/../dev/ttyKESTRUNE7", "/dev/ttyKESTRUNE7", "LCK..ttyKESTRUNE7");
    }

    void resolvedNames() {
        QFETCH(QByteArray, given);
        const UucpLock lock("/locks", given);
        QTEST(lock.device(), "device");
        QFETCH(QByteArray, lockName);
        QCOMPARE(lock.path(), "/locks/" + lockName);
    }

    // The dial through a link: a dead process's lock under the device's
    // resolved name is removed, and Qt Serial Port locks the device under
    // that name in the system's lock folder while the call is up.
    void dialThroughALink() {
        const ProgramFolder machine;
        const QTemporaryDir folder;
        const QByteArray link = QFile::encodeName(folder.filePath(QStringLiteral("modem")));
        QCOMPARE(::symlink(ptyPath_.constData(), link.constData()), 0);
        QVERIFY(SaveSetting(kSettingsApp, kModemSection, "Device", link));
        const QByteArray lockName = "LCK..pts_" + ptyPath_.mid(9);
        const QByteArray stale = QFile::encodeName(folder.path()) + '/' + lockName;
        WriteFile(stale, Hdb(dead_));

        HayesTelephony tapi;
        tapi.setTimings(QuickTimings());
        tapi.setLockFolder(QFile::encodeName(folder.path()));
        QVERIFY(tapi.Dial("123").placed());
        QVERIFY(Entry(stale).isEmpty());
        QFile qtLock(QFile::decodeName(QByteArray(kLockFolder) + '/' + lockName));
        QVERIFY(qtLock.open(QIODevice::ReadOnly));
        QCOMPARE(LockFilePid(qtLock.readAll()), std::optional<long>(::getpid()));
        tapi.HangUpNow();
        QVERIFY(!qtLock.exists());
    }

    // A FIFO planted at Qt Serial Port's own lock name after the check (here:
    // before the open, with no check at all) does not hold the open for ever.
    void openWithAFifoAtQtsLockName() {
        const QByteArray planted = QByteArray(kLockFolder) + '/' + LockFileName(ptyPath_);
        QCOMPARE(::mkfifo(planted.constData(), 0644), 0);
        QSerialPort port(QFile::decodeName(ptyPath_));
        const auto opened = Promptly(planted, [&port] { return OpenSerialPort(port); });
        ::unlink(planted.constData());
        QVERIFY2(opened, "the open hung on a FIFO");
        QVERIFY(!*opened);
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
    QTemporaryDir files_;
    const QByteArray link_ = QFile::encodeName(files_.filePath(QStringLiteral("modem")));
    const QByteArray victim_ = QFile::encodeName(files_.filePath(QStringLiteral("victim")));
    int pty_ = -1;
    QByteArray ptyPath_;
};

QTEST_GUILESS_MAIN(UucpLockTest)
#include "test_uucp_lock.moc"
