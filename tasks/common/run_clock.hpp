// How long a page's run took, for its status line: the steady clock, which a
// change of the system time does not move.
#pragma once

#include <chrono>

namespace egm2008 {

class RunClock {
public:
    /// Seconds since the clock was made.
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace egm2008
