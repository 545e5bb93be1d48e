#pragma once

#include "flags.h"
#include "pktguard_library.h"

#include <QByteArray>
#include <functional>

// The receiving side of the serial line once the call is up: answers the
// host's login prompts and then cuts the character stream into framed
// packets.
//
// It works on the wizard window's receive buffer and packet-mode flag and on
// the last packet prepared for sending, which it is given by reference.

// The login text, answered to both prompts.
inline constexpr char kLoginAnswer[] = "tarnovik\r";
// Login mode keeps at most this many characters of a line.
inline constexpr qsizetype kLongestLoginLine = 256;
// The longest frame: start mark, a sealed packet as large as the library's
// buffer with every byte stuffed into two, end mark.
inline constexpr qsizetype kLongestFrame = 2 * kPktGuardBufferSize + 2;

class LineReceiver {
  public:
    // Handles one complete frame: the conversation's PacketProcess. It
    // leaves the packet to send in lastPacket and says whether it is to be
    // sent.
    using FrameHandler = std::function<Flag(const QByteArray &frame, QByteArray &lastPacket)>;
    using Sender = std::function<void(const QByteArray &text)>;

    LineReceiver(QByteArray &mReceiveBuffer, Flag &mPacketMode, QByteArray &gLastPacket,
                 FrameHandler PacketProcess);

    // A fresh line for a new call: login mode, nothing received, nothing
    // sent yet.
    void Reset();

    // Takes the characters read from the line, sending the answers through
    // send as they fall due. Characters that arrive while a frame is being
    // handled (its handler may show a window) are kept, within
    // kLongestFrame, and taken in order once it returns.
    void Receive(const QByteArray &input, const Sender &send);

  private:
    void takeLoginCharacter(char c, const Sender &send, bool &dropRest);
    void takePacketCharacter(char c, const Sender &send, bool &dropRest);
    void handleFrame(const Sender &send, bool &dropRest);
    void receiveNow(const QByteArray &input, const Sender &send);

    QByteArray &buffer_;
    Flag &packetMode_;
    QByteArray &lastPacket_;
    FrameHandler packetProcess_;

    // The next character is the second of an escape pair.
    bool escaped_ = false;
    // The frame being received outgrew kLongestFrame: skip to its end or to
    // the next start mark.
    bool skipping_ = false;
    bool handling_ = false;
    QByteArray held_;
};
