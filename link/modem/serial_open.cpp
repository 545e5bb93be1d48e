#include "serial_open.h"

#include "uucp_lock.h"

#include <QFile>
#include <QSerialPort>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

// How long an open may take before the lock file's name is looked at.
constexpr std::chrono::milliseconds kOpenPatience{500};

} // namespace

bool OpenSerialPort(QSerialPort &port) {
    // Qt Serial Port's own lock, always in the system's lock folder.
    const QByteArray lockPath =
        QByteArray(kLockFolder) + '/' + LockFileName(QFile::encodeName(port.portName()));
    std::mutex mutex;
    std::condition_variable opened;
    bool done = false;
    std::thread freer([&] {
        std::unique_lock<std::mutex> lock(mutex);
        while (!opened.wait_for(lock, kOpenPatience, [&] { return done; })) {
            // Succeeds only on a FIFO that someone is reading from.
            const int fd = ::open(lockPath.constData(),
                                  O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
        }
    });
    const bool ok = port.open(QIODevice::ReadWrite);
    {
        const std::lock_guard<std::mutex> lock(mutex);
        done = true;
    }
    opened.notify_one();
    freer.join();
    return ok;
}

// Qt reports a device another program holds exclusively as a permission
// error too: only the device's own permissions tell them apart.
OpenFailure WhyNotOpened(const QSerialPort &port, const QByteArray &device) {
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return OpenFailure::Missing;
    case QSerialPort::PermissionError:
        return ::access(device.constData(), R_OK | W_OK) != 0 && errno == EACCES
                   ? OpenFailure::NoPermission
                   : OpenFailure::Locked;
    case QSerialPort::UnsupportedOperationError:
        return OpenFailure::NotSerial;
    default:
        return OpenFailure::Other;
    }
}

// Failures after which the port is of no more use. Qt 6.4 repeats some of
// them without end while the port stays open. It also gives ResourceError
// for a full device (EAGAIN) when made to write at once (flush()); nothing
// here does that, and the call's own output goes around it (SerialLine), so
// from the port it means the device is gone (EIO).
bool IsPortFailure(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
    case QSerialPort::WriteError:
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
    case QSerialPort::UnknownError:
        return true;
    default:
        return false;
    }
}
