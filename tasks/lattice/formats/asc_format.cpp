// ESRI ASCII grid (GDAL, QGIS, ArcGIS): cell centres are the nodes (xllcenter,
// yllcenter), "cellsize" when both steps are equal, else "dx" and "dy";
// NODATA_value -9999; N with 4 decimals (0.1 mm: about the seven digits a
// node's float holds); rows north to south, CR LF line ends. The header holds
// rows and columns as int32; the file needs a name of its own.
#include <charconv>
#include <string>

#include "tasks/common/text_output.hpp"
#include "tasks/lattice/formats/lattice_format_info.hpp"

namespace egm2008 {

namespace {

// A missing node.
constexpr const char* kAscNoData = "-9999";

constexpr LatticeNodeLayout kAscNodes = {.writing = NodeWriting::ValueText,
                                         .separator = ' ',
                                         .valueDecimals = 4,
                                         .missingText = kAscNoData};

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

// Numbers as the shortest text that reads back as the same double.
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

}  // namespace

const LatticeFormatInfo kAscFormat = {
    .format = LatticeFormat::Asc,
    .name = "asc",
    .extensions = {".asc", nullptr},
    .toStandardOutput = false,
    .missingNode = "written as NODATA -9999",
    .limits = {.mostRows = kInt32CountLimit, .mostColumns = kInt32CountLimit},
    .holds = nullptr,
    .header = AscHeader,
    .nodes = &kAscNodes,
    .raster = nullptr,
    .pickerPlace = 3,
    .pickerItem = "ESRI ASCII",
    .saveFilter = "ESRI ASCII grid (*.asc)"};

}  // namespace egm2008
