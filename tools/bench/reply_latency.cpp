// Measures how quickly the wizard answers the registration host: the
// wizard's registration call, with a stand-in for its window, dials
// kestrune-hostsim, logs in and answers a run of distinct field requests
// (no card fields, so no window waits for a user). The simulator's trace,
// on its own clock, gives for each request the time from its end mark
// leaving the host to the first byte of the answer arriving.
//
//   reply_latency [REQUESTS]        (1000 unless given)
//
// Prints the median, the 99th percentile and the slowest reply.
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
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

// What the host asks for, in turn: the wizard's pages, parts of them, and
// now and then the two texts from the registry.
constexpr std::array kRequests{"1-9,14-21,23", "1,2,16,20",         "3-9", "14-19", "16,17",
                               "20,21",        "1-9,14-21,23,25,26"};

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

} // namespace

int main(int argc, char *argv[]) {
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
    qputenv("KESTRUNE_REGISTRY", QFile::encodeName(folder.filePath(QStringLiteral("registry.db"))));
    QCoreApplication app(argc, argv);
    HeadlessUi console(true);
    setUi(&console);
    bool ok = true;
    const int requests = argc >= 2 ? QByteArray(argv[1]).toInt(&ok) : 1000;
    if (!ok || requests < 1 || requests > 60000)
        return Fail("usage: reply_latency [REQUESTS] (1 to 60000)");
    modKestenrol::gAppPath = QFile::encodeName(folder.path()) + '/';
    modKestenrol::SetFramingCharacters();

    QByteArray script = "set dial-delay 10\nset first-packet-delay 100\n"
                        "send \"Login: \"\nexpect \"tarnovik\\r\"\n"
                        "send \"Password: \"\nexpect \"tarnovik\\r\"\nsend \"connected\"\n";
    for (int i = 0; i < requests; ++i)
        script += QByteArray("request ") + kRequests.at(i % kRequests.size()) + '\n';
    script += "end \"Done\"\n";
    const QString scenario = folder.filePath(QStringLiteral("latency.scn"));
    const QString trace = folder.filePath(QStringLiteral("trace"));
    if (!WriteFile(scenario, script))
        return Fail("cannot write the scenario");

    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kestrune-hostsim"),
              {QStringLiteral("--trace"), trace, scenario});
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
    QObject::connect(&call.ctlTAPI, &Telephony::CallState, [](std::int32_t state) {
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

    QFile traceFile(trace);
    if (!traceFile.open(QIODevice::ReadOnly))
        return Fail("no trace");
    QList<qint64> latencies = Latencies(traceFile.readAll());
    if (latencies.size() < requests)
        return Fail("not every request was answered");
    std::sort(latencies.begin(), latencies.end());
    std::printf(
        "%lld requests answered: median %lld us, 99th percentile %lld us, slowest %lld us\n",
        static_cast<long long>(latencies.size()), static_cast<long long>(Percentile(latencies, 50)),
        static_cast<long long>(Percentile(latencies, 99)),
        static_cast<long long>(latencies.last()));
    return 0;
}
