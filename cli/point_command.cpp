// "egm2008 point": the manual page's calculation. Each method's routine is
// asked on its own, in the page's order, with the grid file opened per
// query; a negative longitude is shifted by +360 once. A method that fails
// shows "N/A" and makes the exit status 1; the others go on. With a height,
// each N (in the height's unit) is followed by the height converted with it;
// between two models (--from-model, --to-model) each method's line holds N of
// the first model, N of the second and the height taken to the second, and a
// method fails when either grid gives it no value.
//
// Its options, help text and usage checks: PointCommand, at the end of this file.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command.hpp"
#include "cli/command_options.hpp"
#include "cli/grid_choice.hpp"
#include "cli/messages.hpp"
#include "cli/run_cli.hpp"
#include "cli/strict_number.hpp"
#include "tasks/common/field_text.hpp"
#include "tasks/heights/heights.hpp"
#include "tasks/points/manual_point.hpp"

namespace egm2008::cli {

namespace {

/// "egm2008 point": the four methods, or one, at one point.
struct PointArgs {
    double latitude = 0.0;
    double longitude = 0.0;                     ///< west negative
    std::optional<InterpolationMethod> method;  ///< only this one, value alone
    int decimals = 4;
    /// A height at the point (in `unit`), converted to `target` beside each N.
    std::optional<double> height;
    HeightTarget target = HeightTarget::None;
    HeightUnit unit = HeightUnit::Metre;
    TideSystem tide = TideSystem::TideFree;  ///< of N and of the converted height
    GridRequest grid;
    /// The model the orthometric height is taken to, from `grid`'s (heights.hpp: ShiftHeight).
    std::optional<GridRequest> toModel;
};

constexpr std::size_t kLabelWidth = 16;

// One method's line: its label, N, between two models N of the second, and, with a
// height, the converted height.
struct PointLine {
    const char* label;
    std::string undulation;
    std::string toUndulation;  // between two models only
    std::string height;
};

// The lines of `outcome`; between two models `toOutcome` holds the second model's N.
std::vector<PointLine> PointLines(const ManualPointOutcome& outcome,
                                  const ManualPointOutcome* toOutcome, const PointArgs& args) {
    std::vector<PointLine> lines;
    const double perUnit = MetresPerUnit(args.unit);
    for (int k = 0; k < outcome.count; ++k) {
        const ManualPointResult& r = outcome.results[k];
        PointLine line{r.method->label, kNotAvailable, toOutcome ? kNotAvailable : "",
                       kNotAvailable};
        const double n = r.undulation;
        if (r.ok()) line.undulation = FormatFixed(n / perUnit, args.decimals);
        if (toOutcome) {
            const ManualPointResult& to = toOutcome->results[k];
            const double toN = to.undulation;
            if (to.ok()) line.toUndulation = FormatFixed(toN / perUnit, args.decimals);
            if (r.ok() && to.ok())
                line.height =
                    FormatFixed(ShiftHeight(*args.height, n, toN, args.unit), args.decimals);
        } else if (r.ok() && args.height) {
            line.height =
                FormatFixed(ConvertHeight(*args.height, n, args.target, args.unit), args.decimals);
        }
        lines.push_back(line);
    }
    return lines;
}

// `text` right-aligned in `width`.
std::string RightAligned(const std::string& text, std::size_t width) {
    return std::string(width - std::min(width, text.size()), ' ') + text;
}

// The values of `outcome`, "N/A" where a method found none; alone when one was
// asked for, else labelled and right-aligned in columns, so that signs and
// points line up; the converted height after the letter of its kind.
std::string PointText(const ManualPointOutcome& outcome, const ManualPointOutcome* toOutcome,
                      const PointArgs& args) {
    const std::vector<PointLine> lines = PointLines(outcome, toOutcome, args);
    if (args.method) {
        const PointLine& line = lines.front();
        return line.undulation + (toOutcome ? " " + line.toUndulation : std::string()) +
               (args.height ? " " + line.height : std::string()) + "\n";
    }
    std::size_t nWidth = 0;
    std::size_t toWidth = 0;
    std::size_t hWidth = 0;
    for (const PointLine& line : lines) {
        nWidth = std::max(nWidth, line.undulation.size());
        toWidth = std::max(toWidth, line.toUndulation.size());
        hWidth = std::max(hWidth, line.height.size());
    }
    const char* letter = toOutcome || args.target == HeightTarget::Orthometric ? "   H " : "   h ";
    std::string text;
    for (const PointLine& line : lines) {
        text += line.label;
        text += std::string(kLabelWidth - std::string(line.label).size() + 1, ' ') +
                RightAligned(line.undulation, nWidth);
        if (toOutcome) text += "  " + RightAligned(line.toUndulation, toWidth);
        if (args.height) text += letter + RightAligned(line.height, hWidth);
        text += "\n";
    }
    return text;
}

int RunPoint(const PointArgs& args, Console& console) {
    const std::optional<GeoidGrid> grid = ChooseGridOrTell(args.grid, console);
    if (!grid) return kExitFailure;
    std::optional<GeoidGrid> toGrid;
    if (args.toModel) {
        toGrid = ChooseGridOrTell(*args.toModel, console);
        if (!toGrid) return kExitFailure;
    }

    const ManualPointRequest request{args.latitude, args.longitude, args.method, args.tide};
    const ManualPointOutcome outcome = ComputeManualPoint(*grid, request, console);
    std::optional<ManualPointOutcome> toOutcome;
    if (toGrid) toOutcome = ComputeManualPoint(*toGrid, request, console);
    if (!console.Out(PointText(outcome, toOutcome ? &*toOutcome : nullptr, args))) {
        console.Message(StandardOutputFailureMessage(std::strerror(errno)));
        return kExitFailure;
    }
    const bool all = outcome.allComputed() && (!toOutcome || toOutcome->allComputed());
    return all ? kExitOk : kExitFailure;
}

class PointCommand final : public Command {
public:
    CLI::App* Add(CLI::App& app) override {
        command =
            app.add_subcommand("point", "undulation at one point by the four methods (or one)");
        command->add_option("LAT", latitude, "latitude, decimal degrees")
            ->required()
            ->check(NumberCheck())
            ->type_name("NUMBER");
        command->add_option("LON", longitude, "longitude, decimal degrees")
            ->required()
            ->check(NumberCheck())
            ->type_name("NUMBER");
        AddMethodOption(*command, method, "print only this method's value");
        command
            ->add_option("--decimals", decimals,
                         "decimals of the values (default 4; 9 significant digits identify a "
                         "value exactly)")
            ->check(DecimalsCheck())
            ->type_name("N");
        AddHeightOptions();
        AddTideSystemOption(*command, tide);
        grid.Add(*command);
        models.Add(*command, grid, toOption);
        models.fromOption->needs(heightOption);
        command->footer(R"(Prints one line per method, "N/A" where a method finds no value:
  egm2008 point 52.5 13.4
  egm2008 point -33.5 151.2 --method nearest
  egm2008 point -- -33.5 151.2
With --height, each line shows N and then the converted height, both in the
height's unit (H = h - N to orthometric, h = H + N to ellipsoidal); with
--method, the two numbers alone:
  egm2008 point 52.5 13.4 --height 152.4 --to orthometric
  egm2008 point 52.5 13.4 --height 500 --to ellipsoidal --units ft --method bilinear
With --from-model and --to-model instead of --to, the height is orthometric
above the first model's geoid and is taken to the second's, H_to = H + N_from -
N_to; each line shows N_from, N_to and H_to, both grids from the grid folders
(not with --model or --grid):
  egm2008 point 28.5 94.5 --height 3000 --from-model egm96 --to-model egm2008

Exit status: 0 when every method found a value, 1 when one did not or the grid
could not be read, 2 for a usage error.)");
        return command;
    }

