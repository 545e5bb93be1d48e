#pragma once

// A caller for the modem-call tests: the telephony layer with short waits,
// its line and the line receiver, as the wizard window will hold them, with
// every event written down.
#include "hayes_telephony.h"
#include "host_sim.h"
#include "line_receiver.h"
#include "modem_settings.h"
#include "quick_modem.h"
#include "settings.h"
#include "startup.h"
#include "uucp_lock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <utility>

using Event = std::pair<std::int32_t, std::int32_t>;

// The frames the line completes are kept, and dropped.
struct Caller {
    HayesTelephony tapi;
    QList<Event> requests;
    QList<Event> states;
    QByteArray buffer;
    Flag packetMode = kFalse;
    QByteArray lastPacket;
    QByteArrayList frames;
    LineReceiver receiver{buffer, packetMode, lastPacket, [this](QByteArray &, Flag &ok) {
                              frames.append(buffer);
                              ok = kFalse;
                          }};

    // The simulator's modem is the one to use.
    Caller(const HostSim &sim, const QTemporaryDir &locks) {
        SaveSetting(kSettingsApp, kModemSection, "Device", sim.device());
        tapi.setTimings(QuickTimings());
        tapi.setLockFolder(QFile::encodeName(locks.path()));
        QObject::connect(&tapi, &Telephony::OnTapi, [this](std::int32_t id, std::int32_t status) {
            requests.append({id, status});
        });
        QObject::connect(&tapi, &Telephony::CallState,
                         [this](std::int32_t state, std::int32_t extra) {
                             states.append({state, extra});
                         });
        QObject::connect(&tapi.Line(), &SerialLine::OnComm, [this] {
            if (tapi.Line().CommEvent() != comEvReceive)
                return;
            receiver.Receive(tapi.Line().Input(),
                             [this](const QByteArray &text) { tapi.Line().Output(text); });
        });
    }

    std::int32_t dial(const char *number = "03 9555 0100") {
        receiver.Reset();
        const DialResult result = tapi.Dial(number);
        return result.placed() ? result.requestId : -1;
    }
    bool waitForState(std::int32_t state, int milliseconds = 5000) {
        return QTest::qWaitFor(
            [&] {
                return std::any_of(states.begin(), states.end(),
                                   [state](const Event &e) { return e.first == state; });
            },
            milliseconds);
    }
    QList<std::int32_t> stateList() const {
        QList<std::int32_t> list;
        for (const Event &e : states)
            list.append(e.first);
        return list;
    }
};

inline void UseModem(const QByteArray &device) {
    SaveSetting(kSettingsApp, kModemSection, "Device", device);
}

inline QString LockPath(const QTemporaryDir &locks, const QByteArray &device) {
    return locks.filePath(QString::fromLatin1(LockFileName(device)));
}
