#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <optional>
#include <utility>

// A scenario for the simulated modem and registration host: how the modem
// answers the dial command, the timings, and for each call the host's
// script. The language is described in README.md beside this file.

enum class DialAnswer { Connect, Busy, NoCarrier, NoAnswer, NoDialtone, Error, Silent };

// What a packet step waits for once its packet is sent.
enum class Await {
    Same, // an answer with the packet's sequence, sending it again when none comes
    Any,  // any packet, for a while
    None, // nothing
};

struct Step {
    enum class Kind {
        Send,
        Expect,
        Wait,
        Request,
        Data,
        Ack,
        Packet,
        Malformed,
        Repeat,
        End,
        Babble,
        Drop,
        Close,
    };

    Kind kind = Kind::Send;
    int line = 0;                              // in the scenario file
    QByteArrayList texts;                      // send: the pieces; expect, end, packet: the text
    std::uint32_t mask = 0;                    // request: the field mask
    std::int32_t reject = 0;                   // request: the rejection value
    QList<std::pair<int, QByteArray>> records; // data: field number and bytes
    int packetKind = 0;                        // packet: its kind
    std::optional<QByteArray> tag;             // 4 bytes
    std::optional<QByteArray> sequence;        // 2 bytes
    std::optional<Await> await;
    qint64 amount = 0;   // wait: milliseconds; babble: bytes
    bool random = false; // babble: random bytes rather than letters
    bool quiet = false;  // drop: without NO CARRIER
};

struct Scenario {
    DialAnswer dialAnswer = DialAnswer::Connect;
    int connectSpeed = 9600; // 0: a bare CONNECT
    bool mute = false;       // the modem answers nothing at all
    bool errorAll = false;   // the modem answers ERROR to every command
    // What the modem says to ATI before its OK.
    QByteArray identity = "Kestrune simulated modem 9600";
    bool ignoreDtr = false; // DTR dropped (or the line closed) leaves the call up, as with &D0

    // Milliseconds.
    int dialDelay = 50;
    int guard = 1000;
    int firstPacketDelay = 500;
    int resendAfter = 5000;
    int resends = 3;
    int answerWait = 2000;
    int expectWait = 10000;
    int splitPause = 30;
    // Bytes a second the host reads of what the caller sends, as a slow line
    // would; 0 for as fast as it comes.
    int readRate = 0;

    // The host's script of each call; the last one serves every later call.
    QList<QList<Step>> calls{{}};
};

// Reads a scenario. On a mistake gives nothing and says where and what.
std::optional<Scenario> ParseScenario(const QByteArray &text, QByteArray &problem);

// The text of a quoted string's body: \r \n \t \0 \\ \" and \xHH escapes.
std::optional<QByteArray> Unescape(const QByteArray &body);
