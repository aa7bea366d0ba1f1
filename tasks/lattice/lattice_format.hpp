// The gridmaker's formats chosen in one place: a format by its name or by an
// output file's extension, its row of the table (lattice_format_info.hpp,
// where each format's row and code are), and the checks every format's row
// answers alike: whether its file holds a lattice, and which limit it breaks.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tasks/lattice/formats/lattice_format_info.hpp"

namespace egm2008 {

/// Every format's row, in the table's order.
inline std::span<const LatticeFormatInfo* const> LatticeFormats() { return kLatticeFormatTable; }

/// The row of `format`.
const LatticeFormatInfo& LatticeFormatInfoOf(LatticeFormat format);

/// The format named `name` as the table spells it; nothing for another name.
std::optional<LatticeFormat> LatticeFormatNamed(std::string_view name);

/// The format an output file's name asks for by its extension, in any case
/// (the rows' extensions); xyz for any other name.
LatticeFormat LatticeFormatOfPath(const std::string& path);

/// The format's name, as the table spells it.
inline const char* LatticeFormatText(LatticeFormat format) {
    return LatticeFormatInfoOf(format).name;
}

/// What comes before the nodes (the row's header); "" for a format without one.
std::string LatticeFormatHeader(LatticeFormat format, const LatticeShape& shape);

/// A limit of LatticeLimits that a lattice breaks, and its value.
enum class LatticeBound { LeastRowsAndColumns, MostRows, MostColumns, MostNodes };
struct LatticeExcess {
    LatticeBound bound;
    std::uint64_t limit;
};

/// The first of the format's limits the lattice breaks, in the order most
/// columns, most rows, most nodes, fewest rows or columns; nothing when it breaks none.
std::optional<LatticeExcess> LatticeFormatExcess(LatticeFormat format, const LatticeShape& shape);

/// False when the format's file cannot hold the lattice: beyond its row's
/// limits, or its further limit (a GeoTIFF's tiles).
bool LatticeFormatHolds(LatticeFormat format, const LatticeShape& shape);

/// True for the formats that cannot go to standard output or a pipe.
inline bool LatticeFormatNeedsFile(LatticeFormat format) {
    return !LatticeFormatInfoOf(format).toStandardOutput;
}

}  // namespace egm2008
