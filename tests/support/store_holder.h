#pragma once

#include <functional>
#include <sys/types.h>

// Another program holding the registry store: a child process that takes
// hold with the work given (on a connection of its own), says so, and
// holds until released, at the latest until this goes out of scope. It
// lets go as a killed program would, with nothing committed.
class StoreHolder {
  public:
    // Starts it and waits until the work has taken hold or failed.
    explicit StoreHolder(const std::function<bool()> &takeHold);
    ~StoreHolder();
    StoreHolder(const StoreHolder &) = delete;
    StoreHolder &operator=(const StoreHolder &) = delete;

    bool holding() const { return holding_; }
    // Lets go and waits for the child to end; true when it had held.
    bool release();

  private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool holding_ = false;
};
