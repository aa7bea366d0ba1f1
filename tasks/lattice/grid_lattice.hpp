// The gridmaker's run: the undulation at every node of a latitude/longitude
// lattice, one line "%10.6lf %11.6lf %8.3f" + CR LF per node (latitude,
// longitude as walked, west negative, undulation in metres), rows from north
// to south and each row from west to east; or the lattice in another of the
// formats of lattice_format_info.hpp, its nodes computed and handed out alike:
// the walk writes each node as the format's row lays it out, or hands the
// rows of values to the format's raster.
//
// Row 0 lies at `north` and column 0 at `west`, always; row i >= 1 at
// north - i*latStep and column j >= 1 at west + j*lonStep, computed from the
// index each time. Rows go on while above south - 1e-8, columns while below
// east + 1e-8, so an edge that is a whole number of steps away is reached
// despite rounding. Every node is asked through ComputeUndulation with the
// run's method, a node within that slack of the last row's latitude or the
// last column's longitude at that latitude or longitude exactly (the line
// keeps the position as walked); a node outside the grid, or whose undulation
// is not finite, gets the marker 9999.999. The run
// stops at the first node whose query answers StatusError (that node gets no
// line), at the first failed write, or when the progress callback says so.
//
// The run queries through the grid its caller mapped, once, before it opened
// the output (a grid that fails then costs no output); an unmapped grid
// stops the run at the first node inside the grid. Pieces of the lattice are
// computed on worker threads (on the calling thread when no worker can be
// started) and written by the calling thread in walking order (the progress
// callback runs there too), so memory does not grow with the lattice. Numbers
// are written in the "C" locale.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/geoid_grid.hpp"
#include "engine/tide_system.hpp"
#include "engine/mapped_grid.hpp"
#include "tasks/lattice/lattice_format.hpp"
#include "tasks/lattice/formats/lattice_raster.hpp"
#include "tasks/messages.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

/// The area and spacing of a lattice, all in degrees; north >= south, east >= west.
struct LatticeArea {
    double north = 0.0;
    double south = 0.0;
    double west = 0.0;
    double east = 0.0;
    double latStep = 0.0;
    double lonStep = 0.0;
};

/// Slack, in degrees, by which the last row and column may miss the area's edge;
/// also the smallest step a run accepts.
inline constexpr double kLatticeSlack = 1e-8;

/// Nodes between two calls of the progress callback.
inline constexpr std::uint64_t kLatticeProgressInterval = 4096;

enum class LatticeEnd {
    Completed,       ///< every node written
    StoppedAtError,  ///< a node's query answered StatusError; stopLatitude/stopLongitude name it
    WriteFailed,     ///< the output refused a write; writeError holds errno
    Cancelled,       ///< the progress callback asked to stop
    InvalidArea,     ///< a step below kLatticeSlack (or not a number), or rows or columns
                     ///< beyond what the format's header holds; nothing written
};

struct LatticeOutcome {
    LatticeEnd end = LatticeEnd::Completed;
    std::uint64_t nodesWritten = 0;  ///< lines handed to the output
    /// Of the nodes of whole pieces written, those whose query answered StatusOutside
    /// (outside the grid, or an implausible grid value): written with 9999.999.
    std::uint64_t nodesOutside = 0;
    double stopLatitude = 0.0;   ///< StoppedAtError: the node whose query failed
    double stopLongitude = 0.0;  ///< as walked, before any +360
    int writeError = 0;          ///< WriteFailed: errno of the failed write
};

/// Called every kLatticeProgressInterval nodes with the count so far; false stops the run.
using LatticeProgress = std::function<bool(std::uint64_t nodesWritten)>;

/// The area spanned by two corners (in any order) with spacings in arc minutes.
LatticeArea AreaFromCorners(double latitude1, double longitude1, double latitude2,
                            double longitude2, double latSpacingMinutes, double lonSpacingMinutes);

/// Nodes in the lattice of `area`: rows times columns as the run walks them; 0 when
/// the steps are not valid or the count is beyond 64 bits.
std::uint64_t LatticeNodeCount(const LatticeArea& area);

/// The lattice of `area` (steps of kLatticeSlack or more) as the formats' headers describe it.
LatticeShape LatticeShapeOf(const LatticeArea& area);

/// Writes the lattice of `area` to `output` (open or attached; the caller closes it)
/// in `format` (its row in lattice_format_info.hpp; a format stored south to
/// north, gtx, needs a file it can write at offsets),
/// querying `grid` through `mapped`, and flushes it. When `raster` is given, it
/// gets the lattice's rows too (lattice_raster.hpp), and it alone for the raster
/// formats, which write no text; its Begin refusing the lattice ends the run as
/// InvalidArea, a failure of its Row or Finish as WriteFailed.
LatticeOutcome WriteGridLattice(TextOutput& output, const GeoidGrid& grid, MappedGrid& mapped,
                                InterpolationMethod method, const LatticeArea& area,
                                const LatticeProgress& progress = {},
                                LatticeFormat format = LatticeFormat::Xyz,
                                LatticeRaster* raster = nullptr,
                                TideSystem tide = TideSystem::TideFree);

}  // namespace egm2008
