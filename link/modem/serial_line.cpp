#include "serial_line.h"

#include <QSerialPort>
#include <utility>

QByteArray SerialLine::Input() {
    return std::exchange(unread_, QByteArray());
}

void SerialLine::Output(const QByteArray &text) {
    if (!IsOpen())
        return;
    port_->write(text);
    // On its way now rather than at the next turn of the event loop: the
    // host times its answers.
    port_->flush();
}

bool SerialLine::IsOpen() const {
    return port_ != nullptr && port_->isOpen();
}

void SerialLine::attach(QSerialPort *port, const QByteArray &received) {
    port_ = port;
    unread_.clear();
    take(received);
}

void SerialLine::take(const QByteArray &received) {
    if (received.isEmpty())
        return;
    unread_.append(received);
    if (unread_.size() > kMostUnread)
        unread_.remove(0, unread_.size() - kMostUnread);
    if (raisePending_)
        return;
    raisePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            raisePending_ = false;
            if (unread_.isEmpty())
                return;
            commEvent_ = comEvReceive;
            Q_EMIT OnComm();
        },
        Qt::QueuedConnection);
}

void SerialLine::detach() {
    port_ = nullptr;
}
