// A request from outside a run to end it early; the command line's handlers of
// SIGINT, SIGTERM and SIGHUP make it. A run looks at it between lines (point
// files) or pieces (the lattice) and stops there with what it finished
// written. A read or write that waits for a stream ends as soon as the
// request is made: the wake descriptor becomes readable then, and the signal
// interrupts the system call (EINTR), which the reader and the output take for
// "stop" while the request stands.
#pragma once

#include <atomic>

namespace egm2008 {

struct RunStop {
    /// Non-zero once a stop is asked for; set from a signal handler (lock-free).
    const std::atomic<int>* flag = nullptr;
    /// Becomes readable when a stop is asked for; -1 when there is none.
    int wakeFd = -1;
    /// True once a stop is asked for.
    bool Requested() const { return flag != nullptr && flag->load(std::memory_order_relaxed) != 0; }
};

}  // namespace egm2008
