#include "tasks/lattice/lattice_format.hpp"

#include <algorithm>
#include <cctype>

namespace egm2008 {

const LatticeFormatInfo& LatticeFormatInfoOf(LatticeFormat format) {
    for (const LatticeFormatInfo* row : kLatticeFormatTable) {
        if (row->format == format) return *row;
    }
    return *kLatticeFormatTable[0];
}

std::optional<LatticeFormat> LatticeFormatNamed(std::string_view name) {
    for (const LatticeFormatInfo* row : kLatticeFormatTable) {
        if (name == row->name) return row->format;
    }
    return std::nullopt;
}

LatticeFormat LatticeFormatOfPath(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return LatticeFormat::Xyz;
    }
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const LatticeFormatInfo* row : kLatticeFormatTable) {
        for (const char* own : row->extensions) {
            if (own != nullptr && extension == own) return row->format;
        }
    }
    return LatticeFormat::Xyz;
}

std::string LatticeFormatHeader(LatticeFormat format, const LatticeShape& shape) {
    const LatticeFormatInfo& row = LatticeFormatInfoOf(format);
    return row.header != nullptr ? row.header(shape) : std::string();
}

std::optional<LatticeExcess> LatticeFormatExcess(LatticeFormat format, const LatticeShape& shape) {
    const LatticeLimits& limits = LatticeFormatInfoOf(format).limits;
    if (shape.columns > limits.mostColumns) {
        return LatticeExcess{LatticeBound::MostColumns, limits.mostColumns};
    }
    if (shape.rows > limits.mostRows) return LatticeExcess{LatticeBound::MostRows, limits.mostRows};
    if (shape.rows > limits.mostNodes / shape.columns) {
        return LatticeExcess{LatticeBound::MostNodes, limits.mostNodes};
    }
    if (shape.rows < limits.leastRows || shape.columns < limits.leastColumns) {
        return LatticeExcess{LatticeBound::LeastRowsAndColumns, limits.leastRows};
    }
    return std::nullopt;
}

bool LatticeFormatHolds(LatticeFormat format, const LatticeShape& shape) {
    if (LatticeFormatExcess(format, shape)) return false;
    const LatticeFormatInfo& row = LatticeFormatInfoOf(format);
    return row.holds == nullptr || row.holds(shape);
}

}  // namespace egm2008
