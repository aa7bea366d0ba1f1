// The engine's grid choice as the library uses it, until the command line's
// choice moves into the engine (engine/grid_choice.hpp then replaces this file).
// Recognises a grid file's size and byte order from its length and first record
// marker; grid names are not looked up yet.
#pragma once

#include <optional>
#include <string>

#include "lib/engine_names.hpp"

namespace egm2008 {

struct GridRequest {
    std::optional<std::string> path;
    std::optional<engine::EngineGridSize> size;
    std::optional<bool> bigEndian;
};

inline bool ChooseGrid(const GridRequest& request, GeoidGrid& grid, std::string& reason) {
    const std::string path = request.path.value_or(kInternalGridName);
    GridProbe probe;
    if (!ProbeGridFile(path, probe)) {
        reason = OpenFailureMessage(path);
        return false;
    }
    const bool fits = probe.size && probe.bigEndian &&
                      (!request.size || request.size == probe.size) &&
                      (!request.bigEndian || request.bigEndian == probe.bigEndian);
    if (!fits) {
        reason = GridMismatchMessage(
            GridOfKind(path, request.size.value_or(engine::EngineGridSize::Grid10x10),
                       request.bigEndian.value_or(false)));
        return false;
    }
    grid = GridOfKind(path, *probe.size, *probe.bigEndian);
    return true;
}

}  // namespace egm2008
