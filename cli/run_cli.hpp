// The command-line tool `egm2008`: the same calculations as the desktop
// program's pages, for scripts and pipelines.
//
//   egm2008 point LAT LON     the four methods at one point (the manual page)
//   egm2008 file IN OUT       a point file or NMEA GGA log (the file page)
//   egm2008 heights IN OUT    N and converted heights appended to a delimited file
//   egm2008 grid ...          a lattice over an area (the gridmaker)
//   egm2008 info [GRIDFILE]   what a grid file is and whether it is sound
//
// Data goes to `out` or the output file, messages to `err` as single lines
// "egm2008: <text>". Exit status: 0 when everything was computed, 1 when the
// run failed or a point's query failed, 2 for a usage error.
#pragma once

#include <string>
#include <vector>

namespace egm2008::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

/// Runs the tool on `args` (without the program name) over the three descriptors.
int runCli(const std::vector<std::string>& args, int in, int out, int err);

}  // namespace egm2008::cli
