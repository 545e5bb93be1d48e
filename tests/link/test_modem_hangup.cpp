// Hanging up for sure, against the simulated modem, which plays the
// device's modem-control lines under TtyModemLines: DTR is dropped first;
// where carrier detect does not fall (a modem set to ignore DTR) or cannot
// be seen, the modem is escaped to command mode and sent ATH0. A carrier
// lost without a word from the modem is noticed on carrier detect alone.
#include "hayes_telephony.h"
#include "host_sim.h"
#include "modem_settings.h"
#include "program_folder.h"
#include "quick_modem.h"
#include "settings.h"
#include "sim_modem_lines.h"
#include "startup.h"
#include "tty_modem_lines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QByteArray kDialed = "dial \"T0395550100\"";

// The telephony layer on the simulator's modem, its lines played by the
// simulator; the requests and call states it raised written down.
struct Caller {
    HayesTelephony tapi;
    bool carrierUp = false; // as the lines last told
    QList<std::pair<std::int32_t, std::int32_t>> requests;
    QList<std::int32_t> states;

    Caller(const HostSim &sim, const QTemporaryDir &locks, SimCarrier carrier) {
        SaveSetting(kSettingsApp, kModemSection, "Device", sim.device());
        tapi.setTimings(QuickTimings());
        tapi.setLockFolder(QFile::encodeName(locks.path()));
        tapi.setModemLines([this, path = sim.linesPath(), carrier](QSerialPort &) {
            auto made = std::make_unique<TtyModemLines>(-1, SimModemLines(path, carrier));
            QObject::connect(made.get(), &ModemLines::carrierChanged,
                             [this](bool on) { carrierUp = on; });
            return made;
        });
        QObject::connect(&tapi, &Telephony::OnTapi, [this](std::int32_t id, std::int32_t status) {
            requests.append({id, status});
        });
        QObject::connect(&tapi, &Telephony::CallState,
                         [this](std::int32_t state, std::int32_t) { states.append(state); });
    }

    bool waitForState(std::int32_t state) {
        return QTest::qWaitFor([&] { return states.contains(state); }, 5000);
    }

    // Connected, and carrier detect seen on where it is reported: the news
    // of it has reached the telephony layer, which heard it after this.
    bool connect(bool reported) {
        if (!tapi.Dial("03 9555 0100").placed() || !waitForState(kCallConnected))
            return false;
        if (reported && !QTest::qWaitFor([this] { return carrierUp; }, 5000))
            return false;
        QCoreApplication::sendPostedEvents();
        return true;
    }
};

QByteArrayList Lines(const char *text) {
    return QByteArray(text).split('|');
}

} // namespace

class ModemHangupTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // A row for each way of hanging up (in the event loop, or at once on the
    // way out), whether the call is up or still being dialled, whether the
    // modem honours DTR and whether the device reports carrier detect: what
    // the modem must have heard, and what it must not.
    void hangsUpForSure_data() {
        QTest::addColumn<bool>("now");
        QTest::addColumn<bool>("dialling");
        QTest::addColumn<bool>("ignoresDtr");
        QTest::addColumn<bool>("reported");
        QTest::addColumn<QByteArrayList>("heard");
        QTest::addColumn<QByteArrayList>("notHeard");
        const auto rows = [](const char *name, bool dialling, bool ignoresDtr, bool reported,
                             const char *heard, const char *notHeard) {
            for (const bool now : {false, true})
                QTest::addRow("%s, %s", name, now ? "on the way out" : "in the event loop")
                    << now << dialling << ignoresDtr << reported << Lines(heard) << Lines(notHeard);
        };
        rows("DTR honoured", false, false, true, "dtr-dropped|hangup dtr",
             "escape|command \"ATH0\"|dtr-raised");
        rows("DTR ignored", false, true, true, "dtr-dropped|dtr-raised|escape|hangup ath",
             "hangup dtr");
        rows("carrier not reported, DTR honoured", false, false, false,
             "dtr-dropped|hangup dtr|dtr-raised|command \"ATH0\"", "hangup ath");
        rows("dialling, DTR honoured", true, false, true,
             "dtr-dropped|dial-aborted|dtr-raised|command \"ATH0\"", "escape");
        rows("dialling, DTR ignored", true, true, true,
             "dtr-dropped|dtr-raised|dial-aborted|command \"ATH0\"", "escape");
    }

    void hangsUpForSure() {
        QFETCH(bool, now);
        QFETCH(bool, dialling);
        QFETCH(bool, ignoresDtr);
        QFETCH(bool, reported);
        QFETCH(QByteArrayList, heard);
        QFETCH(QByteArrayList, notHeard);
        const ProgramFolder machine;
        HostSim sim(kQuick + (ignoresDtr ? "modem ignore-dtr\n" : "") +
                    (dialling ? "modem silent\n" : "wait 600000\n"));
        Caller caller(sim, locks_, reported ? SimCarrier::Reported : SimCarrier::Unreported);
        if (dialling) {
            QVERIFY(caller.tapi.Dial("03 9555 0100").placed());
            QVERIFY(sim.waitForRecord(kDialed));
        } else {
            QVERIFY(caller.connect(reported));
        }

        caller.requests.clear();
        if (now) {
            caller.tapi.HangUpNow();
            QVERIFY(!caller.tapi.CallInProgress());
        } else {
            const std::int32_t id = caller.tapi.HangUp();
            QVERIFY(caller.waitForState(kCallIdle));
            QCOMPARE(caller.requests,
                     (QList<std::pair<std::int32_t, std::int32_t>>{{id, kRequestSucceeded}}));
        }
        QVERIFY(sim.waitForRecord("line-closed"));
        const QByteArrayList record = sim.record();
        for (const QByteArray &line : heard)
            QVERIFY2(record.contains(line), line + " missing from: " + record.join(" / "));
        for (const QByteArray &line : notHeard)
            QVERIFY2(!record.contains(line), line + " in: " + record.join(" / "));
        QVERIFY(QDir(locks_.path()).isEmpty());
    }

    // Carrier detect falling with no NO CARRIER from the modem ends the
    // call all the same; the line and its lock are let go.
    void carrierLostWithoutAWord() {
        const ProgramFolder machine;
        HostSim sim(kQuick + "wait 1000\ndrop quiet\nwait 600000\n");
        Caller caller(sim, locks_, SimCarrier::Reported);
        QVERIFY(caller.connect(true));
        QVERIFY(caller.waitForState(kCallIdle));
        QCOMPARE(caller.states, (QList<std::int32_t>{kCallDialling, kCallConnected,
                                                     kCallDisconnected, kCallIdle}));
        QVERIFY(!caller.tapi.CallInProgress());
        QVERIFY(sim.waitForRecord("line-closed"));
        QVERIFY(!sim.record().contains("hangup line-closed"));
        QVERIFY(QDir(locks_.path()).isEmpty());
    }

  private:
    QTemporaryDir locks_;
};

QTEST_GUILESS_MAIN(ModemHangupTest)
#include "test_modem_hangup.moc"
