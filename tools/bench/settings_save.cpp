// Measures Submit's save of the wizard's entries into a per-user settings
// file that holds BYTES bytes (1 MiB unless given) before each save, SAVES
// times (5 unless given): the median and slowest time of a save, whether
// the file kept the entries, and the resident memory before the first save
// and at its peak through them. The file and the registry store lie in a
// temporary folder.
//
//   settings_save [BYTES [SAVES]]
//
// The padding is one section of short keys, each line 64 bytes, which is
// what makes a settings file slow to take apart.
#include "saved_details.h"
#include "settings.h"
#include "startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// A line of /proc/self/status, in KiB.
long StatusKiB(const QByteArray &field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Starts a new peak of the resident set from what is resident now.
void ResetPeak() {
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

QByteArray SettingsText(qsizetype bytes) {
    QByteArray text = "[Properties]\nAppPath=/opt/kestrune\n\n[Modem]\nDevice=/dev/ttyS0\n\n"
                      "[Notes]\n";
    for (int line = 0; text.size() < bytes; ++line) {
        QByteArray entry = "Note" + QByteArray::number(line).rightJustified(6, '0') + '=';
        entry += QByteArray(63 - entry.size(), 'n') + '\n';
        text += entry.left(bytes - text.size());
    }
    return text;
}

WizardEntries Entries() {
    WizardEntries entries;
    entries.txtFirstName = "Mary";
    entries.txtSurname = "Smith";
    entries.txtAddress1 = "12 Long Street";
    entries.txtAddress2 = "Unit 4";
    entries.txtAddress3 = "Carlton";
    entries.cboState = QByteArray("VIC");
    entries.txtPostcode = "3053";
    entries.txtPhone = "03 9555 1234";
    entries.txtEmail = "mary@example.com";
    entries.lstExisting = QByteArray("03 9999 0000\tMelbourne");
    entries.txtNickName = "MARYS";
    entries.txtPassword = "secret12";
    entries.txtPasswordConfirm = "secret12";
    entries.txtCV = "Plays chess.\r\nLikes puzzles.";
    entries.txtCallbackNumberArea = "03";
    entries.txtCallbackNumber = "95551234";
    entries.cboHeardAbout = QByteArray("A friend");
    return entries;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const qsizetype bytes = argc > 1 ? std::atoll(argv[1]) : 1024 * 1024;
    const int saves = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir dir;
    if (!dir.isValid() || bytes < 0 || saves < 1) {
        std::fprintf(stderr, "usage: settings_save [BYTES [SAVES]]\n");
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    qputenv("KESTRUNE_REGISTRY", QFile::encodeName(dir.filePath(QStringLiteral("registry.db"))));
    const QString path = IniSettingsStore::filePath(kSettingsApp);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray text = SettingsText(bytes);
    const WizardEntries entries = Entries();
    QList<double> times;
    long before = -1;
    for (int save = 0; save < saves; ++save) {
        // Every save finds the same file: the last one added the pages.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return 1;
        file.close();
        if (before < 0) {
            ResetPeak();
            before = StatusKiB("VmRSS");
        }
        QElapsedTimer timer;
        timer.start();
        StoreRegistrationDetails(entries);
        times.append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    const long peak = StatusKiB("VmHWM");
    QFile saved(path);
    const bool kept = saved.open(QIODevice::ReadOnly) && saved.readAll().contains("[Page1]");
    std::sort(times.begin(), times.end());
    std::printf("settings file %lld bytes, %d saves (%s): median %.1f ms, slowest %.1f ms; "
                "resident before the first %ld KiB, peak %ld KiB\n",
                static_cast<long long>(bytes), saves, kept ? "kept" : "refused",
                times[times.size() / 2], times.last(), before, peak);
    return 0;
}
