// Grid files written by the tests, in either byte order: whole grids from a
// function of row and column, full-length files of zeros with words poked in at
// given byte offsets, and descriptors for them.
//
// The layout is written here from the file format alone (per row a marker of
// 4 * columns, the row's values, the marker again; rows from 90 N), not from the
// engine's own helpers, so that a fault in the engine's addressing shows up as a
// wrong value.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"

namespace egm2008::test {

/// Value of node (row, column).
using NodeFunction = std::function<float(std::int32_t row, std::int32_t column)>;

/// Rows and stored columns of a grid over -90..90 x 0..360, and its spacing in
/// arc minutes as the command line names it.
struct Shape {
    std::int64_t rows;
    std::int64_t columns;
    const char* minutes = "";
};
inline constexpr Shape kShape10 = {1081, 2160, "10"};
inline constexpr Shape kShape2_5 = {4321, 8640, "2.5"};
inline constexpr Shape kShape1 = {10801, 21600, "1"};
inline constexpr Shape kShapeHalfDegree = {361, 720, "30"};

/// Writes a grid file of this shape; `value` gives each node.
void WriteGrid(const std::string& path, Shape shape, bool bigEndian, const NodeFunction& value);

/// Writes an older model's file as geotranz holds it: big-endian rows from 90 N, each from
/// longitude 0 to 360 inclusive (the column at 360 repeats column 0); EGM96 ("egm96.grd")
/// binary32 at 15' after its six-value header, EGM84 ("wwgrid.bin") binary64 at 30'.
/// `value` gives node (row, column) for columns before 360.
void WriteModelGrid(const std::string& path, engine::GeoidModel model, const NodeFunction& value);

/// Writes a 10' grid file whose every node is `value`.
void WriteConstantGrid(const std::string& path, float value, bool bigEndian);

/// Writes a grid file of the full length, every record marker right and every node
/// 0.0, all of it written out (no hole); values go in with PokeFloat or PokeWord.
void WriteZeroGrid(const std::string& path, Shape shape, bool bigEndian);

/// Writes a file of the full length of a grid of this shape whose first record marker is
/// right and whose rest is a hole: what a probe of its length and first marker sees of a grid,
/// cheap at any size.
void WriteProbedGrid(const std::string& path, Shape shape, bool bigEndian);

/// Writes the 32-bit `word` at byte `offset` of an existing file in the given byte order.
void PokeWord(const std::string& path, std::int64_t offset, std::uint32_t word, bool bigEndian);

/// Writes `value` at byte `offset` of an existing file in the given byte order.
void PokeFloat(const std::string& path, std::int64_t offset, float value, bool bigEndian);

/// Writes raw bytes at `offset` of an existing file.
void PokeBytes(const std::string& path, std::int64_t offset,
               const std::vector<unsigned char>& bytes);

/// A descriptor for a test grid file: defaults, with path, byte order and spacing set.
/// `lastColumn` follows the spacing (719 for 0.5 degrees, which no GridSize gives).
engine::GeoidGrid MakeGrid(const std::string& path, double spacing, bool bigEndian);

/// The 10' grid descriptor of a file.
inline engine::GeoidGrid MakeGrid10(const std::string& path, bool bigEndian = false) {
    return MakeGrid(path, 1.0 / 6.0, bigEndian);
}

/// Writes a whole-earth grid file with `spacing` degrees between rows and columns
/// (180 and 360 must be whole multiples of it) and returns its descriptor.
engine::GeoidGrid WriteSmallGrid(const std::string& path, double spacing, bool bigEndian,
                                 const NodeFunction& value);

}  // namespace egm2008::test
