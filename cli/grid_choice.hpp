// The grid a subcommand runs on: the engine's choice (engine/grid_choice.hpp),
// the files a grid name passed over and its refusal told on the console.
#pragma once

#include <optional>

#include "cli/console.hpp"
#include "engine/geoid_grid.hpp"
#include "engine/grid_choice.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008::cli {

/// The grid the request names; the files a name passed over, and the reason when there is
/// no grid, told on the console.
std::optional<GeoidGrid> ChooseGridOrTell(const GridRequest& request, Console& console);

}  // namespace egm2008::cli
