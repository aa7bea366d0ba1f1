// Every text the engine shows the user, through the caller's Notifier: a grid
// file that cannot be opened, one that does not match the grid size and byte
// order chosen for it (with what the file is instead), and a descriptor whose
// spacing belongs to another size; and why a grid could not be chosen for a
// run (grid_choice.hpp): the window, the command line and the library tell
// the same reasons. OneLine makes any of them the single line a status line,
// a terminal or the library's exception shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace egm2008::engine {

/// `text` between double quotes, as every layer's messages name a file, a field's
/// text or a column: "\"<text>\"".
std::string Quoted(std::string_view text);

/// "\nGeoidfile \"<path>\" could not be opened!\n"
std::string OpenFailureMessage(const std::string& path);

struct GeoidGrid;
struct GridProbe;
struct ModelFile;
enum class GridSize : std::int32_t;
enum class GeoidModel : std::int32_t;

/// "\nGeoidfile \"<path>\" does not match the chosen grid size and byte order!\n"
/// ("... is not an intact EGM96 15' grid!" for an older model's descriptor),
/// then on a line of its own what the file is (GridFindingText), when it can be
/// probed. Reads the file's length and first record marker (ProbeGridFile).
std::string GridMismatchMessage(const GeoidGrid& grid);

/// One sentence on what `probe` found, held against the size and byte order of `chosen`:
/// "The file is a 2.5' x 2.5' grid in big-endian byte order.", or that it is no
/// grid of the three sizes, or that it has the kind chosen and is damaged inside.
std::string GridFindingText(const GridProbe& probe, const GeoidGrid& chosen);

/// "Error in grid spacing! Space Lat = %.1lf\n Space Lon = %.1lf", spacings in arc minutes.
std::string SpacingMismatchMessage(double latSpacingMinutes, double lonSpacingMinutes);

// ---- the grid choice (grid_choice.cpp) ----

/// "Geoidfile "<path>" is not a regular file."
std::string NotRegularGridMessage(const std::string& path);
/// A file whose length is not that of the grid size asked for.
std::string GridLengthMismatchMessage(const std::string& path, std::uint64_t length,
                                      const char* sizeName, std::uint64_t sizeLength);
/// A file whose length is that of no EGM2008 grid file.
std::string GridLengthUnknownMessage(const std::string& path, std::uint64_t length);
/// A file of the other byte order than the one asked for.
std::string GridOrderMismatchMessage(const std::string& path, bool fileBigEndian,
                                     bool wantedBigEndian, std::uint32_t rowBytes);
/// A file of a grid's length whose first record marker fits neither byte order.
std::string GridMarkerMismatchMessage(const std::string& path, const char* sizeName,
                                      std::uint32_t littleMarker, std::uint32_t bigMarker,
                                      std::uint32_t rowBytes);
/// The internal database is in neither place the tool looks.
std::string NoInternalDatabaseMessage(const char* name, const char* installedFolder);
/// A file under the NGA name of the grid of `size` and byte order `bigEndian` that a grid name
/// passes over: what `probe` says it is instead, or (no probe) that it could not be opened.
std::string GridPassedOverMessage(const std::string& path, GridSize size, bool bigEndian,
                                  const GridProbe* probe);
/// An older model's file found in none of `folders`: "EGM96 grid not found: run `egm2008 grids
/// install egm96` (\"egm96.grd\" is in none of <folders>)."
std::string ModelGridNotFoundMessage(GeoidModel model, const std::vector<std::string>& folders);
/// A file of one model where another was asked for.
std::string ModelMismatchMessage(const std::string& path, GeoidModel fileModel,
                                 GeoidModel wantedModel);
/// A grid size, byte order or grid name (EGM2008's) given with an older model or its file.
std::string ModelTakesNoSizeMessage(GeoidModel model);
/// A file under an older model's file name that the search passes over, and why.
std::string ModelPassedOverMessage(const std::string& path, GeoidModel model,
                                   const GridProbe* probe);
/// A grid name ("2.5", "10-be") found in none of `folders`.
std::string GridNameNotFoundMessage(const std::string& name,
                                    const std::vector<std::string>& folders);

// ---- what a chosen grid file is (JudgeGridProbe), in a few words for a status line ----

/// "truncated: 5.0 of 9.3 MB" (decimal megabytes).
std::string GridTruncatedNote(std::uint64_t length, std::uint64_t wholeLength);
/// "too long: 9.5 MB, a 10' x 10' grid has 9.3 MB"
std::string GridTooLongNote(std::uint64_t length, GridSize size);
/// A file of a grid's length whose first record marker fits neither byte order.
std::string GridMarkerDamagedNote();
/// "too long: 4.3 MB, the EGM96 file has 4.2 MB"
std::string ModelTooLongNote(std::uint64_t length, const ModelFile& file);
/// "empty", or "no EGM2008 grid file: 1234 bytes".
std::string NoGridFileNote(std::uint64_t length);
/// "cannot be read: <strerror>"; "not a regular file" for EISDIR and EINVAL (OpenRegularFile).
std::string GridUnreadableNote(int error);
/// "the file is 2.5' x 2.5', big-endian" (the kind a file is, where the user chose another).
std::string GridKindNote(GridSize size, bool bigEndian);

// ---- one line ----

/// `text` as one line (a status line, a message on a terminal, a library's exception):
/// leading and trailing line breaks dropped, each inner line break (with the blanks
/// around it) replaced by one blank.
std::string OneLine(std::string_view text);

}  // namespace egm2008::engine
