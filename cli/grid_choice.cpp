#include "cli/grid_choice.hpp"

#include <string>

namespace egm2008::cli {

std::optional<GeoidGrid> ChooseGridOrTell(const GridRequest& request, Console& console) {
    GeoidGrid grid;
    GridChoiceNotes notes;
    const bool chosen = ChooseGrid(request, grid, notes);
    for (const std::string& passedOver : notes.passedOver) console.Message(passedOver);
    if (chosen) return grid;
    console.Message(notes.reason);
    return std::nullopt;
}

}  // namespace egm2008::cli
