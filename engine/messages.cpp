#include "engine/messages.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "engine/geoid_grid.hpp"
#include "engine/grid_choice.hpp"
#include "engine/grid_probe.hpp"

namespace egm2008::engine {

std::string Quoted(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(1, '"').append(text).append(1, '"');
    return quoted;
}

std::string OpenFailureMessage(const std::string& path) {
    return "\nGeoidfile \"" + path + "\" could not be opened!\n";
}

namespace {

const char* SizeText(GridSize size) {
    switch (size) {
        case GridSize::Grid1x1: return "1' x 1'";
        case GridSize::Grid2_5x2_5: return "2.5' x 2.5'";
        case GridSize::Grid10x10: return "10' x 10'";
    }
    return "?";
}

const char* OrderText(bool bigEndian) { return bigEndian ? "big-endian" : "little-endian"; }

}  // namespace

std::string GridMismatchMessage(const GeoidGrid& grid) {
    std::string text =
        grid.model == GeoidModel::Egm2008
            ? "\nGeoidfile \"" + grid.path +
                  "\" does not match the chosen grid size and byte order!\n"
            : "\nGeoidfile \"" + grid.path + "\" is not an intact " + GridTitle(grid) + " grid!\n";
    GridProbe probe;
    if (ProbeGridFile(grid.path, probe)) text += GridFindingText(probe, grid) + "\n";
    return text;
}

std::string GridFindingText(const GridProbe& probe, const GeoidGrid& chosen) {
    if (probe.model) {
        if (*probe.model == chosen.model) {
            return "The file has the length of that grid but is damaged inside.";
        }
        return std::string("The file is the ") + ModelName(*probe.model) + " grid.";
    }
    if (probe.beginsAs) {
        return std::string("The file begins as the ") + ModelName(*probe.beginsAs) +
               " grid but has another length.";
    }
    if (!probe.size) return "The file is no grid of the three sizes in either byte order.";
    const std::string size = SizeText(*probe.size);
    if (!probe.bigEndian) {
        return "The file has the length of a " + size +
               " grid, but its first record marker fits neither byte order.";
    }
    if (*probe.size == chosen.gridSize && *probe.bigEndian == chosen.bigEndian) {
        return "The file has the length and first record marker of that grid but is damaged "
               "inside.";
    }
    return "The file is a " + size + " grid in " + OrderText(*probe.bigEndian) + " byte order.";
}

std::string SpacingMismatchMessage(double latSpacingMinutes, double lonSpacingMinutes) {
    char text[160];
    std::snprintf(text, sizeof text, "Error in grid spacing! Space Lat = %.1lf\n Space Lon = %.1lf",
                  latSpacingMinutes, lonSpacingMinutes);
    return text;
}

namespace {

// Decimal megabytes with one decimal: 9348488 gives "9.3".
std::string Megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    return text;
}

// Two lengths in megabytes, or in bytes where megabytes would show them equal.
std::pair<std::string, std::string> Lengths(std::uint64_t a, std::uint64_t b, std::string& unit) {
    std::pair<std::string, std::string> shown{Megabytes(a), Megabytes(b)};
    unit = "MB";
    if (shown.first != shown.second) return shown;
    unit = "bytes";
    return {std::to_string(a), std::to_string(b)};
}

}  // namespace

std::string GridTruncatedNote(std::uint64_t length, std::uint64_t wholeLength) {
    std::string unit;
    const auto [shown, whole] = Lengths(length, wholeLength, unit);
    return "truncated: " + shown + " of " + whole + " " + unit;
}

std::string GridTooLongNote(std::uint64_t length, GridSize size) {
    std::string unit;
    const auto [shown, whole] = Lengths(length, GridFileLength(size), unit);
    return "too long: " + shown + " " + unit + ", a " + SizeText(size) + " grid has " + whole +
           " " + unit;
}

std::string ModelTooLongNote(std::uint64_t length, const ModelFile& file) {
    std::string unit;
    const auto [shown, whole] = Lengths(length, ModelFileLength(file), unit);
    return "too long: " + shown + " " + unit + ", the " + ModelName(file.model) + " file has " +
           whole + " " + unit;
}

std::string GridMarkerDamagedNote() {
    return "damaged: it has a grid's length, but its first record marker fits neither byte "
           "order";
}

std::string NoGridFileNote(std::uint64_t length) {
    if (length == 0) return "empty";
    return "no EGM2008 grid file: " + std::to_string(length) + " bytes";
}

std::string GridUnreadableNote(int error) {
    if (error == EISDIR || error == EINVAL) return "not a regular file";
    return std::string("cannot be read: ") + std::strerror(error);
}

std::string GridKindNote(GridSize size, bool bigEndian) {
    return std::string("the file is ") + SizeText(size) + ", " + OrderText(bigEndian);
}

