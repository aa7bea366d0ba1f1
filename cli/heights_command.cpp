// "egm2008 heights": a delimited file written again with N and, when asked,
// the converted height appended to each data line (tasks/heights/heights.hpp). The
// files are handled as `egm2008 file` handles them: the input read only, the
// output refused when it is the input or the grid, the grid checked before the
// output is opened, a regular output replaced only when the run ends, a
// signal leaving the previous file. The columns used are told once, as soon
// as the first data line has been read; a layout that cannot be read ends the
// run with nothing written. After the run the first problem lines, one
// message each, and the end message (left out by --quiet when every data line
// was computed). Exit 1 unless every data line was computed.
//
// Its options, help text and usage checks: HeightsCommand, at the end of this file.
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

#include "cli/command.hpp"
#include "cli/command_options.hpp"
#include "cli/messages.hpp"
#include "cli/run_cli.hpp"
#include "cli/run_files.hpp"
#include "cli/strict_number.hpp"
#include "tasks/heights/heights.hpp"

namespace egm2008::cli {

namespace {

/// "egm2008 heights": N, and the converted height, appended to a delimited file.
struct HeightsArgs {
    std::string input;   ///< "-": standard input
    std::string output;  ///< "-": standard output
    HeightsOptions options;
    bool quiet = false;  ///< no end message when every data line was computed
    GridRequest grid;
    /// The model whose orthometric heights the run takes them to; `grid` is then the
    /// model they are taken from.
    std::optional<GridRequest> toModel;
};

// The run, with the columns told and progress shown on a terminal.
HeightsOutcome ConvertFile(RunFiles& files, const HeightsArgs& args, Console& console) {
    Progress progress(console.err(), "lines");
    HeightsCallbacks callbacks;
    callbacks.layout = [&console, &progress](const DelimitedLayout& layout) {
        progress.Finish();
        console.Message(DescribeColumns(layout));
    };
    callbacks.progress = [&progress](std::int64_t lines) {
        progress.Update(static_cast<std::uint64_t>(lines), 0);
    };
    return RunHeights(files.input(), files.output().text(), files.grid(), files.mapped(),
                      args.options, callbacks, files.signals().stop(), files.toModel());
}

int RunHeightsCommand(const HeightsArgs& args, Console& console) {
    RunFiles files;
    const bool opened = args.toModel
                            ? files.Open(args.input, args.output, args.grid, *args.toModel, console)
                            : files.Open(args.input, args.output, args.grid, console);
    if (!opened) return kExitFailure;

    const HeightsOutcome outcome = ConvertFile(files, args, console);
    files.input().Close();
    // A layout that cannot be read wrote nothing: keep what was.
    if (!outcome.layoutError.empty()) files.output().Discard();
    if (const std::optional<int> status = files.Settle(console)) return *status;
    if (!outcome.layoutError.empty()) {
        console.Message(outcome.layoutError);
        return kExitFailure;
    }

    for (const HeightsLineProblem& problem : outcome.problems)
        console.Message(HeightsProblemText(problem));
    const bool allComputed = outcome.allComputed();
    if (!allComputed || !args.quiet)
        console.Message(HeightsOutcomeMessage(outcome, args.input, args.output));
    return allComputed ? kExitOk : kExitFailure;
}

constexpr Choice<Delimiter> kDelimiters[] = {
    {",", Delimiter::Comma},
    {";", Delimiter::Semicolon},
    {"tab", Delimiter::Tab},
    {"space", Delimiter::Blanks},
};

// A column as the user names it: all digits, a 1-based index; else a name in
// the header. Empty text, 0 and a signed number are neither.
std::optional<ColumnRequest> ParseColumn(const std::string& text) {
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (digits) {
        std::size_t index = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
        if (error != std::errc() || index == 0) return std::nullopt;
        return ColumnRequest{index, ""};
    }
    const bool signedNumber = text.size() > 1 && (text[0] == '-' || text[0] == '+') &&
                              text.find_first_not_of("0123456789", 1) == std::string::npos;
    if (text.empty() || signedNumber) return std::nullopt;
    return ColumnRequest{0, text};
}

const CLI::Validator kColumn(
    [](std::string& text) -> std::string {
        return ParseColumn(text) ? std::string() : NotAColumnMessage(text);
    },
    "");

class HeightsCommand final : public Command {
public:
    CLI::App* Add(CLI::App& app) override {
        command = app.add_subcommand(
            "heights",
            "N and converted heights appended to a delimited file (CSV, survey exports)");
        command->add_option("IN", heights.input, "delimited file to read, - for standard input")
            ->required()
            ->type_name("FILE");
        command->add_option("OUT", heights.output, "file to write, - for standard output")
            ->required()
            ->type_name("FILE");
        AddFileOptions();
        AddColumnOptions();
        AddConversionOptions();
        AddMethodOption(*command, method, "interpolation method (default biquadratic)");
        AddTideSystemOption(*command, tide);
        command->add_flag("-q,--quiet", heights.quiet,
                          "no end message when every data line was computed");
        grid.Add(*command);
        models.Add(*command, grid, toOption);
        command->footer(
            R"(Every line is written again as it was, with N (column "N_EGM2008", after the
grid's model) and, with --to, the converted height ("H" or "h") appended in the
file's delimiter. With --from-model and --to-model, orthometric heights above
one model's geoid are taken to another's, H_to = H + N_from - N_to, both N by
the method at the point and both grids from the grid folders (not with --to,
--model or --grid): the new columns are "N_EGM96", "N_EGM2008", "H_EGM2008".
comment lines (# or //) and blank lines are copied. The columns are found by
their header names (lat, latitude, lon, longitude, h, height, ...; for two
heights, h with --to orthometric and H with --to ellipsoidal) or, without a
header, are fields 1 and 2 and the height field 3; the choice is told on
standard error. Lines end in LF, CR LF or CR; a short line is padded to the
header's fields, a longer one is not computed. Coordinates in decimal degrees, with a hemisphere letter, or
as 48°30'15.5"N, 48:30:15.5, 48d30m15.5s.
  egm2008 heights survey.csv survey-msl.csv --to orthometric
  egm2008 heights points.txt - --lat 2 --lon 3 --height 5 --units us-ft --to ellipsoidal
  egm2008 heights - - --no-header --lon-first < gps.csv > gps-n.csv
  egm2008 heights old-msl.csv new-msl.csv --from-model egm96 --to-model egm2008

Exit status: 0 when every data line was computed, 1 when the run failed, the
columns could not be found, or a line could not be read or computed (its new
fields left empty), 2 for a usage error.)");
        return command;
    }

    void AddFileOptions() {
        command
            ->add_option("--delimiter", delimiter,
                         "field delimiter: , ; tab or space (default: told from the first data "
                         "line)")
            ->check(CLI::IsMember(NamesOf(kDelimiters)))
            ->type_name("DELIM");
        CLI::Option* headerOption =
            command->add_flag("--header", header, "the first data line is a header");
        CLI::Option* noHeaderOption =
            command->add_flag("--no-header", noHeader, "the first data line holds data");
        headerOption->excludes(noHeaderOption);
        command->add_flag("--decimal-comma", decimalComma,
                          "numbers have \",\" as their decimal mark, read and written");
        command->add_flag("--comment", heights.options.comment,
                          "a first line saying which model, grid and method made the values");
    }

    void AddColumnOptions() {
        for (auto [name, text, help] :
             {std::tuple{"--lat", &latitude, "latitude column: number from 1 or header name"},
              std::tuple{"--lon", &longitude, "longitude column: number from 1 or header name"},
              std::tuple{"--height", &height, "height column: number from 1 or header name"}}) {
            command->add_option(name, *text, help)->check(kColumn)->type_name("COL");
        }
        command->add_flag("--lon-first", heights.options.columns.longitudeFirst,
                          "without a header or column numbers: field 1 is the longitude");
    }

    void AddConversionOptions() {
        toOption = command
                       ->add_option("--to", to,
                                    "orthometric: H = h - N from ellipsoidal heights; ellipsoidal: "
                                    "h = H + N from orthometric ones (default: N only)")
                       ->check(CLI::IsMember(NamesOf(kTargets)))
                       ->type_name("HEIGHT");
        command->add_option("--units", units, "unit of the heights and of N (default m)")
            ->check(CLI::IsMember(NamesOf(kUnits)))
            ->type_name("UNIT");
        command->add_flag("--replace", heights.options.replace,
                          "the converted height goes into the height field; N is appended (needs "
                          "--to or --from-model)");
        command->add_option("--decimals", decimals, "decimals of N and the heights (default 3)")
            ->check(DecimalsCheck())
            ->type_name("K");
    }

    int Run(Console& console) override {
        if (const std::string error = models.UsageError("heights"); !error.empty()) {
            console.Message(error);
            return kExitUsage;
        }
        if (heights.options.replace && toOption->count() == 0 && !models.given()) {
            console.Message(RequiresMessage("heights", "--replace", "--to"));
            return kExitUsage;
        }
        HeightsOptions& options = heights.options;
        if (!delimiter.empty()) options.columns.delimiter = ValueOf(kDelimiters, delimiter);
        if (header || noHeader) options.columns.header = header;
        options.columns.latitude = ParseColumn(latitude).value_or(ColumnRequest{});
        options.columns.longitude = ParseColumn(longitude).value_or(ColumnRequest{});
        options.columns.height = ParseColumn(height).value_or(ColumnRequest{});
        if (decimalComma) options.decimalMark = DecimalMark::Comma;
        if (!to.empty()) options.target = ValueOf(kTargets, to);
        if (!units.empty()) options.unit = ValueOf(kUnits, units);
        if (!decimals.empty()) options.decimals = ParseStrictInt(decimals).value_or(3);
        options.method = ValueOf(kMethods, method);
        options.tide = TideSystemOf(tide);
        heights.grid = grid.Request();
        if (models.given()) {
            heights.grid = models.FromRequest();
            heights.toModel = models.ToRequest();
        }
        return RunHeightsCommand(heights, console);
    }

private:
    CLI::App* command = nullptr;
    CLI::Option* toOption = nullptr;
    HeightsArgs heights;
    std::string delimiter, latitude, longitude, height, to, units, decimals, tide,
        method = "biquadratic";
    bool header = false, noHeader = false, decimalComma = false;
    GridOptions grid;
    ModelShiftOptions models;
};

}  // namespace

std::unique_ptr<Command> MakeHeightsCommand() { return std::make_unique<HeightsCommand>(); }

}  // namespace egm2008::cli
