#include "store_holder.h"

#include <QCoreApplication>

namespace {
constexpr int kWaitMs = 30000;
}

StoreHolder::StoreHolder(const QStringList &arguments, const QByteArray &announcement) {
    process_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/registry_writer"),
                   arguments);
    while (!holding_ && process_.waitForReadyRead(kWaitMs)) {
        while (process_.canReadLine())
            holding_ = holding_ || process_.readLine().trimmed() == announcement;
    }
}

StoreHolder::~StoreHolder() {
    release();
}

bool StoreHolder::release() {
    if (process_.state() == QProcess::NotRunning)
        return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    process_.closeWriteChannel();
    return process_.waitForFinished(kWaitMs) && process_.exitStatus() == QProcess::NormalExit &&
           process_.exitCode() == 0;
}

void StoreHolder::kill() {
    process_.kill();
    process_.waitForFinished(kWaitMs);
}
