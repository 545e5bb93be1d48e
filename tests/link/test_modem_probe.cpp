// Detect's probe against simulated modems on real pseudo-terminals, and
// against devices that are no modem at all.
#include "host_sim.h"
#include "modem_probe.h"
#include "uucp_lock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kQuickAnswer = 300;

// The devices this process has open.
QByteArrayList OpenDevices() {
    QByteArrayList devices;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo &fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        devices.append(QFile::encodeName(fd.symLinkTarget()));
    return devices;
}

} // namespace

class ModemProbeTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    std::unique_ptr<ModemProbe> probe_;

    QByteArray inFolder(const char *name) const {
        return QFile::encodeName(folder_.filePath(QLatin1String(name)));
    }
    QByteArray lockFolder() const { return QFile::encodeName(folder_.path()); }
    void probe(const QByteArrayList &devices) {
        probe_->setPortList([devices] { return devices; });
        probe_->start();
    }

  private Q_SLOTS:
    void init() {
        probe_ = std::make_unique<ModemProbe>();
        probe_->setTimings({kQuickAnswer});
        probe_->setLockFolder(lockFolder());
    }
    void cleanup() { probe_.reset(); }

    // Every port in turn, each once: only the modem that answers ATZ with OK
    // is asked ATI and counts as found; the others say why not (a device the
    // user may not open too, where the user is not root), and only the ports
    // that can be opened are written to.
    void eachPortSaysWhatItIs() {
        const HostSim answering("set ati \"Hayes Test 33600\"\n");
        const HostSim mute("modem mute\n");
        const HostSim error("modem error-all\n");
        HostSim locked("\n");
        QFile lock(QFile::decodeName(lockFolder() + '/' + LockFileName(locked.device())));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(locked.process().processId()).rightJustified(10, ' ') + '\n');
        lock.close();
        QVERIFY(::mkfifo(inFolder("fifo").constData(), 0600) == 0);
        for (const auto &[name, mode] : {std::pair("notes.txt", 0600), {"ttyForbidden", 0}})
            QCOMPARE(::close(::open(inFolder(name).constData(), O_CREAT | O_WRONLY, mode)), 0);

        struct Row {
            QByteArray device;
            PortOutcome outcome;
            QByteArray text;
            QByteArray said;
        };
        QList<Row> rows{
            {answering.device(), PortOutcome::Answered, "Hayes Test 33600", "a modem answered"},
            {mute.device(), PortOutcome::Silent, "", "no answer"},
            {error.device(), PortOutcome::Refused, "ERROR", "answered ERROR"},
            {locked.device(), PortOutcome::Locked, "", "in use by another program"},
            {"/dev/kestrune-no-such-port", PortOutcome::Missing, "", "does not exist"},
            {inFolder("notes.txt"), PortOutcome::NotSerial, "", "not a serial port"},
            {inFolder("fifo"), PortOutcome::NotSerial, "", "not a serial port"},
        };
        if (::geteuid() != 0) // root may open any device
            rows.append(
                {inFolder("ttyForbidden"), PortOutcome::NoPermission, "", "permission denied"});
        QByteArrayList devices;
        for (const Row &row : rows)
            devices << row.device;
        QSignalSpy probing(probe_.get(), &ModemProbe::Probing);
        QSignalSpy finished(probe_.get(), &ModemProbe::Finished);
        probe(devices + QByteArrayList{answering.device(), ""});
        QVERIFY(probe_->running() && probing.isEmpty());
        QVERIFY(finished.wait(10000));

        QCOMPARE(probing.size(), rows.size());
        QCOMPARE(probe_->results().size(), rows.size());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const ProbedPort &port = probe_->results()[i];
            QCOMPARE(probing[i], (QVariantList{rows[i].device, int(i + 1), int(rows.size())}));
            QCOMPARE(port.device, rows[i].device);
            QCOMPARE(port.outcome, rows[i].outcome);
            QCOMPARE(port.text, rows[i].text);
            QCOMPARE(PortOutcomeText(port), rows[i].said);
        }
        QVERIFY(!probe_->running() && !probe_->portOpen());

        QCOMPARE(answering.record(), (QByteArrayList{"line-opened", "command \"ATZ\"",
                                                     "command \"ATI\"", "line-closed"}));
        QCOMPARE(mute.record(), (QByteArrayList{"line-opened", "command \"ATZ\"", "line-closed"}));
        QCOMPARE(error.record(), (QByteArrayList{"line-opened", "command \"ATZ\"", "line-closed"}));
        QVERIFY(!locked.record().contains("line-opened"));
        QVERIFY(lock.exists());
        for (const QByteArray &device : devices)
            QVERIFY2(!OpenDevices().contains(device), device);
    }

    // Cancelled while a modem is silent: its port is closed at once, and the
    // probe goes no further and reports nothing more; a new start begins
    // afresh.
    void cancelStopsAtOnce() {
        const HostSim mute("modem mute\n");
        const HostSim answering("\n");
        probe_->setTimings({60000});
        QSignalSpy probed(probe_.get(), &ModemProbe::Probed);
        QSignalSpy finished(probe_.get(), &ModemProbe::Finished);
        probe({mute.device(), answering.device()});
        QVERIFY(mute.waitForRecord("command \"ATZ\""));
        QVERIFY(probe_->portOpen() && OpenDevices().contains(mute.device()));

        probe_->cancel();
        QVERIFY(!probe_->running() && !probe_->portOpen());
        QVERIFY(!OpenDevices().contains(mute.device()));
        QVERIFY(mute.waitForRecord("line-closed"));
        QCoreApplication::processEvents();
        QVERIFY(probed.isEmpty() && finished.isEmpty() &&
                !answering.record().contains("line-opened"));

        probe_->setTimings({kQuickAnswer});
        probe({answering.device()});
        QVERIFY(finished.wait(5000));
        QCOMPARE(probe_->results().size(), 1);
        QCOMPARE(probe_->results()[0].text, QByteArray("Kestrune simulated modem 9600"));
    }
};

QTEST_GUILESS_MAIN(ModemProbeTest)
#include "test_modem_probe.moc"
