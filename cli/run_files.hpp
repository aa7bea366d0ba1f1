// The files of a run over a file (`egm2008 file`, `heights`, and `nmea` when it
// rewrites): the grid, the input, the output, and the signals that stop the run,
// made ready in the order that keeps every file as it was when something fails.
#pragma once

#include <optional>
#include <string>

#include "cli/console.hpp"
#include "cli/output_file.hpp"
#include "cli/stop_signals.hpp"
#include "engine/geoid_grid.hpp"
#include "engine/grid_choice.hpp"
#include "engine/mapped_grid.hpp"
#include "tasks/common/run_input.hpp"
#include "tasks/heights/heights.hpp"

namespace egm2008::cli {

class RunFiles {
public:
    /// The grid `grid` names is chosen (ChooseGridOrTell), SIGINT, SIGTERM and SIGHUP
    /// are caught from here on, then the input opened, the output's right to be
    /// written checked and the grid mapped (SetUpPointFile), and only then `output`
    /// opened ("-": standard output; for a regular input a temporary file that
    /// replaces the output when the run ends, for a live one the output itself).
    /// False when the user has been told why the run cannot start.
    bool Open(const std::string& input, const std::string& output, const GridRequest& grid,
              Console& console);
    /// The same with a second grid, of the model heights are taken to (heights.hpp's
    /// TargetModel): chosen after the first, mapped after it, both before the output opens.
    bool Open(const std::string& input, const std::string& output, const GridRequest& grid,
              const GridRequest& toModel, Console& console);

    const GeoidGrid& grid() const { return *grid_; }
    PointFileInput& input() { return setup_.input; }
    MappedGrid& mapped() { return setup_.mapped; }
    /// The second grid of Open, none when it was not asked for.
    TargetModel toModel() { return toGrid_ ? TargetModel{&*toGrid_, &toMapped_} : TargetModel{}; }
    OutputFile& output() { return output_; }
    const StopSignals& signals() const { return *signals_; }

    /// SettleOutput (output_file.hpp) for this run's output under the name it was given.
    std::optional<int> Settle(Console& console);

private:
    bool OpenAll(const std::string& input, const std::string& output, Console& console);

    std::optional<GeoidGrid> grid_;
    std::optional<GeoidGrid> toGrid_;
    MappedGrid toMapped_;
    std::optional<StopSignals> signals_;
    PointFileSetup setup_;
    OutputFile output_;
    std::string outputPath_;
};

}  // namespace egm2008::cli
