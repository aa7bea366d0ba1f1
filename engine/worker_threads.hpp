// How many threads a computation spreads over, from the cores the machine has.
// A file run's lines and a lattice's pieces go to two workers beside the thread
// that reads and writes (OrderedWork, tasks/common/ordered_work.hpp): more gain
// nothing, as that thread's reading and writing sets the pace. A large batch of
// the Python module's points is split into as many ranges as there are cores.
// Header only (std alone), so that the Python module, which links only the public
// library, counts with it too.
#pragma once

#include <algorithm>
#include <cstddef>
#include <thread>

namespace egm2008::engine {

/// The threads the machine runs at once: its cores, 1 when the system does not tell.
inline std::size_t MachineThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

/// Worker threads a run over a file or a lattice uses beside the thread that reads
/// and writes: two where the machine has two cores or more, else none.
inline std::size_t RunWorkerCount() { return MachineThreads() >= 2 ? 2 : 0; }

}  // namespace egm2008::engine
