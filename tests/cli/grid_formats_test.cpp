// "egm2008 grid" in its other formats: the format chosen by --format or by the
// output's extension, csv lines, ESRI ASCII grids, GTX files and GeoTIFFs as
// GDAL's and PROJ's own tools read them back, and colour map PNGs as Python's
// PIL reads them (skipped where those tools are missing). The tests that look
// at a picture's pixels draw it without coastlines, so that they hold whether
// or not the coastline files are installed.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli_test_support.hpp"
#include "tasks/lattice/formats/colour_map.hpp"
#include "tasks/lattice/gridmaker.hpp"
#include "tasks/messages.hpp"
#include "tests/support/process_state.hpp"
#include "tests/support/tool_output.hpp"

namespace egm2008::cli::test {
namespace {

// A 10' grid whose node (row r, column c) holds r - 300 + c/1000, except the
// implausible node at 30 N, 6 E (row 360, column 36), so that every node
// of the lattices below tells its row and column apart and one cannot be computed.
class GridFormats : public ::testing::Test {
protected:
    void SetUp() override {
        WriteGrid(grid_, kShape10, false, [](std::int64_t r, std::int64_t c) {
            return r == 360 && c == 36 ? 2000.0f
                                       : static_cast<float>(r - 300) + static_cast<float>(c) / 1000;
        });
    }
    // The lattice 30 N to 29 N, 5 E to 7 E, rows a degree apart, columns `lonStep` minutes.
    std::vector<std::string> Args(std::vector<std::string> tail, const char* lonStep = "60",
                                  const char* method = "bilinear") {
        std::vector<std::string> args = {"grid",  "--lat",    "29",         "30",     "--lon",
                                         "7",     "5",        "--step-lat", "60",     "--step-lon",
                                         lonStep, "--method", method,       "--grid", grid_};
        args.insert(args.end(), tail.begin(), tail.end());
        return args;
    }
    ScratchFolder scratch_;
    std::string grid_ = scratch_.File("grid");
};

constexpr const char* kCsv =
    "latitude,longitude,N\r\n30.000000,5.000000,60.030\r\n30.000000,6.000000,\r\n"
    "30.000000,7.000000,60.042\r\n29.000000,5.000000,66.030\r\n29.000000,6.000000,66.036\r\n"
    "29.000000,7.000000,66.042\r\n";
constexpr const char* kAscRows = "60.0300 -9999 60.0420\r\n66.0300 66.0360 66.0420\r\n";

struct ChoiceCase {
    const char* name;
    std::vector<std::string> tail;  ///< after the lattice's arguments
    int status;
    const char* start;  ///< the output file's first bytes, or the message on stderr
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class GridFormatChoice : public GridFormats, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(GridFormatChoice, FormatComesFromTheOptionElseTheExtension) {
    const ChoiceCase& c = GetParam();
    std::vector<std::string> tail = c.tail;
    for (std::string& word : tail) {
        if (word.front() != '@') continue;
        word = scratch_.File(word.substr(1));
        std::filesystem::create_directories(std::filesystem::path(word).parent_path());
    }
    const CliRun run = RunTool(Args(tail));
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.status == 2) {
        EXPECT_EQ(run.err.rfind(c.start, 0), 0u) << run.err;
        EXPECT_EQ(scratch_.Names(), std::vector<std::string>{"grid"});  // nothing written
        return;
    }
    const std::string bytes = ReadFile(tail.back());
    EXPECT_EQ(bytes.substr(0, std::string(c.start).size()), c.start);
}

const std::string kNeedsFile = "egm2008: grid: --format ";
INSTANTIATE_TEST_SUITE_P(
    Outputs, GridFormatChoice,
    ::testing::Values(
        ChoiceCase{"CsvExtension", {"-o", "@n.csv"}, 1, "latitude,longitude,N\r\n30.000000,5"},
        ChoiceCase{"UpperCaseExtension", {"-o", "@n.ASC"}, 1, "ncols        3\r\n"},
        ChoiceCase{"GtxExtension", {"-o", "@n.gtx"}, 1, "\x40\x3d\0\0\0\0\0\0"},
        ChoiceCase{"TifExtension", {"-o", "@n.tif"}, 1, "II*"},
        ChoiceCase{"TiffExtension", {"-o", "@n.TIFF"}, 1, "II*"},
        ChoiceCase{
            "OtherExtensionIsXyz", {"-o", "@n.dat"}, 1, " 30.000000    5.000000   60.030\r\n"},
        ChoiceCase{"DotInFolderOnly", {"-o", "@.d/n"}, 1, " 30.000000    5.000000   60.030\r\n"},
        ChoiceCase{"OptionOverExtension", {"--format", "csv", "-o", "@n.asc"}, 1, "latitude,"},
        ChoiceCase{"XyzOverExtension", {"--format", "xyz", "-o", "@n.csv"}, 1, " 30.000000 "},
        ChoiceCase{"AscToStandardOutput",
                   {"--format", "asc"},
                   2,
                   "egm2008: grid: --format asc is written to a file: give -o FILE"},
        ChoiceCase{"GtxToDash",
                   {"--format", "gtx", "-o", "-"},
                   2,
                   "egm2008: grid: --format gtx is written to a file: give -o FILE"},
        ChoiceCase{"UnknownFormat", {"--format", "tif", "-o", "@n.tif"}, 2, "egm2008: "},
        ChoiceCase{"PngExtension", {"-o", "@n.png"}, 1, "\x89PNG\r\n\x1a\n"},
        ChoiceCase{"WidthOnlyForPng",
                   {"--width", "100", "-o", "@n.csv"},
                   2,
                   "egm2008: grid: --width is for --format png"},
        ChoiceCase{"SymmetricOnlyForPng",
                   {"--symmetric", "-o", "@n.asc"},
                   2,
                   "egm2008: grid: --symmetric is for --format png"},
        ChoiceCase{"NoCoastOnlyForPng",
                   {"--no-coast", "--format", "csv"},
                   2,
                   "egm2008: grid: --no-coast is for --format png"},
        ChoiceCase{"WidthZero", {"--width", "0", "-o", "@n.png"}, 2, "egm2008: "},
        ChoiceCase{"WidthBeyondLimit", {"--width", "16385", "-o", "@n.png"}, 2, "egm2008: "}),
    [](const ::testing::TestParamInfo<ChoiceCase>& p) { return std::string(p.param.name); });

// Fault pinned: a GTX of one row was written though PROJ reads none.
TEST_F(GridFormats, FormatLimitsRefuseBeforeAnythingIsOpened) {
    const CliRun run = RunTool({"grid", "--lat", "30", "30", "--lon", "5", "7", "--step-lat", "60",
                                "--step-lon", "60", "--grid", grid_, "-o", scratch_.File("n.gtx")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("egm2008: Error: Too few rows or columns for the output format.", 0),
              0u)
        << run.err;
    EXPECT_EQ(scratch_.Names(), std::vector<std::string>{"grid"});
}

// Fault pinned: a --width beyond the lattice was ignored without a word.
TEST_F(GridFormats, WidthBeyondTheLatticeIsToldOnce) {
    const std::string out = scratch_.File("n.png");
    const CliRun wide = RunTool(Args({"--width", "1000", "-o", out}));
    EXPECT_EQ(wide.status, RunTool(Args({"-o", out})).status);  // 1: a node is missing
    EXPECT_EQ(wide.err,
              "egm2008: grid: --width 1000 is more than the lattice's long side of 3 nodes: the "
              "map is drawn a pixel a node, 3 pixels on its long side\n"
              "egm2008: 1 node could not be computed and was drawn as missing.\n");
    EXPECT_EQ(RunTool(Args({"--width", "3", "-o", out})).err.find("--width"), std::string::npos);
}

TEST_F(GridFormats, CsvHasAHeaderAndAnEmptyNForAFailedNode) {
    const std::string out = scratch_.File("n.csv");
    const CliRun run = RunTool(Args({"-o", out}));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "egm2008: 1 node could not be computed and was written with an empty N.\n");
    EXPECT_EQ(ReadFile(out), kCsv);
    // csv may go to standard output.
    EXPECT_EQ(RunTool(Args({"--format", "csv"})).out, kCsv);
}

// The numbers of a JSON array named `key` in `json` (gdalinfo -json's geoTransform, size).
std::vector<double> JsonNumbers(const std::string& json, const std::string& key) {
    std::vector<double> numbers;
    std::size_t at = json.find("\"" + key + "\"");
    if (at == std::string::npos) return numbers;
    at = json.find('[', at);
    const std::size_t end = json.find(']', at);
    std::istringstream items(json.substr(at + 1, end - at - 1));
    std::string item;
    while (std::getline(items, item, ',')) numbers.push_back(std::strtod(item.c_str(), nullptr));
    return numbers;
}

struct AscCase {
    const char* name;
    const char* lonStep;  ///< arc minutes
    const char* header;   ///< the lines before the rows
    int columns;
};

void PrintTo(const AscCase& c, std::ostream* os) { *os << c.name; }

class GridAsc : public GridFormats, public ::testing::WithParamInterface<AscCase> {};

TEST_P(GridAsc, GdalFindsEveryNodeAtItsPixelCentre) {
    const AscCase& c = GetParam();
    const std::string out = scratch_.File("n.asc");
    const CliRun run = RunTool(Args({"-o", out}, c.lonStep));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "egm2008: 1 node could not be computed and was written as NODATA -9999.\n");
    const std::string bytes = ReadFile(out);
    EXPECT_EQ(bytes.substr(0, std::string(c.header).size()), c.header);

