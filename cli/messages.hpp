// Every text the command-line tool writes on its own, beside the pages' texts
// (tasks/messages.hpp) that it shows as the window would. Console::Message puts
// "egm2008: " before each and makes it one line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/geoid_model.hpp"
#include "tasks/lattice/lattice_format.hpp"

namespace egm2008::cli {

/// How messages name standard output as a run's output.
inline constexpr const char* kStandardOutput = "(standard output)";

/// `egm2008 grid -o ""`.
inline constexpr const char* kEmptyGridOutputMessage =
    "grid: --output: an empty name names no file; - is standard output";

/// A first argument that is no subcommand.
std::string NoSubcommandMessage(const std::string& word);

/// An argument that must be a number and is not.
std::string NotANumberMessage(const std::string& text);

/// A column argument that is neither a column number from 1 nor a header name.
std::string NotAColumnMessage(const std::string& text);

/// A --talker that is not two capital letters.
std::string NotATalkerMessage(const std::string& text);
/// `egm2008 nmea` given no output and no --audit.
inline constexpr const char* kNmeaOutputMissing = "OUT is required unless --audit is given";

/// An option given without the one it needs, as the parser words it: "point: --height
/// requires --to".
std::string RequiresMessage(const char* command, const char* option, const char* needed);

/// --from-model and --to-model naming one model: "heights: --from-model and --to-model
/// both name egm96; heights are converted between two models".
std::string SameModelTwiceMessage(const char* command, const std::string& model);

/// A --decimals argument that is not a whole number from 0 to `most`.
std::string NotDecimalsMessage(const std::string& text, int most);

/// A write to standard output failed with `what` (strerror's text).
std::string StandardOutputFailureMessage(const char* what);

/// "<n> node(s) could not be computed and was/were written as 9999.999."; in the
/// other formats as their rows say (LatticeFormatInfo::missingNode): "... written
/// with an empty N." (csv), "... written as NODATA -9999." (asc).
std::string NodesOutsideMessage(std::uint64_t nodes, LatticeFormat format = LatticeFormat::Xyz);

/// A --width that is not a whole number of pixels from 1 to `most`.
std::string NotPixelsMessage(const std::string& text, int most);
/// `egm2008 grid --width` beyond the lattice's long side of `nodes` nodes, which
/// the picture keeps as a pixel a node.
std::string WidthBeyondLatticeMessage(int width, std::uint64_t nodes);
/// `egm2008 grid --width` with a format other than png.
inline constexpr const char* kWidthNeedsPngMessage = "grid: --width is for --format png";
/// `egm2008 grid --symmetric` with a format other than png.
inline constexpr const char* kSymmetricNeedsPngMessage = "grid: --symmetric is for --format png";
/// `egm2008 grid --no-coast` with a format other than png.
inline constexpr const char* kNoCoastNeedsPngMessage = "grid: --no-coast is for --format png";

/// `egm2008 grid --format asc` or gtx without an output file.
std::string FormatNeedsFileMessage(LatticeFormat format);

// ---- the grid folders (grids_command.cpp) ----

/// `egm2008 grids` finding no grid in `folders`.
std::string NoGridsFoundText(const std::vector<std::string>& folders);
/// Where `egm2008 grids install` left the grids, with how many it made and found; `searched`:
/// the folder is one grid names are looked up in (not one given with --into).
/// `models`: the models installed, all three when empty.
std::string GridsInstalledText(const std::string& folder, std::size_t made, std::size_t kept,
                               bool searched = true, const std::vector<GeoidModel>& models = {});
/// The note `egm2008 grids` puts after a file that is not the grid its name promises.
/// (`model`: an older model's name, whose grid its file name promises).
std::string NotAsNamedNote(const char* sizeName, bool bigEndian, const char* model = nullptr);
/// `egm2008 grids install` without --system where the user has no grid folder.
inline constexpr const char* kNoUserGridFolderMessage =
    "grids install: HOME is not set, so there is no ~/.local/share/egm2008 to install into; "
    "set HOME (or XDG_DATA_HOME), or install for everyone with --system.";
/// `egm2008 grids install` without a folder for the package file.
inline constexpr const char* kNoPackageCacheMessage =
    "grids install: HOME is not set, so there is no ~/.cache/egm2008 for the geotranz "
    "package; set HOME, XDG_CACHE_HOME or EGM2008_CACHE.";
/// `egm2008 grids install` ended by `signal` ("SIGTERM"), its temporary files removed.
std::string InstallStoppedMessage(const char* signal, std::size_t made);

// ---- grid files (info_command.cpp; the grid choice's own are in engine/messages.hpp) ----

/// `egm2008 info` on a file with wrong record markers.
std::string WrongMarkersMessage(const std::string& path, std::int64_t wrong, std::int64_t firstRow);

// ---- outputs replaced when a run ends (output_file.cpp) ----

/// What became of an output that was not kept.
inline constexpr const char* kLiveOutputFate = "holds every line answered before the stop";
inline constexpr const char* kDirectOutputFate = "is incomplete";
inline constexpr const char* kKeptOutputFate = "was left as it was";
inline constexpr const char* kNotCreatedOutputFate = "was not created";
/// "The run was stopped by SIGTERM; outputfile "<path>" <fate>."
std::string StoppedBySignalMessage(const std::string& path, const char* signal, const char* fate);
/// A write or the final rename failed (`reason`, strerror's text): the file's fate.
std::string OutputNotWrittenMessage(const std::string& path, const char* reason, const char* fate);

}  // namespace egm2008::cli
