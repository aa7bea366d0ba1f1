#include "cli/command_options.hpp"

#include <optional>

#include "cli/messages.hpp"
#include "cli/strict_number.hpp"

namespace egm2008::cli {

namespace {

constexpr int kMaxDecimals = 17;

// In the order the help lists them; the grids' own system first.
constexpr Choice<TideSystem> kTideSystems[] = {
    {"tide-free", TideSystem::TideFree},
    {"mean-tide", TideSystem::MeanTide},
    {"zero-tide", TideSystem::ZeroTide},
};

// "egm2008", "egm96", "egm84": the models as --model, --from-model and --to-model take them.
std::vector<std::string> ModelKeys() {
    std::vector<std::string> keys;
    for (const GeoidModel model : kGeoidModels) keys.emplace_back(ModelKey(model));
    return keys;
}

constexpr Choice<GridSize> kSizes[] = {
    {"1", GridSize::Grid1x1}, {"2.5", GridSize::Grid2_5x2_5}, {"10", GridSize::Grid10x10}};

}  // namespace

CLI::Validator NumberCheck() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            return ParseStrictDouble(text) ? std::string() : NotANumberMessage(text);
        },
        "");
}

CLI::Validator DecimalsCheck() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const std::optional<int> n = ParseStrictInt(text);
            return n && *n >= 0 && *n <= kMaxDecimals ? std::string()
                                                      : NotDecimalsMessage(text, kMaxDecimals);
        },
        "");
}

double Number(const std::string& text) { return ParseStrictDouble(text).value_or(0.0); }

CLI::Option* AddMethodOption(CLI::App& command, std::string& method, const char* help) {
    return command.add_option("-m,--method", method, help)
        ->check(CLI::IsMember(NamesOf(kMethods)))
        ->type_name("METHOD");
}

CLI::Option* AddTideSystemOption(CLI::App& command, std::string& system) {
    return command
        .add_option("--tide-system", system,
                    "tide system of N: tide-free (the grids', default), mean-tide or zero-tide, "
                    "by Ekman (1989): N + (1 + k)(0.099 - 0.296 sin^2 phi') m for mean tide, "
                    "N + k(...) for zero tide, k = 0.3, phi' the geocentric latitude")
        ->check(CLI::IsMember(NamesOf(kTideSystems)))
        ->type_name("SYSTEM");
}

TideSystem TideSystemOf(const std::string& system) {
    return system.empty() ? TideSystem::TideFree : ValueOf(kTideSystems, system);
}

CLI::Option* GridOptions::Add(CLI::App& command) {
    modelOption = command
                      .add_option("--model", model,
                                  "the geoid model: egm2008 (default), egm96 (15' grid) or egm84 "
                                  "(30' grid), from the grid folders unless --grid names the file")
                      ->check(CLI::IsMember(ModelKeys()))
                      ->type_name("MODEL")
                      ->group("Grid");
    pathOption = command
                     .add_option("--grid", path,
                                 "grid file (EGM2008's, egm96.grd or wwgrid.bin: the model is "
                                 "told by the file), or an EGM2008 grid name: 10, 2.5 or 1, "
                                 "optionally -le or -be (default: the internal 10' "
                                 "database)")
                     ->type_name("FILE|NAME")
                     ->group("Grid");
    command
        .add_option("--grid-size", size, "spacing in arc minutes, when the file's is not wanted")
        ->check(CLI::IsMember(NamesOf(kSizes)))
        ->type_name("MIN")
        ->group("Grid");
    CLI::Option* bigOption =
        command.add_flag("--big-endian", big, "the file is big-endian")->group("Grid");
    CLI::Option* littleOption =
        command.add_flag("--little-endian", little, "the file is little-endian")->group("Grid");
    bigOption->excludes(littleOption);
    all = {modelOption, pathOption, command.get_option("--grid-size"), bigOption, littleOption};
    return pathOption;
}

GridRequest GridOptions::Request() const {
    GridRequest request;
    if (modelOption->count() > 0) request.model = ModelOfKey(model);
    if (pathOption->count() > 0) request.path = path;
    if (!size.empty()) request.size = ValueOf(kSizes, size);
    if (big) request.bigEndian = true;
    if (little) request.bigEndian = false;
    return request;
}

void ModelShiftOptions::Add(CLI::App& command, const GridOptions& grid, CLI::Option* target) {
    const auto models = CLI::IsMember(ModelKeys());
    fromOption = command
                     .add_option("--from-model", from,
                                 "orthometric heights above this model's geoid (egm2008, egm96 "
                                 "or egm84) ...")
                     ->check(models)
                     ->type_name("MODEL");
    toOption = command
                   .add_option("--to-model", to,
                               "... taken to this model's: H_to = H + N_from - N_to, both grids "
                               "from the grid folders")
                   ->check(models)
                   ->type_name("MODEL");
    fromOption->needs(toOption);
    toOption->needs(fromOption);
    for (CLI::Option* option : grid.all) {
        fromOption->excludes(option);
        toOption->excludes(option);
    }
    fromOption->excludes(target);
    toOption->excludes(target);
}

std::string ModelShiftOptions::UsageError(const char* command) const {
    if (given() && from == to) return SameModelTwiceMessage(command, from);
    return "";
}

GridRequest ModelShiftOptions::FromRequest() const {
    GridRequest request;
    request.model = ModelOfKey(from);
    return request;
}

GridRequest ModelShiftOptions::ToRequest() const {
    GridRequest request;
    request.model = ModelOfKey(to);
    return request;
}

}  // namespace egm2008::cli