    if (!ToolOnPath("gdalinfo") || !ToolOnPath("gdallocationinfo")) {
        GTEST_SKIP() << "gdal-bin is not installed";
    }
    const std::optional<std::string> info = ToolOutput("gdalinfo -json '" + out + "'");
    ASSERT_TRUE(info);
    EXPECT_EQ(JsonNumbers(*info, "size"), (std::vector<double>{double(c.columns), 2.0}));
    const std::vector<double> transform = JsonNumbers(*info, "geoTransform");
    ASSERT_EQ(transform.size(), 6u) << *info;
    EXPECT_NE(info->find("\"noDataValue\":-9999"), std::string::npos) << *info;
    const double lonStep = std::strtod(c.lonStep, nullptr) / 60;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < c.columns; ++column) {
            const double longitude = 5 + column * lonStep;
            const double latitude = 30 - row;
            EXPECT_DOUBLE_EQ(transform[0] + (column + 0.5) * transform[1], longitude);
            EXPECT_DOUBLE_EQ(transform[3] + (row + 0.5) * transform[5], latitude);
            // GDAL's value at the node, against the grid's node value.
            std::ostringstream where;
            where << "gdallocationinfo -valonly -geoloc '" << out << "' " << longitude << ' '
                  << latitude;
            const std::optional<std::string> value = ToolOutput(where.str());
            ASSERT_TRUE(value);
            const bool failed = row == 0 && longitude == 6;
            const double expected = failed ? -9999 : 60 + 6 * row + longitude * 6 / 1000;
            EXPECT_NEAR(std::strtod(value->c_str(), nullptr), expected, 5e-5) << where.str();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, GridAsc,
    ::testing::Values(AscCase{"EqualSteps", "60",
                              "ncols        3\r\nnrows        2\r\nxllcenter    5\r\n"
                              "yllcenter    29\r\ncellsize     1\r\nNODATA_value -9999\r\n",
                              3},
                      AscCase{"UnequalSteps", "30",
                              "ncols        5\r\nnrows        2\r\nxllcenter    5\r\n"
                              "yllcenter    29\r\ndx           0.5\r\ndy           1\r\n"
                              "NODATA_value -9999\r\n",
                              5}),
    [](const ::testing::TestParamInfo<AscCase>& p) { return std::string(p.param.name); });

TEST_F(GridFormats, AscRowsGoNorthToSouth) {
    const std::string out = scratch_.File("n.asc");
    RunTool(Args({"-o", out}));
    const std::string bytes = ReadFile(out);
    EXPECT_EQ(bytes.substr(bytes.size() - std::string(kAscRows).size()), kAscRows);
}

// The float32 held big-endian at `offset` of `bytes`.
float BigEndianFloat(const std::string& bytes, std::size_t offset) {
    std::uint32_t bits = 0;
    for (std::size_t k = 0; k < 4; ++k)
        bits = bits << 8 | static_cast<unsigned char>(bytes[offset + k]);
    return std::bit_cast<float>(bits);
}

void ExpectProjFindsTheNodes(const std::string& path);

TEST_F(GridFormats, GtxHoldsRowsSouthToNorthAsProjReadsThem) {
    const std::string out = scratch_.File("n.gtx");
    const CliRun run = RunTool(Args({"-o", out}));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "egm2008: 1 node could not be computed and was written as -88.8888.\n");
    const std::string bytes = ReadFile(out);
    ASSERT_EQ(bytes.size(), 40u + 6 * 4);
    // 30 N, 6 E: the last row of the file, its middle column.
    EXPECT_EQ(BigEndianFloat(bytes, 40 + 4 * 4), -88.8888f);
    EXPECT_EQ(BigEndianFloat(bytes, 40), 66.030f);

