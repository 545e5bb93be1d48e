// Measures how quickly the wizard answers the registration host: the real
// wizard window (off screen) dials kestrune-hostsim, logs in and answers a
// run of distinct field requests (no card fields, so no window waits for a
// user). The simulator's trace, on its own clock, gives for each request
// the time from its end mark leaving the host to the first byte of the
// answer arriving.
//
//   reply_latency [REQUESTS]        (1000 unless given)
//
// Prints the median, the 99th percentile and the slowest reply.
#include "frmRegistration.h"
#include "headless_ui.h"
#include "modem_settings.h"
#include "program_state.h"
#include "settings.h"
#include "startup.h"

#include <QApplication>
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

// A registration as an earlier Submit saved it, restored by the wizard.
void SaveEntries() {
    const QList<std::array<const char *, 3>> entries{
        {"Page1", "FirstName", "Mary"},
        {"Page1", "SurName", "Smith"},
        {"Page1", "Address1", "12 High Street"},
        {"Page1", "Address3", "RICHMOND"},
        {"Page1", "State", "VIC"},
        {"Page1", "Postcode", "3121"},
        {"Page1", "Phone", "03 9555 1234"},
        {"Page1", "Email", "mary@example.com"},
        {"Page2", "Connection", "0"},
        {"Page3", "NickName", "MARYANN"},
        {"Page3", "Password", "SECRET"},
        {"Page3", "PasswordConfirm", "SECRET"},
        {"Page3", "CV", "Strategy and racing games."},
        {"Page4", "CallBackNumberArea", "03"},
        {"Page4", "CallBackNumber", "95551234"},
        {"Page4", "HeardAbout", "From a friend"},
    };
    for (const auto &[section, key, value] : entries)
        SaveSetting(kSettingsApp, section, key, value);
}

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
    qputenv("KESTRUNE_REGISTRY", QFile::encodeName(folder.filePath(QStringLiteral("registry.db"))));
    QApplication app(argc, argv);
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
    SaveEntries();

    frmRegistration wizard;
    wizard.DialService("03 9555 0100");
    if (!wizard.ctlTAPI.CallInProgress())
        return Fail("the dial was refused");
    QTimer ended;
    QObject::connect(&ended, &QTimer::timeout, [&] {
        if (console.programEnded() && !wizard.ctlTAPI.CallInProgress())
            QCoreApplication::quit();
    });
    ended.start(20);
    QTimer::singleShot(600'000, &app, &QCoreApplication::quit);
    QApplication::exec();
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
