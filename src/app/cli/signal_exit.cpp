#include "app/cli/signal_exit.h"

#include "base/file_write.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <thread>

namespace tarn {

void endOnSignals() {
    // Taken by one thread of their own, where the clean-up may lock and unlink
    // as a handler could not.
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGTERM);
    if (::pthread_sigmask(SIG_BLOCK, &ending, nullptr) != 0)
        return;
    std::thread([ending] {
        int signal = 0;
        if (::sigwait(&ending, &signal) != 0)
            return;
        abandonTemporaries();
        ::_exit(128 + signal);
    }).detach();
}

} // namespace tarn