    ExpectProjFindsTheNodes(out);
}

// PROJ's vgridshift, given the gridmaker's file as its grid, at the computed
// nodes of the GridFormats lattice (30 N, 6 E is missing): each node's N.
void ExpectProjFindsTheNodes(const std::string& path) {
    if (!ToolOnPath("cct")) GTEST_SKIP() << "proj-bin is not installed";
    const std::optional<std::string> shifted =
        ToolOutput("cct -d 4 +proj=vgridshift +grids='" + path + "' +multiplier=1",
                   "5 30 0\n7 30 0\n5 29 0\n6 29 0\n7 29 0\n");
    ASSERT_TRUE(shifted);
    std::istringstream lines(*shifted);
    for (const double expected : {60.030, 60.042, 66.030, 66.036, 66.042}) {
        double longitude = 0, latitude = 0, height = 0;
        lines >> longitude >> latitude >> height;
        std::string rest;
        std::getline(lines, rest);
        // vgridshift adds multiplier times the grid's value: a height of 0 becomes N.
        EXPECT_NEAR(height, expected, 1e-4) << longitude << ' ' << latitude << " in " << *shifted;
    }
}

// Fault pinned: PROJ refused the GeoTIFF as a grid (its band was not described
// as geoid_undulation), and GDAL took N for an EGM2008 height.
TEST_F(GridFormats, GeotiffIsAGeoidModelForProj) {
    const std::string out = scratch_.File("n.tif");
    EXPECT_EQ(RunTool(Args({"-o", out})).status, 1);
    ExpectProjFindsTheNodes(out);
}

