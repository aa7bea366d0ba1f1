#include "tasks/common/ordered_work.hpp"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <utility>

namespace egm2008 {

namespace {

std::thread StartStandardThread(std::function<void()> body) { return std::thread(std::move(body)); }

std::atomic<WorkerStarter> gStarter{StartStandardThread};

// Blocks every signal in the calling thread while it lives; a thread started
// meanwhile inherits the mask.
class BlockedSignals {
public:
    BlockedSignals() {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &previous_);
    }
    ~BlockedSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    BlockedSignals(const BlockedSignals&) = delete;
    BlockedSignals& operator=(const BlockedSignals&) = delete;

private:
    sigset_t previous_;
};

}  // namespace

WorkerStarter SetWorkerStarter(WorkerStarter starter) {
    return gStarter.exchange(starter != nullptr ? starter : StartStandardThread);
}

std::thread StartWorker(std::function<void()> body) {
    const BlockedSignals blocked;
    return gStarter.load()(std::move(body));
}

}  // namespace egm2008