    void AddHeightOptions() {
        heightOption =
            command->add_option("--height", height, "a height at the point, to be converted")
                ->check(NumberCheck())
                ->type_name("H");
        toOption =
            command
                ->add_option("--to", to,
                             "orthometric: H = h - N from an ellipsoidal height; ellipsoidal: "
                             "h = H + N from an orthometric one")
                ->check(CLI::IsMember(NamesOf(kTargets)))
                ->type_name("HEIGHT");
        CLI::Option* unitsOption =
            command->add_option("--units", units, "unit of the height and of N (default m)")
                ->check(CLI::IsMember(NamesOf(kUnits)))
                ->type_name("UNIT");
        toOption->needs(heightOption);
        unitsOption->needs(heightOption);
    }

    int Run(Console& console) override {
        if (const std::string error = models.UsageError("point"); !error.empty()) {
            console.Message(error);
            return kExitUsage;
        }
        if (heightOption->count() > 0 && toOption->count() == 0 && !models.given()) {
            console.Message(RequiresMessage("point", "--height", "--to"));
            return kExitUsage;
        }
        PointArgs point;
        point.latitude = Number(latitude);
        point.longitude = Number(longitude);
        if (!method.empty()) point.method = ValueOf(kMethods, method);
        if (!decimals.empty()) point.decimals = ParseStrictInt(decimals).value_or(4);
        if (!height.empty()) {
            point.height = Number(height);
            if (!to.empty()) point.target = ValueOf(kTargets, to);
            if (!units.empty()) point.unit = ValueOf(kUnits, units);
        }
        point.tide = TideSystemOf(tide);
        point.grid = grid.Request();
        if (models.given()) {
            point.grid = models.FromRequest();
            point.toModel = models.ToRequest();
        }
        return RunPoint(point, console);
    }

private:
    CLI::App* command = nullptr;
    CLI::Option* heightOption = nullptr;
    CLI::Option* toOption = nullptr;
    std::string latitude, longitude, method, decimals, height, to, units, tide;
    GridOptions grid;
    ModelShiftOptions models;
};

}  // namespace

std::unique_ptr<Command> MakePointCommand() { return std::make_unique<PointCommand>(); }

}  // namespace egm2008::cli
