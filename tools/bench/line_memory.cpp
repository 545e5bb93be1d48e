// Measures the peak resident memory of the line code (telephony layer,
// serial line, line receiver) through a call to kestrune-hostsim whose host
// babbles: so many bytes without a line end or end mark, in login or packet
// mode. Run it with 0 bytes for a short normal call to compare.
//
//   line_memory BYTES [login|packet]
//
// Prints the bytes received, the seconds taken and the peak resident set.
#include "hayes_telephony.h"
#include "headless_ui.h"
#include "line_receiver.h"
#include "modem_settings.h"
#include "program_state.h"
#include "settings.h"
#include "startup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

// Settings kept in memory: the measurement leaves the user's alone.
class MemorySettings final : public SettingsStore {
  public:
    QByteArray read(const QByteArray &, const QByteArray &section, const QByteArray &key) override {
        return values_.value(section + '/' + key);
    }
    bool write(const QByteArray &, const QByteArray &section, const QByteArray &key,
               const QByteArray &value) override {
        values_.insert(section + '/' + key, value);
        return true;
    }
    bool deleteSection(const QByteArray &, const QByteArray &) override { return true; }

  private:
    QHash<QByteArray, QByteArray> values_;
};

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int Fail(const char *problem) {
    std::fprintf(stderr, "line_memory: %s\n", problem);
    return 1;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    HeadlessUi console(true);
    setUi(&console);
    bool ok = false;
    const qint64 babble = argc >= 2 ? QByteArray(argv[1]).toLongLong(&ok) : 0;
    const QByteArray mode = argc >= 3 ? QByteArray(argv[2]) : QByteArray("packet");
    if (!ok || babble < 0 || (mode != "login" && mode != "packet"))
        return Fail("usage: line_memory BYTES [login|packet]");
    modKestenrol::SetFramingCharacters();

    QTemporaryDir folder;
    QFile scenario(folder.filePath(QStringLiteral("babble.scn")));
    QByteArray script = "set dial-delay 10\nsend \"Login: \"\nexpect \"tarnovik\\r\"\n";
    if (mode == "packet")
        script += "send \"connected\"\nwait 50\n";
    if (babble > 0)
        script += "babble " + QByteArray::number(babble) + " random\n";
    script += "send \"~\\r\\n\"\n";
    if (!scenario.open(QIODevice::WriteOnly) || scenario.write(script) != script.size())
        return Fail("cannot write the scenario");
    scenario.close();

    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kestrune-hostsim"),
              {scenario.fileName()});
    if (!sim.waitForStarted() || !sim.waitForReadyRead())
        return Fail("kestrune-hostsim did not start");
    const QByteArray device = sim.readLine().trimmed();

    MemorySettings settings;
    setSettingsStore(&settings);
    SaveSetting(kSettingsApp, kModemSection, "Device", device);

    HayesTelephony tapi;
    QByteArray buffer;
    Flag packetMode = kFalse;
    QByteArray lastPacket;
    LineReceiver receiver(buffer, packetMode, lastPacket,
                          [](const QByteArray &, QByteArray &) { return kFalse; });
    qint64 received = 0;
    qsizetype largestBuffer = 0;
    QElapsedTimer timer;
    QObject::connect(&tapi.Line(), &SerialLine::OnComm, [&] {
        const QByteArray input = tapi.Line().Input();
        received += input.size();
        receiver.Receive(input, [&](const QByteArray &text) { tapi.Line().Output(text); });
        largestBuffer = std::max(largestBuffer, buffer.size());
        if (received >= babble + 7 + (mode == "packet" ? 9 : 0) + 3)
            QCoreApplication::quit();
    });
    QObject::connect(&tapi, &Telephony::CallState, [](std::int32_t state, std::int32_t) {
        if (state == kCallIdle)
            QCoreApplication::quit();
    });
    timer.start();
    if (!tapi.Dial("123").placed())
        return Fail("the dial was refused");
    QTimer::singleShot(600'000, &app, &QCoreApplication::quit);
    QCoreApplication::exec();
    const double seconds = static_cast<double>(timer.elapsed()) / 1000.0;
    tapi.HangUpNow();
    sim.terminate();
    sim.waitForFinished();

    std::printf("mode %s, babble %lld bytes: received %lld bytes in %.1f s, largest receive "
                "buffer %lld bytes, peak resident memory %ld KiB\n",
                mode.constData(), static_cast<long long>(babble), static_cast<long long>(received),
                seconds, static_cast<long long>(largestBuffer), PeakKiB());
    return 0;
}
