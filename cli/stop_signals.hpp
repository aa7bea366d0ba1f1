// SIGINT, SIGTERM and SIGHUP during a run of `egm2008 file` or `egm2008 grid`.
//
// While a StopSignals lives, each of these signals that the caller does not
// ignore only records its number and wakes the run through a pipe: all that a
// handler may safely do. The run sees the request (stop()) between lines or
// pieces and ends there; the command then drops its temporary output and
// exits 128 + the signal's number. The handlers are installed without
// SA_RESTART, so that a read or write that waits returns EINTR at once. The
// handlers found at the start are put back at the end (runCli also runs
// inside test programs). One StopSignals at a time.
#pragma once

#include <signal.h>

#include "tasks/common/run_stop.hpp"

namespace egm2008::cli {

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    /// What the run looks at.
    const RunStop& stop() const { return stop_; }
    /// The number of the first signal received, 0 while none.
    int received() const;

private:
    RunStop stop_;
    int wake_[2] = {-1, -1};
    struct sigaction previous_[3]{};
    bool installed_[3] = {false, false, false};
};

/// The exit status of a run ended by `signal`: 128 + its number.
int SignalExitStatus(int signal);

/// "SIGINT", "SIGTERM" or "SIGHUP".
const char* SignalName(int signal);

}  // namespace egm2008::cli
