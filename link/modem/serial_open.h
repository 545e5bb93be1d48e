#pragma once

#include <QByteArray>
#include <QSerialPort>

// Opens the port for reading and writing, as QSerialPort::open does, but
// never hangs on what stands at its lock file's name: Qt Serial Port reads
// an existing lock file with a blocking open, so a FIFO planted there after
// our check would hold the program for ever. While the open is still under
// way, a FIFO at that name is opened for writing from a second thread now
// and then, which lets the reader go; the open then fails as for any lock
// it cannot take.
bool OpenSerialPort(QSerialPort &port);

// Why a port could not be opened, as the user can act on it.
enum class OpenFailure {
    Missing,      // no such device
    NoPermission, // the user may not open it
    Locked,       // another program holds it
    NotSerial,    // the device is no serial port
    Other,
};

// Why the open of the port, whose device is at the path, failed.
OpenFailure WhyNotOpened(const QSerialPort &port, const QByteArray &device);

// Whether the port's error means it is of no more use.
bool IsPortFailure(QSerialPort::SerialPortError error);
