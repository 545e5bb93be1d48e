#include "host_sim.h"

#include <QFile>
#include <QTest>

namespace {

constexpr int kStartWait = 10000;

QString InFolder(const QTemporaryDir &folder, const char *name) {
    return folder.filePath(QLatin1String(name));
}

} // namespace

QByteArray HostSim::Scenario(const QString &name) {
    QFile file(QStringLiteral(KESTRUNE_SCENARIOS "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

HostSim::HostSim(const QByteArray &scenario) {
    QFile file(InFolder(folder_, "scenario"));
    if (!file.open(QIODevice::WriteOnly) || file.write(scenario) != scenario.size())
        return;
    file.close();
    process_.start(QStringLiteral(KESTRUNE_HOSTSIM),
                   {QStringLiteral("--record"), InFolder(folder_, "record"),
                    QStringLiteral("--trace"), InFolder(folder_, "trace"),
                    QStringLiteral("--lines"), linesPath(), file.fileName()});
    if (!process_.waitForStarted(kStartWait))
        return;
    while (!process_.canReadLine() && process_.waitForReadyRead(kStartWait)) {
    }
    device_ = process_.readLine().trimmed();
}

HostSim::~HostSim() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(kStartWait))
        process_.kill();
}

QByteArrayList HostSim::record() const {
    QFile file(InFolder(folder_, "record"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArrayList lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool HostSim::waitForRecord(const QByteArray &line, int milliseconds) const {
    return QTest::qWaitFor([&] { return record().contains(line); }, milliseconds);
}

QString HostSim::linesPath() const {
    return InFolder(folder_, "lines");
}
