#include "cli/grid_choice.hpp"

#include <string>

namespace egm2008::cli {

std::optional<GeoidGrid> ChooseGridOrTell(const GridRequest& request, Console& console) {
    GeoidGrid grid;
    std::string reason;
    if (ChooseGrid(request, grid, reason)) return grid;
    console.Message(reason);
    return std::nullopt;
}

}  // namespace egm2008::cli
