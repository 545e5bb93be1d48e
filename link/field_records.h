#pragma once

#include "flags.h"

#include <QByteArray>
#include <cstdint>
#include <functional>

// Field records, the unit of the data of answers and data packets:
//   field number (2) | text length n (2) | text (n) | one space when n is odd
// with the numbers low byte first. Records follow one another directly.

// Receives one record of a data packet: the wizard window's PacketProcessData.
using PacketDataHandler =
    std::function<void(std::int16_t intFieldNbr, const QByteArray &strFieldData)>;

// The record of the field whose number is given as decimal text (a text
// that is not a number counts as 0). The value is trimmed of blanks at both
// ends before it is measured and written.
QByteArray FieldEncode(const QByteArray &strFieldNbr, const QByteArray &strValue);

// Walks the records of a data packet's two data halves, in order, handing
// each to the handler. A record whose text runs past the end hands what
// there is. A field number or text length above 32767 stops the walk and
// makes the result false; otherwise it is true.
Flag PacketProcessFields(const QByteArray &strData1, const QByteArray &strData2,
                         const PacketDataHandler &PacketProcessData);
