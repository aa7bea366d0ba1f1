// The engine, as the library's implementation sees it (and the pages' OneLine,
// which makes a message the single line the command line prints). The public header's
// enumerations GridSize and QueryStatus (egm2008::v1) share their names with the
// engine's, so that, once both are seen, those names are ambiguous in namespace
// egm2008. This header is therefore included before the public one, and the
// library names the engine's two enumerations by the aliases below only.
#pragma once

#include "engine/geoid_grid.hpp"
#include "engine/grid_choice.hpp"
#include "engine/grid_probe.hpp"
#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tasks/messages.hpp"

namespace egm2008::engine {

using EngineGridSize = ::egm2008::GridSize;
using EngineStatus = ::egm2008::QueryStatus;

}  // namespace egm2008::engine
