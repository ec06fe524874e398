#pragma once
// Threads that do a part of the work and take none of the signals sent to
// the process. A cancel signal (Ctrl-C, SIGTERM, SIGHUP) must reach the
// thread that runs the batch: there the first one asks the run to stop and
// puts the default action back, so that a second one ends the program. Two
// signals caught at once by two threads would both be taken for the first.
#include <signal.h>

#include <thread>
#include <utility>

namespace sgry {

namespace detail {
// Blocks the process's signals in the calling thread for its lifetime and
// restores the mask it had, so that a thread started meanwhile inherits it.
class ProcessSignalsBlocked {
public:
    ProcessSignalsBlocked();
    ~ProcessSignalsBlocked();
    ProcessSignalsBlocked(const ProcessSignalsBlocked&) = delete;
    ProcessSignalsBlocked& operator=(const ProcessSignalsBlocked&) = delete;

private:
    sigset_t previous_;
};
}  // namespace detail

template <typename... Args>
std::thread StartWorkerThread(Args&&... args) {
    const detail::ProcessSignalsBlocked blocked;
    return std::thread(std::forward<Args>(args)...);
}

}  // namespace sgry
