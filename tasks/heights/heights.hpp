// Heights of a delimited file converted between the ellipsoid and the geoid:
// every line of the input written again in its order, its own text unchanged,
// with the geoid undulation N and, when asked, the converted height appended.
//
//   ellipsoidal h -> orthometric  H = h - N
//   orthometric H -> ellipsoidal  h = H + N
//   orthometric H in the grid's model -> orthometric in another model's
//                                  H_to = H + N - N_to   (TargetModel)
//
// N comes from the grid in metres and is turned into the height column's unit
// before it is written or used. The file's delimiter, header and columns are
// told from its first data line (delimited_text.hpp) unless the user chose
// them; a first data line too long to read is refused, and so is a file that
// is not text (heights_preview.hpp). Blank and comment lines
// are copied; the header gets the new columns' names ("N_EGM2008", then "H" or
// "h"; between two models "N_EGM96", "N_EGM2008", "H_EGM2008": N is named
// after the grid's model). The header, or without one the first data line, gives the file's
// fields: a shorter line gets empty fields up to them before the new ones.
// A data line with more fields, whose coordinates or height cannot be read
// (a latitude beyond -90 to 90, a longitude beyond -360 to 360), or whose point
// the grid cannot answer, keeps its own text, gets empty new fields and is
// counted, as is a data line too long to read (copied as read); the first
// few such lines are kept with the reason. Line ends (LF, CR LF or CR, line
// by line), the byte order mark and the quoting are the input's own; a record
// whose quoted field holds line ends gets its new fields after its last field.
//
// A run reads its input through batches handed to worker threads and writes
// them in input order (like the point-file run), so that memory stays the
// same whatever the file's size; a live stream is handled line by line.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "engine/mapped_grid.hpp"
#include "engine/tide_system.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/common/delimited_text.hpp"
#include "tasks/common/field_text.hpp"
#include "tasks/common/height_target.hpp"
#include "tasks/common/run_input.hpp"
#include "tasks/common/run_stop.hpp"
#include "tasks/common/text_output.hpp"
#include "tasks/maps/point_map.hpp"

namespace egm2008 {

/// The unit of the height column; N is written in it too.
enum class HeightUnit { Metre, Foot, UsSurveyFoot };

/// Metres in one `unit`: 1, 0.3048, 1200/3937.
double MetresPerUnit(HeightUnit unit);

/// What the user chose for a conversion; the columns' choices are in `columns`.
struct HeightsOptions {
    DelimitedOptions columns;
    /// Of the numbers read and written (not Either); with Comma, commas delimit last.
    DecimalMark decimalMark = DecimalMark::Point;
    HeightTarget target = HeightTarget::None;
    HeightUnit unit = HeightUnit::Metre;
    bool replace = false;  ///< the converted height goes into the height field, N is appended
    /// Of N and the converted height; unset: 3, and a replaced height keeps at least its own.
    std::optional<int> decimals;
    InterpolationMethod method = InterpolationMethod::BiQuadratic;
    bool comment = false;  ///< a first line saying which model, grid and method made the values
    /// The system of N (tide_system.hpp); the converted height uses that N.
    TideSystem tide = TideSystem::TideFree;
};

/// The grid of the model whose orthometric heights a run converts to, from those of the
/// run's own grid's model; both not owned. No grid: the run converts as `target` says.
struct TargetModel {
    const GeoidGrid* grid = nullptr;
    MappedGrid* mapped = nullptr;  ///< mapped by the caller before the run
};

/// An orthometric `height` (in `unit`) above the geoid whose N is `fromMetres`, taken to
/// the geoid whose N is `toMetres`: H + (N_from - N_to), the difference turned into `unit`.
double ShiftHeight(double height, double fromMetres, double toMetres, HeightUnit unit);

/// `height` (in `unit`) converted to `target` with N = `undulationMetres`.
/// For HeightTarget::None, the height unchanged.
double ConvertHeight(double height, double undulationMetres, HeightTarget target, HeightUnit unit);

/// The first line that --comment writes, without its line end:
/// "# N: EGM2008, 2.5' grid <file>, bi-linear; H = h - N"; a system other than
/// tide-free is named after the method: "bi-linear, mean-tide"; between two models
/// "# N_EGM96: EGM96, 15' grid egm96.grd; N_EGM2008: EGM2008, 2.5' grid <file>;
/// bi-linear; H_EGM2008 = H_EGM96 + N_EGM96 - N_EGM2008".
std::string ProvenanceComment(const GeoidGrid& grid, InterpolationMethod method,
                              HeightTarget target, TideSystem tide = TideSystem::TideFree,
                              const GeoidGrid* toModel = nullptr);

/// A data line that was not computed: its 1-based number in the input and why,
/// e.g. `latitude "4830.5N" is not a coordinate`.
struct HeightsLineProblem {
    std::int64_t line = 0;
    std::string reason;
};

/// How many problem lines an outcome keeps.
inline constexpr std::size_t kHeightsProblemsKept = 10;

/// How a conversion ended.
struct HeightsOutcome {
    std::optional<DelimitedLayout> layout;  ///< the layout used, once the first data line was read
    std::string layoutError;                ///< why the file's layout was refused ("" when not)
    std::int64_t computed = 0;              ///< data lines with their new values
    std::int64_t unreadable = 0;  ///< data lines whose coordinates or height were not read
    std::int64_t failed = 0;      ///< data lines whose point the grid did not answer
    std::vector<HeightsLineProblem> problems;  ///< the first kHeightsProblemsKept of both kinds
    bool gridOpened = false;
    int readError = 0;
    int writeError = 0;
    bool stopped = false;
    bool completed() const {
        return layoutError.empty() && readError == 0 && writeError == 0 && !stopped;
    }
    bool allComputed() const { return completed() && gridOpened && unreadable == 0 && failed == 0; }
};

/// What a run tells its caller while it goes: the layout once it is known
/// (before any output), the count of data lines handled so far, at the
/// start (0) and each time it passes a multiple of 1000, and, when asked
/// for, the place and N (metres) of every line computed, in input order, a
/// batch of lines at a time, on the thread that called RunHeights.
struct HeightsCallbacks {
    std::function<void(const DelimitedLayout&)> layout;
    std::function<void(std::int64_t lines)> progress;
    std::function<void(const std::vector<PlacedValue>& points)> points;
};

/// One problem line for the user: `line 17: latitude "4830.5N" is not a coordinate`.
std::string HeightsProblemText(const HeightsLineProblem& problem);

/// The message at the end of a run: what was converted and what was not, or
/// the error that ended it; it names `inputPath` and `outputPath`.
std::string HeightsOutcomeMessage(const HeightsOutcome& outcome, const std::string& inputPath,
                                  const std::string& outputPath);

/// Converts `input` to `output` (open, checked with OutputRefusal) querying
/// `grid` through `mapped`, then flushes and closes `output`. With a `toModel`
/// grid the orthometric heights are taken to its model (options.target is then
/// not read); a point either grid cannot answer is a failed line. A refused layout
/// ends the run before anything is written. The run stops at the first read
/// or write error, or when `stop` is asked for.
HeightsOutcome RunHeights(const PointFileInput& input, TextOutput& output, const GeoidGrid& grid,
                          MappedGrid& mapped, const HeightsOptions& options,
                          const HeightsCallbacks& callbacks = {}, const RunStop& stop = {},
                          const TargetModel& toModel = {});

}  // namespace egm2008
