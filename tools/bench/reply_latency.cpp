// Measures how quickly the wizard answers the registration host: the
// wizard's registration call, with a stand-in for its window, dials
// kestrune-hostsim, logs in and answers a run of distinct field requests
// (no card fields, so no window waits for a user). The simulator's trace,
// on its own clock, gives for each request the time from its end mark
// leaving the host to the first byte of the answer arriving.
//
//   reply_latency [REQUESTS]               (1000 unless given)
//   reply_latency --flood RATE [REQUESTS]
//
// Prints the median, the 99th percentile and the slowest reply. With
// --flood the host sends its requests back to back, without waiting for the
// answers, and reads at most RATE bytes a second, so that the answers pile
// up behind the line: it prints how many were answered, whether the call
// held, and how far the line fell behind. Both print the peak resident
// memory.
#include "call_window.h"
#include "headless_ui.h"
#include "modem_settings.h"
#include "program_state.h"
#include "registration_call.h"
#include "settings.h"
#include "startup.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

// What the host asks for, in turn: the wizard's pages, parts of them, and
// now and then the two texts from the registry.
constexpr std::array kRequests{"1-9,14-21,23", "1,2,16,20",         "3-9", "14-19", "16,17",
                               "20,21",        "1-9,14-21,23,25,26"};

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int Fail(const char *problem) {
    std::fprintf(stderr, "reply_latency: %s\n", problem);
    return 1;
}

bool WriteFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The wizard window as the call sees it, holding a whole registration.
class Window final : public CallWindow {
  public:
    Window() {
        e_.txtFirstName = "Mary";
        e_.txtSurname = "Smith";
        e_.txtAddress1 = "12 High Street";
        e_.txtAddress3 = "RICHMOND";
        e_.cboState = "VIC";
        e_.txtPostcode = "3121";
        e_.txtPhone = "03 9555 1234";
        e_.txtEmail = "mary@example.com";
        e_.lstExisting = "03 95550100\tMelbourne";
        e_.txtNickName = "MARYANN";
        e_.txtPassword = e_.txtPasswordConfirm = "SECRET";
        e_.txtCV = "Strategy and racing games.";
        e_.txtCallbackNumberArea = "03";
        e_.txtCallbackNumber = "95551234";
        e_.cboHeardAbout = "From a friend";
    }

    WizardEntries Entries() const override { return e_; }
    bool SurveyDone() const override { return false; }
    std::optional<CardDetails> ShowCardWindow(const CardDetails & /*offer*/,
                                              const QByteArray & /*planDetails*/) override {
        return std::nullopt;
    }
    void CloseCardWindow() override {}
    void SetCardPlanBounds(std::int16_t /*lo*/, std::int16_t /*hi*/) override {}
    void EnableWizard(Flag /*flag*/) override {}
    void ShowEntryControl(EntryControl /*control*/) override {}
    void ShowContinue(bool /*visible*/) override {}
    void ShowStatus(const QString & /*text*/) override {}
    void ShowLineUp(bool /*up*/) override {}
    void ShowConnectionSettings(Telephony & /*telephony*/) override {}

  private:
    WizardEntries e_;
};

// Microseconds from each request leaving the host to its answer arriving.
QList<qint64> Latencies(const QByteArray &trace) {
    QHash<QByteArray, qint64> sent;
    QList<qint64> latencies;
    for (const QByteArray &line : trace.split('\n')) {
        const QByteArrayList words = line.split(' ');
        if (words.size() != 3)
            continue;
        const qint64 at = words[0].toLongLong();
        if (words[1] == "sent")
            sent.insert(words[2], at);
        else if (words[1] == "first-byte" && sent.contains(words[2]))
            latencies.append(at - sent.take(words[2]));
    }
    return latencies;
}

qint64 Percentile(const QList<qint64> &sorted, int percent) {
    const auto at = (sorted.size() * percent + 99) / 100 - 1;
    return sorted.at(std::clamp<qsizetype>(at, 0, sorted.size() - 1));
}

// The distinct packets the wizard answered, by the simulator's record.
qsizetype Answered(const QByteArray &record) {
    QSet<QByteArray> sequences;
    for (const QByteArray &line : record.split('\n')) {
        if (line.startsWith("packet kind=2 "))
            sequences.insert(line.mid(line.indexOf(" seq=") + 5, 4));
    }
    return sequences.size();
}

