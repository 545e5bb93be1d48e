#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <cstdint>
#include <utility>

// The host's side of the packets: what it builds, and how it writes down
// what it receives.

// The data of a request: the field mask and the rejection value.
QByteArray RequestData(std::uint32_t mask, std::int32_t reject);

// Field records with their bytes exactly as given (nothing trimmed), each
// padded to an even length.
QByteArray DataRecords(const QList<std::pair<int, QByteArray>> &records);

// The wire form of a packet whose checksum does not hold.
QByteArray MalformedPacket(const QByteArray &tag, const QByteArray &sequence);

struct ReceivedPacket {
    bool ok = false;
    std::int16_t kind = 0;
    QByteArray sequence;
    // The record's lines: "packet kind=K tag=HEX seq=HEX length=L", then for
    // an answer one "field N "text"" a record; or "bad-frame HEX".
    QByteArrayList lines;
};

// Opens and describes a frame received from the line.
ReceivedPacket DescribeFrame(const QByteArray &frame);
