// The real kestenrol as the system sees it, and the handler of its quit
// signals.
#include "quit_signals.h"
#include "scripted_ui.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cerrno>
#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString ProcEntry(qint64 pid, const char *entry) {
    return u"/proc/%1/%2"_s.arg(pid).arg(QLatin1StringView(entry));
}

QByteArray ReadProc(qint64 pid, const char *entry) {
    QFile file(ProcEntry(pid, entry));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A line of /proc/PID/status or /proc/PID/limits, from the text after its name.
QByteArrayList ProcFields(qint64 pid, const char *entry, const QByteArray &name) {
    for (const QByteArray &line : ReadProc(pid, entry).split('\n')) {
        if (line.startsWith(name))
            return line.mid(name.size()).simplified().split(' ');
    }
    return {};
}

// The open sockets of this process.
QList<int> OpenSockets() {
    QList<int> sockets;
    for (int fd = 0; fd < 1024; ++fd) {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode))
            sockets.append(fd);
    }
    return sockets;
}

} // namespace

class KestenrolProcessTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void memoryKeptFromOtherProcesses();
    void quitSignalLeavesErrnoAsItWas();
};

// Started by an ordinary user (nobody, when the test runs as root: a process
// of root's looks the same dumpable or not), the wizard makes itself
// non-dumpable at once: its /proc entries become root's, it may write no
// core file, and another process of the same user cannot read its memory.
void KestenrolProcessTest::memoryKeptFromOtherProcesses() {
    const QTemporaryDir place;
    QVERIFY(place.isValid());
    const QString folder = place.path();
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadOther | QFile::ExeOther));
    const QString program = folder + u"/kestenrol"_s;
    QVERIFY(QFile::copy(QStringLiteral(KESTENROL), program));
    QVERIFY(
        QFile::copy(QStringLiteral(KESTRUNE_SAMPLE_DIR "/terms.txt"), folder + u"/terms.txt"_s));
    const QString home = folder + u"/home"_s;
    QVERIFY(QDir().mkdir(home));

    QStringList asUser;
    uid_t user = ::geteuid();
    if (user == 0) {
        const passwd *nobody = ::getpwnam("nobody");
        QVERIFY(nobody != nullptr);
        user = nobody->pw_uid;
        QCOMPARE(::chown(QFile::encodeName(home).constData(), nobody->pw_uid, nobody->pw_gid), 0);
        asUser = {u"--reuid=%1"_s.arg(nobody->pw_uid), u"--regid=%1"_s.arg(nobody->pw_gid),
                  u"--clear-groups"_s};
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"HOME"_s, home);
    environment.insert(u"TMPDIR"_s, home);
    environment.insert(u"XDG_RUNTIME_DIR"_s, home);
    environment.insert(u"XDG_CONFIG_HOME"_s, home + u"/config"_s);
    environment.insert(u"KESTRUNE_REGISTRY"_s, home + u"/registry.db"_s);
    QProcess kestenrol;
    kestenrol.setProcessEnvironment(environment);
    kestenrol.start(u"setpriv"_s, asUser + QStringList{program});
    QVERIFY(kestenrol.waitForStarted());
    const qint64 pid = kestenrol.processId();

    // The wizard itself, not what started it; the kernel gives root the /proc
    // entries of a process it holds non-dumpable, whoever runs it.
    QVERIFY(QTest::qWaitFor(
        [&] {
            return ReadProc(pid, "comm").trimmed() == "kestenrol" &&
                   QFileInfo(ProcEntry(pid, "status")).ownerId() == 0;
        },
        10000));
    QCOMPARE(ProcFields(pid, "status", "Uid:").value(0), QByteArray::number(user));
    QCOMPARE(ProcFields(pid, "limits", "Max core file size").mid(0, 2), (QByteArrayList{"0", "0"}));
    QProcess reader;
    reader.start(u"setpriv"_s,
                 asUser + QStringList{u"head"_s, u"-c"_s, u"1"_s, ProcEntry(pid, "mem")});
    QVERIFY(reader.waitForFinished());
    QVERIFY(reader.exitCode() != 0);
    QVERIFY(reader.readAllStandardError().contains("Permission denied"));

    // It may not be listening for quit signals yet.
    kestenrol.kill();
    QVERIFY(kestenrol.waitForFinished());
}

// The handler may interrupt code between a failed call and its look at
// errno: the code finds errno as the call left it, even when the handler's
// own write fails.
void KestenrolProcessTest::quitSignalLeavesErrnoAsItWas() {
    ScriptedUi ui;
    const QList<int> before = OpenSockets();
    EndProgramOnQuitSignals();
    QList<int> pair = OpenSockets();
    pair.removeIf([&before](int fd) { return before.contains(fd); });
    QCOMPARE(pair.size(), 2);
    // Both ways full, the handler's write included.
    const std::array<char, 512> block{};
    for (const int fd : pair) {
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        while (::write(fd, block.data(), 1) > 0) {
        }
    }

    errno = EDOM;
    std::raise(SIGTERM);
    const int afterSignal = errno;
    // Nothing of it is left for the event loop.
    std::array<char, 4096> drained{};
    for (const int fd : pair) {
        while (::read(fd, drained.data(), drained.size()) > 0) {
        }
    }
    QCOMPARE(afterSignal, EDOM);
}

QTEST_MAIN(KestenrolProcessTest)
#include "test_kestenrol_process.moc"
