#pragma once

class QSerialPort;

// Opens the port for reading and writing, as QSerialPort::open does, but
// never hangs on what stands at its lock file's name: Qt Serial Port reads
// an existing lock file with a blocking open, so a FIFO planted there after
// our check would hold the program for ever. While the open is still under
// way, a FIFO at that name is opened for writing from a second thread now
// and then, which lets the reader go; the open then fails as for any lock
// it cannot take.
bool OpenSerialPort(QSerialPort &port);
