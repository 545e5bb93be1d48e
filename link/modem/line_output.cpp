#include "line_output.h"

#include "logging.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

LineOutput::LineOutput(QObject *parent) : QObject(parent) {
    connect(&writable_, &QSocketNotifier::activated, this, &LineOutput::writeWaiting);
}

void LineOutput::start(int descriptor) {
    stop();
    descriptor_ = descriptor;
    writable_.setSocket(descriptor);
    counts_ = {};
}

void LineOutput::stop() {
    writable_.setEnabled(false);
    descriptor_ = -1;
    failed_ = false;
    pending_.clear();
    written_ = 0;
}

bool LineOutput::send(const QByteArray &text) {
    if (descriptor_ < 0 || failed_)
        return false;
    if (waiting() + text.size() > kMostWaiting) {
        if (counts_.dropped++ == 0)
            qCWarning(lcLine) << "the line is" << waiting()
                              << "bytes behind: replies are dropped until it catches up";
        return false;
    }
    pending_.append(text);
    // While bytes wait the device is full, until it says otherwise.
    if (!writable_.isEnabled())
        writeWaiting();
    counts_.mostWaiting = std::max(counts_.mostWaiting, waiting());
    return !failed_;
}

void LineOutput::writeWaiting() {
    while (waiting() > 0) {
        const ssize_t wrote =
            ::write(descriptor_, pending_.constData() + written_, static_cast<size_t>(waiting()));
        if (wrote > 0) {
            written_ += wrote;
        } else if (wrote < 0 && errno == EINTR) {
            continue;
        } else if (wrote < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            fail(errno);
            return;
        } else {
            break; // full
        }
    }
    if (waiting() == 0) {
        pending_.clear();
        written_ = 0;
        writable_.setEnabled(false);
        return;
    }
    // What has gone is let go of once it is the greater part.
    if (written_ > pending_.size() / 2) {
        pending_.remove(0, written_);
        written_ = 0;
    }
    if (!writable_.isEnabled()) {
        ++counts_.stalls;
        writable_.setEnabled(true);
    }
}

void LineOutput::fail(int error) {
    qCWarning(lcLine) << "the line failed:" << qt_error_string(error);
    failed_ = true;
    writable_.setEnabled(false);
    pending_.clear();
    written_ = 0;
    Q_EMIT failed();
}
