#include "cli/run_files.hpp"

#include "cli/grid_choice.hpp"

namespace egm2008::cli {

bool RunFiles::Open(const std::string& input, const std::string& output, const GridRequest& grid,
                    Console& console) {
    grid_ = ChooseGridOrTell(grid, console);
    if (!grid_) return false;
    return OpenAll(input, output, console);
}

bool RunFiles::Open(const std::string& input, const std::string& output, const GridRequest& grid,
                    const GridRequest& toModel, Console& console) {
    grid_ = ChooseGridOrTell(grid, console);
    if (!grid_) return false;
    toGrid_ = ChooseGridOrTell(toModel, console);
    if (!toGrid_) return false;
    return OpenAll(input, output, console);
}

bool RunFiles::OpenAll(const std::string& input, const std::string& output, Console& console) {
    signals_.emplace();
    outputPath_ = output;

    const PointFileRequest request{input, output, console.in(), console.out()};
    if (const auto refusal = SetUpPointFile(request, *grid_, console, setup_)) {
        if (!refusal->empty()) console.Message(*refusal);
        return false;
    }
    if (toGrid_) {
        // The second grid is as much the run's as the first: never its output.
        const std::string refusal = OutputRefusal(setup_.input, output, *toGrid_, console.out());
        if (!refusal.empty()) console.Message(refusal);
        if (!refusal.empty() || toMapped_.Map(*toGrid_, console) != QueryStatus::StatusOk) {
            setup_.input.Close();
            return false;
        }
    }
    return OpenOutput(output_, output, /*replace=*/setup_.input.identified(), *signals_, console);
}

std::optional<int> RunFiles::Settle(Console& console) {
    return SettleOutput(output_, outputPath_, *signals_, console);
}

}  // namespace egm2008::cli
