#include "tasks/ordered_work.hpp"

namespace egm2008 {

std::size_t RunWorkerCount() { return std::thread::hardware_concurrency() >= 2 ? 2 : 0; }

}  // namespace egm2008
