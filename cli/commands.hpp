// The subcommands, each run on arguments that the parser has already
// checked and converted. Each returns the exit status (run_cli.hpp).
#pragma once

#include <optional>
#include <string>

#include "cli/console.hpp"
#include "cli/grid_choice.hpp"
#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/heights/heights.hpp"
#include "tasks/lattice/lattice_format.hpp"
#include "tasks/nmea/nmea_rewrite.hpp"
#include "tasks/points/point_file.hpp"

namespace egm2008::cli {

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
    GridRequest grid;
};
int RunPoint(const PointArgs& args, Console& console);

/// "egm2008 info": what a grid file is and whether it is sound.
struct InfoArgs {
    GridRequest grid;
};
int RunInfo(const InfoArgs& args, Console& console);

/// "egm2008 file": a point file or GGA log, as the file page runs it.
struct FileArgs {
    std::string input;   ///< "-": standard input
    std::string output;  ///< "-": standard output
    PointFileLayout layout = PointFileLayout::LatLon;
    InterpolationMethod method = InterpolationMethod::BiQuadratic;
    bool quiet = false;  ///< no "Calculation done" message
    GridRequest grid;
};
int RunFile(const FileArgs& args, Console& console);

/// "egm2008 grid": the gridmaker over an area, corners in any order.
struct GridArgs {
    double latitude1 = 0.0;
    double latitude2 = 0.0;
    double longitude1 = 0.0;
    double longitude2 = 0.0;
    double latSpacingMinutes = 0.0;
    double lonSpacingMinutes = 0.0;
    std::string output = "-";  ///< "-": standard output
    InterpolationMethod method = InterpolationMethod::BiQuadratic;
    LatticeFormat format = LatticeFormat::Xyz;
    int pictureWidth = 0;  ///< png: the picture's long side; 0 as the lattice asks
    GridRequest grid;
};
int RunGrid(const GridArgs& args, Console& console);

/// "egm2008 heights": N, and the converted height, appended to a delimited file.
struct HeightsArgs {
    std::string input;   ///< "-": standard input
    std::string output;  ///< "-": standard output
    HeightsOptions options;
    bool quiet = false;  ///< no end message when every data line was computed
    GridRequest grid;
};
int RunHeightsCommand(const HeightsArgs& args, Console& console);

/// "egm2008 nmea": an NMEA log rewritten with the EGM2008 separation, or audited.
struct NmeaArgs {
    std::string input;   ///< "-": standard input
    std::string output;  ///< "-": standard output; unused by the audit
    NmeaRewriteOptions options;
    bool audit = false;  ///< report on the receiver's geoid instead of rewriting
    bool json = false;   ///< the audit as one JSON object
    InterpolationMethod method = InterpolationMethod::BiQuadratic;
    bool quiet = false;  ///< no summary when every sentence with a fix was rewritten
    GridRequest grid;
};
int RunNmeaCommand(const NmeaArgs& args, Console& console);

/// "egm2008 grids": the grids in the grid folders, or with `install` their making.
struct GridsArgs {
    bool install = false;
    bool system = false;              ///< install into /usr/local/share/egm2008
    std::optional<std::string> into;  ///< install into this folder instead
};
int RunGrids(const GridsArgs& args, Console& console);

}  // namespace egm2008::cli
