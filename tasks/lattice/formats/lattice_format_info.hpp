// What a file format of the gridmaker is, as one row per format
// (LatticeFormatInfo): its name and extensions, whether it may go to standard
// output, how it writes a node that cannot be computed, the lattices its file
// holds, its header, and either how the walk writes each node or the raster
// that writes the file. Each format's row and code live in a file of their
// own in this folder; kLatticeFormatTable lists the rows, and everything that
// offers or describes the formats (the gridmaker, the command line's choice,
// help and messages, the window's picker and save filter) reads it.
//
//   xyz, csv   text_formats.cpp: a line per node with its position
//   asc        asc_format.cpp: ESRI ASCII grid, a line per row of values
//   gtx        gtx_format.cpp: NOAA/PROJ vertical grid, float32 values
//   geotiff    geotiff_output.cpp: PROJ's geoid model, a raster
//   png        png_format.cpp: a colour map (colour_map.hpp), a raster
//
// A new format: an enumerator of LatticeFormat, its file here defining its
// row, and the row's two lines at the end of this header.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/geoid_model.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008 {

class LatticeRaster;
class TextOutput;
struct Coastline;
enum class ColourFit;

enum class LatticeFormat { Xyz, Csv, Asc, Gtx, Geotiff, Png };

/// A lattice as the headers describe it: rows and columns, the southern row's
/// latitude and the western column's longitude as walked, the steps; degrees.
struct LatticeShape {
    std::uint64_t rows = 0;
    std::uint64_t columns = 0;
    double south = 0.0;
    double west = 0.0;
    double latStep = 0.0;
    double lonStep = 0.0;
};

/// The most nodes a lattice has in any format: 18 times the whole globe at
/// 1' (10,801 x 21,601 nodes), about 150 GB of xyz text, 35 GB of asc; a
/// count of nodes fits 32 bits (the colour map counts the nodes of a pixel so).
/// A larger lattice is a mistake of spacing that would run until the disk fills.
inline constexpr std::uint64_t kLatticeNodeLimit = 0xffffffff;
/// The most rows or columns an int32 in a header holds (asc's, gtx's).
inline constexpr std::uint64_t kInt32CountLimit = 0x7fffffff;
/// The fewest rows and columns of a grid PROJ reads: its extent must not be empty.
inline constexpr std::uint64_t kProjLeastCount = 2;

/// The lattices a format's file takes: rows and columns from `least` to `most`
/// and at most `mostNodes` nodes, bounds included.
struct LatticeLimits {
    std::uint64_t leastRows = 1;
    std::uint64_t leastColumns = 1;
    std::uint64_t mostRows = kLatticeNodeLimit;
    std::uint64_t mostColumns = kLatticeNodeLimit;
    std::uint64_t mostNodes = kLatticeNodeLimit;
};

/// What a format's file tells of its run besides the lattice (a GeoTIFF's
/// tags, a picture's title and size); the gridmaker fills it from its request.
struct LatticeDescription {
    double north = 0.0;       ///< latitude of the northern row, as the area gives it
    std::string grid;         ///< the grid file's name
    std::string method;       ///< the interpolation method, as the window labels it
    double latSpacing = 0.0;  ///< arc minutes
    double lonSpacing = 0.0;  ///< arc minutes
    std::string software;     ///< "egm2008 <version>"
    std::string title;        ///< a picture's title
    int pictureWidth = 0;     ///< a picture's long side in pixels; 0: as the lattice asks
    ColourFit colourFit{};    ///< a picture's colours (colour_legend.hpp); fitted unless told
    /// A picture's coastlines in the lattice's frame (coastlines.hpp); nullptr: none.
    const std::vector<Coastline>* coastlines = nullptr;
    std::string tideSystem{};  ///< "mean-tide" or "zero-tide"; "" for the grids' tide-free N
    GeoidModel model = GeoidModel::Egm2008;  ///< the grid's model
};

/// How the walk writes each node of a format it writes itself (grid_lattice.cpp),
/// rows north to south unless `rowsSouthToNorth`, each row west to east:
enum class NodeWriting {
    PointLine,  ///< latitude, longitude ("%W.6f", each followed by `separator`), N, CR LF
    ValueText,  ///< N, then `separator`, or CR LF after a row's last node
    Float32BE,  ///< N as a big-endian float32
};

/// Widths 0..64 and 0..9 decimals (WriteFixed's), a missing text of at most
/// kFixedTextLimit characters: the room the walk keeps for each number.
struct LatticeNodeLayout {
    NodeWriting writing = NodeWriting::PointLine;
    int latitudeWidth = 0;   ///< PointLine: the latitude's width
    int longitudeWidth = 0;  ///< PointLine: the longitude's width
    char separator = ' ';
    int valueWidth = 0;  ///< text: N as "%W.Df"
    int valueDecimals = 3;
    /// text: what a node that cannot be computed gets; nullptr: N as the query left
    /// it, the marker 9999.999 (the field's own preset).
    const char* missingText = nullptr;
    float missingValue = 0.0f;  ///< Float32BE: what a node that cannot be computed gets
    /// Float32BE: rows stored south to north after the header, so written at offsets;
    /// a run stopped at a node gives the nodes it did not reach `missingValue`.
    bool rowsSouthToNorth = false;
};

/// The raster that writes a format's file to `output` (which must outlive it).
using LatticeRasterMaker = std::unique_ptr<LatticeRaster> (*)(TextOutput& output,
                                                              const LatticeDescription& run);

/// One format: everything the gridmaker, the command line and the window know of it.
struct LatticeFormatInfo {
    LatticeFormat format;
    const char* name;           ///< on the command line (--format) and in messages
    const char* extensions[2];  ///< of its files, lower case with the dot; the first is
                                ///< the one the window's default output takes; nullptr: none
    bool toStandardOutput;      ///< may be written to standard output or a pipe
    /// How a node that cannot be computed is written, as the command line tells
    /// their count: "written as 9999.999".
    const char* missingNode;
    LatticeLimits limits;
    /// A further limit beyond `limits` (the GeoTIFF's tiles); nullptr: none.
    bool (*holds)(const LatticeShape& shape);
    /// What comes before the nodes; nullptr: nothing (or the raster writes its own).
    std::string (*header)(const LatticeShape& shape);
    /// How the walk writes each node; nullptr for a raster.
    const LatticeNodeLayout* nodes;
    /// The raster that writes the file from the lattice's rows; nullptr when the walk writes it.
    LatticeRasterMaker raster;
    /// The window's format picker: its place (1 first; 0: not offered), its item
    /// and the save dialog's filter.
    int pickerPlace;
    const char* pickerItem;
    const char* saveFilter;
};

// Each format's row, defined in its own file; the table in the order the
// command line lists them.
extern const LatticeFormatInfo kXyzFormat;
extern const LatticeFormatInfo kCsvFormat;
extern const LatticeFormatInfo kAscFormat;
extern const LatticeFormatInfo kGtxFormat;
extern const LatticeFormatInfo kGeotiffFormat;
extern const LatticeFormatInfo kPngFormat;

inline constexpr const LatticeFormatInfo* kLatticeFormatTable[] = {
    &kXyzFormat, &kCsvFormat, &kAscFormat, &kGtxFormat, &kGeotiffFormat, &kPngFormat,
};

}  // namespace egm2008
