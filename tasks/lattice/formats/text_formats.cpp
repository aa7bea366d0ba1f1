// The point formats: a line per node with its position, which the walk writes
// straight into its pieces (grid_lattice.cpp), the speed of the tool.
//
//   xyz  "%10.6lf %11.6lf %8.3f" + CR LF per node, 9999.999 for a node that
//        cannot be computed (the page's own text, and the default)
//   csv  a header line "latitude,longitude,N", then "lat,lon,N" per node with
//        the digits of xyz and no padding, an empty N for a node that cannot be
//        computed; CR LF line ends
//
// Both may go to standard output or a pipe.
#include <string>

#include "tasks/lattice/formats/lattice_format_info.hpp"

namespace egm2008 {

namespace {

constexpr LatticeNodeLayout kXyzNodes = {.writing = NodeWriting::PointLine,
                                         .latitudeWidth = 10,
                                         .longitudeWidth = 11,
                                         .separator = ' ',
                                         .valueWidth = 8,
                                         .valueDecimals = 3};

constexpr LatticeNodeLayout kCsvNodes = {
    .writing = NodeWriting::PointLine, .separator = ',', .valueDecimals = 3, .missingText = ""};

std::string CsvHeader(const LatticeShape&) { return "latitude,longitude,N\r\n"; }

}  // namespace

const LatticeFormatInfo kXyzFormat = {.format = LatticeFormat::Xyz,
                                      .name = "xyz",
                                      .extensions = {".xyz", nullptr},
                                      .toStandardOutput = true,
                                      .missingNode = "written as 9999.999",
                                      .limits = {},
                                      .holds = nullptr,
                                      .header = nullptr,
                                      .nodes = &kXyzNodes,
                                      .raster = nullptr,
                                      .pickerPlace = 1,
                                      .pickerItem = "Text",
                                      .saveFilter = "Text (*.txt *.xyz)"};

const LatticeFormatInfo kCsvFormat = {.format = LatticeFormat::Csv,
                                      .name = "csv",
                                      .extensions = {".csv", nullptr},
                                      .toStandardOutput = true,
                                      .missingNode = "written with an empty N",
                                      .limits = {},
                                      .holds = nullptr,
                                      .header = CsvHeader,
                                      .nodes = &kCsvNodes,
                                      .raster = nullptr,
                                      .pickerPlace = 5,
                                      .pickerItem = "CSV",
                                      .saveFilter = "CSV (*.csv)"};

}  // namespace egm2008
