#include "cli/stop_signals.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace egm2008::cli {

namespace {

constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> gReceived{0};
std::atomic<int> gWakeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

void RecordSignal(int signal) {
    const int saved = errno;
    int none = 0;
    gReceived.compare_exchange_strong(none, signal);
    const int fd = gWakeFd.load();
    if (fd >= 0) (void)!::write(fd, "!", 1);
    errno = saved;
}

}  // namespace

StopSignals::StopSignals() {
    gReceived = 0;
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
    gWakeFd = wake_[1];
    stop_.flag = &gReceived;
    stop_.wakeFd = wake_[0];

    struct sigaction action {};
    action.sa_handler = RecordSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a waiting read or write returns EINTR
    for (int k = 0; k < 3; ++k) {
        struct sigaction current {};
        // A signal the caller ignores (nohup, a background job) stays ignored.
        if (::sigaction(kSignals[k], nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        installed_[k] = ::sigaction(kSignals[k], &action, &previous_[k]) == 0;
    }
}

StopSignals::~StopSignals() {
    for (int k = 0; k < 3; ++k) {
        if (installed_[k]) ::sigaction(kSignals[k], &previous_[k], nullptr);
    }
    gWakeFd = -1;
    for (int fd : wake_) {
        if (fd >= 0) ::close(fd);
    }
}

int StopSignals::received() const { return gReceived.load(); }

int SignalExitStatus(int signal) { return 128 + signal; }

const char* SignalName(int signal) {
    switch (signal) {
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP: return "SIGHUP";
        default: return "a signal";
    }
}

}  // namespace egm2008::cli
