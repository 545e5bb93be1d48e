#include "serial_line.h"

#include <QSerialPort>
#include <utility>

SerialLine::SerialLine(QObject *parent) : QObject(parent) {
    connect(&output_, &LineOutput::failed, this, &SerialLine::failed);
}

QByteArray SerialLine::Input() {
    return std::exchange(unread_, QByteArray());
}

void SerialLine::Output(const QByteArray &text) {
    if (IsOpen())
        output_.send(text);
}

bool SerialLine::IsOpen() const {
    return port_ != nullptr && port_->isOpen();
}

void SerialLine::attach(QSerialPort *port, const QByteArray &received) {
    port_ = port;
    // Written around Qt Serial Port, whose errors do not tell a full device
    // (EAGAIN) from a failed one (EIO).
    output_.start(static_cast<int>(port->handle()));
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
    output_.stop();
    port_ = nullptr;
}
