#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// Another program holding the registry store: the test helper
// registry_writer, started in one of its modes. It lets go when its input
// closes, at the latest when this goes out of scope.
class StoreHolder {
  public:
    // Starts it and waits until it announces what it holds.
    StoreHolder(const QStringList &arguments, const QByteArray &announcement);
    ~StoreHolder();
    StoreHolder(const StoreHolder &) = delete;
    StoreHolder &operator=(const StoreHolder &) = delete;

    // It announced that it holds.
    bool holding() const { return holding_; }
    // Lets go and waits for the program to end; true when it succeeded.
    bool release();
    // Kills it where it stands.
    void kill();

  private:
    QProcess process_;
    bool holding_ = false;
};