QByteArray ReadFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char *argv[]) {
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
    qputenv("KESTRUNE_REGISTRY", QFile::encodeName(folder.filePath(QStringLiteral("registry.db"))));
    QCoreApplication app(argc, argv);
    HeadlessUi console(true);
    setUi(&console);
    QByteArrayList args;
    for (int i = 1; i < argc; ++i)
        args.append(argv[i]);
    bool ok = true;
    int floodRate = 0;
    if (!args.isEmpty() && args.first() == "--flood") {
        args.removeFirst();
        floodRate = args.isEmpty() ? 0 : args.takeFirst().toInt(&ok);
        ok = ok && floodRate > 0;
    }
    const int requests = ok && !args.isEmpty() ? args.takeFirst().toInt(&ok) : 1000;
    if (!ok || !args.isEmpty() || requests < 1 || requests > 60000)
        return Fail("usage: reply_latency [--flood BYTES-A-SECOND] [REQUESTS] (1 to 60000)");
    modKestenrol::gAppPath = QFile::encodeName(folder.path()) + '/';
    modKestenrol::SetFramingCharacters();

    QByteArray script = "set dial-delay 10\nset first-packet-delay 100\n"
                        "send \"Login: \"\nexpect \"tarnovik\\r\"\n"
                        "send \"Password: \"\nexpect \"tarnovik\\r\"\nsend \"connected\"\n";
    // A flood ends with one request waited for, which is answered once all
    // before it are; asked again as often as it takes, in case the line was
    // so far behind that its answer was dropped.
    if (floodRate > 0)
        script += "set read-rate " + QByteArray::number(floodRate) + "\nset resends 100000\n";
    for (int i = 0; i < requests; ++i) {
        script += QByteArray("request ") + kRequests.at(i % kRequests.size()) +
                  (floodRate > 0 && i + 1 < requests ? " await none\n" : "\n");
    }
    script += "end \"Done\"\n";
    const QString scenario = folder.filePath(QStringLiteral("latency.scn"));
    const QString trace = folder.filePath(QStringLiteral("trace"));
    const QString record = folder.filePath(QStringLiteral("record"));
    if (!WriteFile(scenario, script))
        return Fail("cannot write the scenario");

    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kestrune-hostsim"),
              {QStringLiteral("--trace"), trace, QStringLiteral("--record"), record, scenario});
    if (!sim.waitForStarted() || !sim.waitForReadyRead())
        return Fail("kestrune-hostsim did not start");
    SaveSetting(kSettingsApp, kModemSection, "Device", sim.readLine().trimmed());

    Window window;
    RegistrationCall call(window);
    QObject::connect(&call.ctlTAPI, &Telephony::OnTapi, &call, &RegistrationCall::ctlTAPI_OnTapi);
    QObject::connect(&call.ctlTAPI, &Telephony::CallState, &call,
                     &RegistrationCall::ctlTAPI_CallState);
    QObject::connect(&call.ctlCOMM, &SerialLine::OnComm, &call, &RegistrationCall::ctlCOMM_OnComm);
    // The call is over, well or not, when the line is idle again or the dial
    // failed.
    bool lost = false;
    QObject::connect(&call.ctlTAPI, &Telephony::CallState, [&lost](std::int32_t state) {
        lost = lost || state == kCallDisconnected;
        if (state == kCallIdle)
            QCoreApplication::quit();
    });
    QObject::connect(&call.ctlTAPI, &Telephony::OnTapi, [](std::int32_t, std::int32_t status) {
        if (status != kRequestSucceeded)
            QCoreApplication::quit();
    });
    call.DialService("03 9555 0100");
    if (!call.CallInProgress())
        return Fail("the dial was refused");
    QTimer::singleShot(600'000, &app, &QCoreApplication::quit);
    QCoreApplication::exec();
    sim.terminate();
    sim.waitForFinished();

    if (floodRate > 0) {
        const LineOutputCounts &counts = call.ctlCOMM.outputCounts();
        std::printf("%d requests back to back, the host reading %d bytes a second: %lld "
                    "answered, the call %s; the line full %d times, at most %lld bytes "
                    "waiting, %d answers dropped; peak resident memory %ld KiB\n",
                    requests, floodRate, static_cast<long long>(Answered(ReadFile(record))),
                    lost ? "lost" : "held", counts.stalls,
                    static_cast<long long>(counts.mostWaiting), counts.dropped, PeakKiB());
        return lost ? 1 : 0;
    }

    QFile traceFile(trace);
    if (!traceFile.open(QIODevice::ReadOnly))
        return Fail("no trace");
    QList<qint64> latencies = Latencies(traceFile.readAll());
    if (latencies.size() < requests)
        return Fail("not every request was answered");
    std::sort(latencies.begin(), latencies.end());
    std::printf("%lld requests answered: median %lld us, 99th percentile %lld us, slowest %lld "
                "us; peak resident memory %ld KiB\n",
                static_cast<long long>(latencies.size()),
                static_cast<long long>(Percentile(latencies, 50)),
                static_cast<long long>(Percentile(latencies, 99)),
                static_cast<long long>(latencies.last()), PeakKiB());
    return 0;
}
