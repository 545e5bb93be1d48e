#pragma once

#include <QByteArray>
#include <chrono>
#include <cstdio>

// What the simulator writes down, each line as it happens so that a test can
// read the file while the simulator runs:
//   the record  everything it received, one event a line (see README.md)
//   the trace   "<microseconds> <event>" on the simulator's own monotonic
//               clock: when a packet's end mark left and when the first byte
//               of its answer arrived
class Recorder {
  public:
    Recorder() = default;
    ~Recorder();
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    // False when a file cannot be created.
    bool openRecord(const QByteArray &path);
    bool openTrace(const QByteArray &path);

    void record(const QByteArray &line);
    void trace(const QByteArray &event);

  private:
    std::FILE *record_ = nullptr;
    std::FILE *trace_ = nullptr;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The bytes in double quotes: printable ASCII as it is, a backslash or quote
// escaped with a backslash, anything else as \xHH.
QByteArray Quote(const QByteArray &bytes);
