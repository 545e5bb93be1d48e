#include "store_holder.h"

#include <sys/wait.h>
#include <unistd.h>

StoreHolder::StoreHolder(const std::function<bool()> &takeHold) {
    int said[2];
    int released[2];
    if (::pipe(said) != 0 || ::pipe(released) != 0)
        return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(said[0]);
        ::close(released[1]);
        char byte = takeHold() ? 'h' : 'f';
        // Holds until the test closes its end (or ends itself).
        if (::write(said[1], &byte, 1) == 1 && byte == 'h')
            (void)::read(released[0], &byte, 1);
        ::_exit(byte == 'h' ? 0 : 1);
    }
    ::close(said[1]);
    ::close(released[0]);
    release_ = released[1];
    char byte = 0;
    holding_ = pid_ > 0 && ::read(said[0], &byte, 1) == 1 && byte == 'h';
    ::close(said[0]);
}

StoreHolder::~StoreHolder() {
    release();
}

bool StoreHolder::release() {
    if (pid_ <= 0)
        return false;
    ::close(release_);
    int status = -1;
    const bool ended = ::waitpid(pid_, &status, 0) == pid_ && status == 0;
    pid_ = -1;
    return ended;
}
