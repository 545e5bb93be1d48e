#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

// What a Hayes-compatible modem says in command mode, and what is said to it.

// The verbal result codes. Anything else the modem prints (the echo of a
// command, blank lines, RING, progress reports) is Other.
enum class HayesResult { Other, Ok, Connect, NoCarrier, Error, NoDialtone, Busy, NoAnswer };

// The result code of one whole line (without its line end).
HayesResult ParseHayesResult(const QByteArray &line);

// The speed of a CONNECT line ("CONNECT 9600/ARQ" gives 9600); 0 when it
// names none.
std::int32_t ConnectSpeed(const QByteArray &line);

// Modem output in command mode, cut into whole lines: a reply may arrive in
// any number of pieces.
class ResultLines {
  public:
    // A line longer than this is no result; only its end is kept.
    static constexpr qsizetype kLongestLine = 256;

    void append(const QByteArray &bytes);
    // The first whole line, without its line end (CR, LF or CR LF, even
    // when the LF comes in a later piece).
    std::optional<QByteArray> next();
    // Everything after the lines taken so far; leaves nothing behind.
    QByteArray takeRest();
    void clear();

  private:
    void dropLineFeedAfterCR();

    QByteArray pending_;
    bool lineEndedAtCR_ = false;
};

// A telephone number as the modem dials it: blanks, hyphens, dots and
// brackets dropped. Empty when the number is empty or holds anything but
// digits, "*", "#" and "," (a pause), which could be taken for other modem
// commands.
std::optional<QByteArray> DialString(const QByteArray &number);

// True when the text holds only characters that a dial string may hold.
bool IsDialText(const QByteArray &text);

// The dial command: tone or pulse, the outside-line prefix, the number.
QByteArray DialCommand(bool pulse, const QByteArray &outsideLine, const QByteArray &dialString);
