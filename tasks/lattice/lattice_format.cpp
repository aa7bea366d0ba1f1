#include "tasks/lattice/lattice_format.hpp"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <span>

#include "tasks/lattice/formats/colour_map.hpp"
#include "tasks/lattice/formats/geotiff_output.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

namespace {

// The most rows or columns an int32 in a GTX or ESRI ASCII header holds.
constexpr std::uint64_t kInt32CountLimit = 0x7fffffff;
// The fewest rows and columns of a grid PROJ reads: its extent must not be empty.
constexpr std::uint64_t kProjLeastCount = 2;

// Appends the `bytes` low bytes of `value`, most significant first.
void AppendBigEndian(std::string& out, std::uint64_t value, int bytes) {
    for (int k = bytes - 1; k >= 0; --k) {
        out.push_back(static_cast<char>((value >> (8 * k)) & 0xff));
    }
}

// Appends `value` as the shortest text that reads back as the same double.
void AppendExact(std::string& out, double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

// "name" padded to the header's column, the value, CR LF.
void AppendAscLine(std::string& out, const char* name, double value) {
    AppendFormat(out, "%-13s", name);
    AppendExact(out, value);
    out += "\r\n";
}

std::string AscHeader(const LatticeShape& shape) {
    std::string header;
    AppendFormat(header, "ncols        %llu\r\nnrows        %llu\r\n",
                 static_cast<unsigned long long>(shape.columns),
                 static_cast<unsigned long long>(shape.rows));
    // Cell centres are the nodes, so that no half step is added or lost.
    AppendAscLine(header, "xllcenter", shape.west);
    AppendAscLine(header, "yllcenter", shape.south);
    if (shape.latStep == shape.lonStep) {
        AppendAscLine(header, "cellsize", shape.lonStep);
    } else {
        AppendAscLine(header, "dx", shape.lonStep);
        AppendAscLine(header, "dy", shape.latStep);
    }
    header += "NODATA_value ";
    header += kAscNoData;
    header += "\r\n";
    return header;
}

std::string GtxHeader(const LatticeShape& shape) {
    std::string header;
    for (const double value : {shape.south, shape.west, shape.latStep, shape.lonStep}) {
        AppendBigEndian(header, std::bit_cast<std::uint64_t>(value), 8);
    }
    AppendBigEndian(header, shape.rows, 4);
    AppendBigEndian(header, shape.columns, 4);
    return header;
}

}  // namespace

std::optional<LatticeFormat> LatticeFormatNamed(std::string_view name) {
    for (const LatticeFormatName& entry : kLatticeFormatNames) {
        if (name == entry.name) return entry.format;
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
    for (const std::span<const LatticeFormatName> table :
         {std::span<const LatticeFormatName>(kLatticeFormatNames),
          std::span<const LatticeFormatName>(kLatticeFormatAliases)}) {
        for (const LatticeFormatName& entry : table) {
            if (extension == entry.extension) return entry.format;
        }
    }
    return LatticeFormat::Xyz;
}

const char* LatticeFormatText(LatticeFormat format) {
    for (const LatticeFormatName& entry : kLatticeFormatNames) {
        if (entry.format == format) return entry.name;
    }
    return kLatticeFormatNames[0].name;
}

std::string LatticeFormatHeader(LatticeFormat format, const LatticeShape& shape) {
    switch (format) {
        case LatticeFormat::Xyz: return {};
        case LatticeFormat::Csv: return "latitude,longitude,N\r\n";
        case LatticeFormat::Asc: return AscHeader(shape);
        case LatticeFormat::Gtx: return GtxHeader(shape);
        case LatticeFormat::Geotiff:
        case LatticeFormat::Png: return {};
    }
    return {};
}

LatticeLimits LatticeFormatLimits(LatticeFormat format) {
    LatticeLimits limits;
    switch (format) {
        case LatticeFormat::Xyz:
        case LatticeFormat::Csv: break;
        case LatticeFormat::Asc:
            limits.mostRows = kInt32CountLimit;
            limits.mostColumns = kInt32CountLimit;
            break;
        case LatticeFormat::Gtx:
            limits.leastRows = limits.leastColumns = kProjLeastCount;
            limits.mostRows = kInt32CountLimit;
            limits.mostColumns = kInt32CountLimit;
            break;
        case LatticeFormat::Geotiff:
            limits.leastRows = limits.leastColumns = kProjLeastCount;
            limits.mostColumns = kGeotiffColumnLimit;
            break;
        case LatticeFormat::Png: limits.mostColumns = kMapColumnLimit; break;
    }
    return limits;
}

std::optional<LatticeExcess> LatticeFormatExcess(LatticeFormat format, const LatticeShape& shape) {
    const LatticeLimits limits = LatticeFormatLimits(format);
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
    return format != LatticeFormat::Geotiff || GeotiffLayoutOf(shape.rows, shape.columns).holds;
}

char* WriteGtxValue(char* at, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int k = 3; k >= 0; --k) *at++ = static_cast<char>((bits >> (8 * k)) & 0xff);
    return at;
}

}  // namespace egm2008
