// A long run (a point file, a lattice) off the window's thread. The run's
// work goes to a thread of its own while the window stays responsive: its
// status line shows a progress bar and a Cancel button, every other control
// (the database's, the pages', the buttons) is disabled until the run has
// ended, and closing the window or Esc asks the run to stop and closes the
// window once it has. The window must hold a QProgressBar "runProgress" and a
// QPushButton "runCancel"; without them the run still goes, without a bar.
#pragma once

#include <functional>

#include "tasks/common/page_platform.hpp"

class QWidget;

namespace egm2008 {

/// Name of the window property that is true while a run is on.
inline constexpr const char* kRunActiveProperty = "egm2008RunActive";

/// Runs `work` on a thread of its own and returns when it has ended; `tick`
/// runs on this thread every 100 ms meanwhile and once at the end.
void RunOffThread(QWidget* window, RunMeter& meter, const std::function<void()>& work,
                  const std::function<void()>& tick);

/// True while a run holds `window`; a request to close it asks the run to stop first.
bool RunIsActive(const QWidget* window);

}  // namespace egm2008
