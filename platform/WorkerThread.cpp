#include "platform/WorkerThread.h"

#include <pthread.h>

namespace sgry::detail {

ProcessSignalsBlocked::ProcessSignalsBlocked() {
    sigset_t process;
    sigemptyset(&process);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&process, signal);
    pthread_sigmask(SIG_BLOCK, &process, &previous_);
}

ProcessSignalsBlocked::~ProcessSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace sgry::detail