std::string NotRegularGridMessage(const std::string& path) {
    return "Geoidfile " + Quoted(path) + " is not a regular file.";
}

std::string GridLengthMismatchMessage(const std::string& path, std::uint64_t length,
                                      const char* sizeName, std::uint64_t sizeLength) {
    return "Geoidfile " + Quoted(path) + " is " + std::to_string(length) + " bytes long; a " +
           sizeName + " grid file has " + std::to_string(sizeLength) + " bytes.";
}

std::string GridLengthUnknownMessage(const std::string& path, std::uint64_t length) {
    return "Geoidfile " + Quoted(path) + " is " + std::to_string(length) +
           " bytes long, the length of no EGM2008 grid file (10': 9348488, 2.5': "
           "149368328, 1': 933292808 bytes).";
}

std::string GridOrderMismatchMessage(const std::string& path, bool fileBigEndian,
                                     bool wantedBigEndian, std::uint32_t rowBytes) {
    return "Geoidfile " + Quoted(path) + " is " + OrderText(fileBigEndian) + ", not " +
           OrderText(wantedBigEndian) + ": its first record marker reads " +
           std::to_string(rowBytes) + " in " + OrderText(fileBigEndian) + " byte order.";
}

std::string GridMarkerMismatchMessage(const std::string& path, const char* sizeName,
                                      std::uint32_t littleMarker, std::uint32_t bigMarker,
                                      std::uint32_t rowBytes) {
    return "Geoidfile " + Quoted(path) + " has the length of a " + sizeName +
           " grid file, but its first record marker reads " + std::to_string(littleMarker) +
           " little-endian and " + std::to_string(bigMarker) + " big-endian, not " +
           std::to_string(rowBytes) + ".";
}

std::string NoInternalDatabaseMessage(const char* name, const char* installedFolder) {
    return std::string("The internal database \"") + name +
           "\" is neither in the working directory nor in " + installedFolder +
           "; name a grid file with --grid.";
}

std::string GridPassedOverMessage(const std::string& path, GridSize size, bool bigEndian,
                                  const GridProbe* probe) {
    std::string text = "Geoidfile " + Quoted(path) + " is passed over: ";
    if (!probe) return text + "it could not be opened.";
    GeoidGrid named;
    named.gridSize = size;
    named.bigEndian = bigEndian;
    return text + "its name is that of the " + SizeText(size) + " grid in " + OrderText(bigEndian) +
           " byte order. " + GridFindingText(*probe, named);
}

std::string ModelGridNotFoundMessage(GeoidModel model, const std::vector<std::string>& folders) {
    std::string list;
    for (const std::string& folder : folders) list += (list.empty() ? "" : ", ") + folder;
    return std::string(ModelName(model)) + " grid not found: run `egm2008 grids install " +
           ModelKey(model) + "` (" + Quoted(ModelFileOf(model)->fileName) + " is in none of " +
           list + ").";
}

std::string ModelMismatchMessage(const std::string& path, GeoidModel fileModel,
                                 GeoidModel wantedModel) {
    const std::string what = fileModel == GeoidModel::Egm2008
                                 ? std::string("an EGM2008 grid")
                                 : std::string("the ") + ModelName(fileModel) + " grid";
    return "Geoidfile " + Quoted(path) + " is " + what + ", not one of " + ModelName(wantedModel) +
           ".";
}

std::string ModelTakesNoSizeMessage(GeoidModel model) {
    return std::string(ModelName(model)) + " has one grid, " + ModelFileOf(model)->spacingName +
           " big-endian: a grid size, byte order or grid name belongs to EGM2008's grids.";
}

std::string ModelPassedOverMessage(const std::string& path, GeoidModel model,
                                   const GridProbe* probe) {
    std::string text = "Geoidfile " + Quoted(path) + " is passed over: ";
    if (!probe) return text + "it could not be opened.";
    const GeoidGrid named = GridOfModel(path, model);
    return text + "its name is that of the " + GridTitle(named) + " grid. " +
           GridFindingText(*probe, named);
}

std::string GridNameNotFoundMessage(const std::string& name,
                                    const std::vector<std::string>& folders) {
    std::string list;
    for (const std::string& folder : folders) list += (list.empty() ? "" : ", ") + folder;
    return "No grid file named " + Quoted(name) + " in " + list +
           "; \"egm2008 grids install\" makes the 10' and 2.5' grids.";
}

std::string OneLine(std::string_view text) {
    const auto isBreak = [](char c) { return c == '\n' || c == '\r'; };
    while (!text.empty() && isBreak(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBreak(text.back())) text.remove_suffix(1);
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (!isBreak(text[i])) {
            line += text[i++];
            continue;
        }
        while (i < text.size() && (isBreak(text[i]) || text[i] == ' ' || text[i] == '\t')) ++i;
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
        line += ' ';
    }
    return line;
}

}  // namespace egm2008::engine