// Fault pinned: the nodes a stopped GTX run never reached read as 0 m.
TEST_F(GridFormats, GtxStoppedAtANodeMarksWhatItDidNotReach) {
    // The bi-quadratic window of 30 N, 6 E holds -2000 m and refuses: the run stops there.
    WriteGrid(grid_, kShape10, false, [](std::int64_t r, std::int64_t c) {
        return r == 360 && c == 36 ? -2000.0f : 10.0f;
    });
    const std::string out = scratch_.File("n.gtx");
    const CliRun run = RunTool(Args({"-o", out}, "60", "biquadratic"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is incomplete!"), std::string::npos) << run.err;
    const std::string bytes = ReadFile(out);
    ASSERT_EQ(bytes.size(), 40u + 6 * 4);
    for (std::size_t place = 0; place < 6; ++place) {
        const float value = BigEndianFloat(bytes, 40 + 4 * place);
        // Place 3 is 30 N, 5 E, the one node written before the stop.
        EXPECT_EQ(value == -88.8888f, place != 3) << place << ": " << value;
    }
}

// What GDAL's Python bindings print for `script` run with `path` as sys.argv[1]
// (the system's python3: the one on PATH may lack them); nothing when they fail.
std::optional<std::string> GdalPython(const std::string& script, const std::string& path) {
    return ToolOutput("/usr/bin/python3 -c 'import sys\nfrom osgeo import gdal\n" + script + "' '" +
                      path + "'");
}

bool GdalPythonInstalled() { return GdalPython("", "").has_value(); }

// A GeoTIFF and a GTX of one lattice on the real 10' grid, 45 N to 47 N at 15',
// 5 E to 8 E at 20': 9 rows of 10 nodes.
class GridGeotiff : public ::testing::Test {
protected:
    static CliRun Write(const std::string& grid, const std::string& out) {
        return RunTool({"grid", "--lat", "47", "45", "--lon", "5", "8", "--step-lat", "15",
                        "--step-lon", "20", "--method", "bilinear", "--grid", grid, "-o", out});
    }
    ScratchFolder scratch_;
    std::string tif_ = scratch_.File("n.tif");
};

TEST_F(GridGeotiff, GdalReadsTheLatticeItsAreaAndItsGeoidModelItems) {
    REAL_GRID_OR_SKIP(grid, kInternalGridName);
    const CliRun run = Write(grid, tif_);
    ASSERT_EQ(run.status, 0) << run.err;
    if (!ToolOnPath("gdalinfo")) GTEST_SKIP() << "gdal-bin is not installed";
    const std::optional<std::string> info = ToolOutput("gdalinfo -json '" + tif_ + "'");
    ASSERT_TRUE(info);
    EXPECT_EQ(JsonNumbers(*info, "size"), (std::vector<double>{10, 9}));
    // Pixel is point: the extent reaches half a step beyond the outer nodes.
    const std::vector<double> transform = JsonNumbers(*info, "geoTransform");
    ASSERT_EQ(transform.size(), 6u) << *info;
    const std::vector<double> expected = {5 - 1.0 / 6, 1.0 / 3, 0, 47.125, 0, -0.25};
    for (std::size_t k = 0; k < 6; ++k) EXPECT_DOUBLE_EQ(transform[k], expected[k]) << k;
    // PROJ's items of a geoid model, then the run's own.
    for (const char* item :
         {"\"AREA_OR_POINT\":\"Point\"", "\"noDataValue\":-9999.0", "\"unit\":\"metre\"",
          "\"proj:epsg\":4326", "\"TYPE\":\"VERTICAL_OFFSET_GEOGRAPHIC_TO_VERTICAL\"",
          "\"target_crs_epsg_code\":\"3855\"", "\"description\":\"geoid_undulation\"",
          "\"area_of_use\":\"latitude 45 to 47, longitude 5 to 8 (degrees)\"",
          "\"EGM2008_METHOD\":\"Bi-Linear\"",
          "\"EGM2008_GRID\":\"Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE\"",
          "\"EGM2008_SPACING\":\"15 x 20 arc minutes (latitude x longitude)\""}) {
        EXPECT_NE(info->find(item), std::string::npos) << item << " in " << *info;
    }
    // N is no height: even asked for one, GDAL finds no vertical system.
    const std::optional<std::string> compound =
        ToolOutput("gdalinfo --config GTIFF_REPORT_COMPD_CS YES '" + tif_ + "'");
    ASSERT_TRUE(compound);
    EXPECT_EQ(compound->find("VERTCRS"), std::string::npos) << *compound;
}

TEST_F(GridGeotiff, ValuesAreTheBitsTheGtxHolds) {
    REAL_GRID_OR_SKIP(grid, kInternalGridName);
    const std::string gtx = scratch_.File("n.gtx");
    ASSERT_EQ(Write(grid, tif_).status, 0);
    ASSERT_EQ(Write(grid, gtx).status, 0);
    if (!GdalPythonInstalled()) GTEST_SKIP() << "python3-gdal is not installed";
    const std::optional<std::string> bits = GdalPython(
        "for row in gdal.Open(sys.argv[1]).ReadAsArray().view(\"uint32\"):\n"
        "    print(\" \".join(\"%08x\" % v for v in row))",
        tif_);
    ASSERT_TRUE(bits);
    const std::string bytes = ReadFile(gtx);
    std::istringstream rows(*bits);
    for (std::size_t row = 0; row < 9; ++row) {
        for (std::size_t column = 0; column < 10; ++column) {
            std::string word;
            rows >> word;
            // The GTX holds the rows south to north.
            const float value = BigEndianFloat(bytes, 40 + 4 * ((8 - row) * 10 + column));
            EXPECT_EQ(std::strtoul(word.c_str(), nullptr, 16), std::bit_cast<std::uint32_t>(value))
                << row << ' ' << column;
        }
    }
}

TEST_F(GridFormats, GeotiffNodesArePointsAndAFailedNodeIsNoData) {
    const std::string out = scratch_.File("n.tif");
    const CliRun run = RunTool(Args({"-o", out}));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "egm2008: 1 node could not be computed and was written as NoData.\n");
    if (!ToolOnPath("gdallocationinfo")) GTEST_SKIP() << "gdal-bin is not installed";
    for (int row = 0; row < 2; ++row) {
        for (const int longitude : {5, 6, 7}) {
            // GDAL's value at the node's position, against the grid's node value.
            std::ostringstream where;
            where << "gdallocationinfo -valonly -wgs84 '" << out << "' " << longitude << ' '
                  << 30 - row;
            const std::optional<std::string> value = ToolOutput(where.str());
            ASSERT_TRUE(value);
            const bool failed = row == 0 && longitude == 6;
            // The node value of the grid written by SetUp.
            const float node =
                static_cast<float>(60 + 6 * row) + static_cast<float>(6 * longitude) / 1000;
            const float expected = failed ? -9999.0f : node;
            EXPECT_EQ(std::strtof(value->c_str(), nullptr), expected) << where.str();
        }
    }
}

// Fault pinned: the rows a stopped run never reached, down to the tiles it
// never began, must read as NoData, not as 0 m.
TEST_F(GridFormats, GeotiffStoppedAtANodeIsNoDataFromThere) {
    // The bi-quadratic window of 30 N, 6 E holds -2000 m and refuses: the run stops there.
    WriteGrid(grid_, kShape10, false, [](std::int64_t r, std::int64_t c) {
        return r == 360 && c == 36 ? -2000.0f : 10.0f;
    });
    const std::string out = scratch_.File("n.tif");
    // 35 N to 20 S at 10': 331 rows, two rows of tiles; the stop is in row 29
    // (30 deg 10' N, whose window reaches 30 N), in the first.
    const CliRun run = RunTool({"grid", "--lat", "35", "-20", "--lon", "5", "7", "--step-lat", "10",
                                "--step-lon", "60", "--grid", grid_, "-o", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is incomplete!"), std::string::npos) << run.err;
    if (!GdalPythonInstalled()) GTEST_SKIP() << "python3-gdal is not installed";
    const std::optional<std::string> counts = GdalPython(
        "n = gdal.Open(sys.argv[1]).ReadAsArray()\n"
        "print(n.shape, (n[:29] == 10).sum(), (n[29:] == -9999).sum())",
        out);
    ASSERT_TRUE(counts);
    // The raster gets whole rows: the 29 before the stop.
    EXPECT_EQ(*counts, "(331, 3) 87 906\n");
}

// What PIL reads from a PNG: its size, then the colour of each of `points`.
struct PilPicture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
};

// Debian's interpreter: the one with python3-pil (python3 on PATH may be another).
constexpr const char* kPython = "/usr/bin/python3";

std::optional<PilPicture> ReadWithPil(const std::string& path,
                                      const std::vector<std::pair<int, int>>& points) {
    std::string script =
        "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1]).convert('RGB')\n"
        "print(*im.size)\nfor x, y in [";
    for (const auto& [x, y] : points)
        script += "(" + std::to_string(x) + "," + std::to_string(y) + "),";
    script += "]:\n    print(*im.getpixel((x, y)))\n";
    const std::optional<std::string> out =
        ToolOutput(std::string(kPython) + " - '" + path + "'", script);
    if (!out) return std::nullopt;
    std::istringstream numbers(*out);
    PilPicture picture;
    numbers >> picture.width >> picture.height;
    for (std::size_t k = 0; k < points.size(); ++k) {
        int r = 0, g = 0, b = 0;
        numbers >> r >> g >> b;
        picture.pixels.push_back({static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                  static_cast<std::uint8_t>(b)});
    }
    if (!numbers) return std::nullopt;
    return picture;
}

bool HavePil() { return ToolOutput(std::string(kPython) + " -c 'import PIL'").has_value(); }

struct PngSizeCase {
    const char* name;
    std::vector<std::string> args;    ///< --lat, --lon and the steps, --width
    double values[kGridmakerFields];  ///< the same as the title takes them
    int mapWidth;
    int mapHeight;
};

void PrintTo(const PngSizeCase& c, std::ostream* os) { *os << c.name; }

class GridPngSize : public GridFormats, public ::testing::WithParamInterface<PngSizeCase> {};

TEST_P(GridPngSize, MapHasAPixelANodeUpToItsLongSide) {
    if (!HavePil()) GTEST_SKIP() << "python3-pil is not installed";
    const PngSizeCase& c = GetParam();
    const std::string out = scratch_.File("n.png");
    std::vector<std::string> args = {"grid", "--method", "bilinear", "--grid", grid_, "-o", out};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun run = RunTool(args);
    ASSERT_EQ(run.status, 1) << run.err;  // the implausible node lies in every lattice
    EXPECT_NE(run.err.find("drawn as missing."), std::string::npos) << run.err;
    const MapLayout layout =
        LayoutMap(c.mapWidth, c.mapHeight,
                  ColourMapTitle(c.values, GeoidGrid{}, InterpolationMethod::BiLinear));
    const std::optional<PilPicture> picture = ReadWithPil(out, {});
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, layout.width);
    EXPECT_EQ(picture->height, layout.height);
}

INSTANTIATE_TEST_SUITE_P(
    Lattices, GridPngSize,
    ::testing::Values(PngSizeCase{"NodePerPixel",
                                  {"--lat", "0", "30", "--lon", "0", "60", "--step-lat", "60",
                                   "--step-lon", "30"},
                                  {0, 0, 30, 60, 60, 30},
                                  121,
                                  31},
                      PngSizeCase{"WidthOption",
                                  {"--lat", "-90", "90", "--lon", "-180", "180", "--step-lat", "60",
                                   "--step-lon", "60", "--width", "100"},
                                  {-90, -180, 90, 180, 60, 60},
                                  100,
                                  50},
                      // 4321 columns of two rows: the long side is cut to 4096 pixels.
                      PngSizeCase{"LongSideLimit",
                                  {"--lat", "29", "30", "--lon", "0", "360", "--step-lat", "60",
                                   "--step-lon", "5"},
                                  {29, 0, 30, 360, 60, 5},
                                  4096,
                                  2}),
    [](const ::testing::TestParamInfo<PngSizeCase>& p) { return std::string(p.param.name); });

// The colour bar's ends and middle, the missing node and the node of 60.030 m
// in the picture of the fixture's lattice, drawn with the options given.
class GridPngColours : public GridFormats {
protected:
    std::vector<Rgb> Colours(const std::vector<std::string>& options) {
        std::vector<std::string> tail = options;
        tail.insert(tail.end(), {"--no-coast", "-o", out_});
        EXPECT_EQ(RunTool(Args(tail)).status, 1);
        const double values[kGridmakerFields] = {29, 7, 30, 5, 60, 60};
        const MapLayout l = LayoutMap(
            3, 2, ColourMapTitle(values, GeoidGrid{}, InterpolationMethod::BiLinear));
        const int barMiddle = l.barY + l.barHeight / 2;
        const std::optional<PilPicture> picture =
            ReadWithPil(out_, {{l.barX, barMiddle},
                               {l.barX + l.barWidth / 2, barMiddle},
                               {l.barX + l.barWidth - 1, barMiddle},
                               {l.mapX + 1, l.mapY},  // 30 N, 6 E: not computed
                               {l.mapX, l.mapY}});    // 30 N, 5 E: 60.030 m
        EXPECT_TRUE(picture);
        return picture ? picture->pixels : std::vector<Rgb>(5);
    }
    // The legend FitColourLegend gives the lattice's N, 60.030 to 66.042 m.
    static ColourLegend LatticeLegend(ColourFit fit) {
        ValueRange range;
        range.Add(60.030f);
        range.Add(66.042f);
        return FitColourLegend(range, fit);
    }
    std::string out_ = scratch_.File("n.png");
};

TEST_F(GridPngColours, ByDefaultTheScaleIsFittedToTheLattice) {
    if (!HavePil()) GTEST_SKIP() << "python3-pil is not installed";
    const std::vector<Rgb> p = Colours({});
    // The bar's end pixels hold values half a pixel inside its ends.
    const auto near = [](Rgb a, Rgb b) {
        return std::abs(a.r - b.r) <= 3 && std::abs(a.g - b.g) <= 3 && std::abs(a.b - b.b) <= 3;
    };
    EXPECT_TRUE(near(p[0], Sequential(0.0)));
    EXPECT_TRUE(near(p[2], Sequential(1.0)));
    EXPECT_EQ(p[3], kMissingColour);
    // 60 to 68 m in steps of 2: the least N lies near the lower end.
    EXPECT_EQ(p[4], ColourScale(LatticeLegend(ColourFit::Fitted))(60.030f));
    EXPECT_DOUBLE_EQ(LatticeLegend(ColourFit::Fitted).ticks.lower, 60.0);
}

TEST_F(GridPngColours, SymmetricRunsBlueGreyRedAboutZero) {
    if (!HavePil()) GTEST_SKIP() << "python3-pil is not installed";
    const std::vector<Rgb> p = Colours({"--symmetric"});
    EXPECT_GT(p[0].b, p[0].r + 100);
    for (const std::uint8_t c : {p[1].r, p[1].g, p[1].b}) EXPECT_NEAR(c, 221, 6);
    EXPECT_GT(p[2].r, p[2].b + 100);
    EXPECT_EQ(p[3], kMissingColour);
    // The largest N, 66.042 m, gives a bar from -80 to 80 m in steps of 20.
    EXPECT_DOUBLE_EQ(LatticeLegend(ColourFit::Symmetric).ticks.upper, 80.0);
    EXPECT_EQ(p[4], ColourScale(LatticeLegend(ColourFit::Symmetric))(60.030f));
}

// The option pinned: --no-coast; and missing coastline files leave the
// picture as --no-coast draws it, said once.
TEST_F(GridFormats, CoastlinesAreDrawnUnlessNoCoastOrTheirFilesAreMissing) {
    // Great Britain a degree a pixel: its coast crosses the map, read from the crude file.
    const auto run = [this](const std::string& name, const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"grid", "--lat",  "49",         "61", "--lon",
                                         "-11",  "2",      "--step-lat", "60", "--step-lon",
                                         "60",   "--grid", grid_,        "-o", scratch_.File(name)};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunTool(args);
    };
    const CliRun plain = run("plain.png", {"--no-coast"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.err, "");
    {
        const std::string folder = scratch_.File("no-such-folder");
        const EnvironmentVariable coastlines("EGM2008_COASTLINES", folder);
        const CliRun missing = run("missing.png", {});
        EXPECT_EQ(missing.status, 0);
        EXPECT_EQ(missing.err,
                  "egm2008: No coastlines: " + folder +
                      "/binned_GSHHS_c.nc is missing (Debian package gmt-gshhg-low).\n");
    }
    EXPECT_EQ(ReadFile(scratch_.File("missing.png")), ReadFile(scratch_.File("plain.png")));
    if (!std::filesystem::exists(CoastlineFile(CoastResolution::Crude, CoastlineFolder())))
        GTEST_SKIP() << "Debian's gmt-gshhg-low is not installed";
    const CliRun drawn = run("drawn.png", {});
    EXPECT_EQ(drawn.status, 0);
    EXPECT_EQ(drawn.err, "");
    EXPECT_NE(ReadFile(scratch_.File("drawn.png")), ReadFile(scratch_.File("plain.png")));
}

}  // namespace
}  // namespace egm2008::cli::test
