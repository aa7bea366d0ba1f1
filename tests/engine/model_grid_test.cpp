// The EGM96 and EGM84 files the set-up installs (grids/egm96.grd, grids/wwgrid.bin):
// their nodes as the files hold them, decoded here without the engine; EGM96
// bi-linear against PROJ's own copy of EGM96 (proj-data's egm96_15.gtx through
// cct); EGM84 at 10 degrees against geotranz's coarse egm84.grd; the files found
// by model, refused when damaged, and a missing one reported, never replaced.
#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/grid_choice.hpp"
#include "engine/grid_probe.hpp"
#include "engine/known_grids.hpp"
#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tests/engine/test_grids.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/process_state.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008::engine {
namespace {

// The installed file of an older model; "" when the set-up has not made it.
std::string ModelPath(GeoidModel model) {
    const std::string path = test::RealGridPath(ModelFileOf(model)->fileName);
    return std::filesystem::is_regular_file(path) ? path : std::string();
}

#define REQUIRE_MODEL(path, model)                                                          \
    const std::string path = ModelPath(model);                                              \
    if ((path).empty())                                                                     \
    GTEST_SKIP() << ModelFileOf(model)->fileName << " is missing from " << EGM2008_GRID_DIR \
                 << "; run scripts/setup-grids.sh to make it"

// Node (r, c) of an older model's file as its bytes say: big-endian binary32 after the
// header, or binary64, rows of `values` from 90 N.
double FileNode(const std::string& bytes, const ModelFile& file, std::int64_t r, std::int64_t c) {
    const std::size_t at = file.headerBytes + (r * file.values + c) * file.valueBytes;
    std::uint64_t word = 0;
    for (int k = 0; k < file.valueBytes; ++k) {
        word = (word << 8) | static_cast<unsigned char>(bytes.at(at + k));
    }
    if (file.valueBytes == 8) return std::bit_cast<double>(word);
    return std::bit_cast<float>(static_cast<std::uint32_t>(word));
}

float Query(const GeoidGrid& grid, MappedGrid& mapped, InterpolationMethod method, double latitude,
            double longitude) {
    float n = -9999.0f;
    EXPECT_EQ(ComputeUndulation(grid, method, latitude, longitude, n, mapped),
              QueryStatus::StatusOk)
        << latitude << " " << longitude;
    return n;
}

class ModelFileTest : public testing::TestWithParam<GeoidModel> {};

TEST_P(ModelFileTest, NodesAreTheFilesValuesOnEveryRowAndAcrossTheSeam) {
    REQUIRE_MODEL(path, GetParam());
    const ModelFile& file = *ModelFileOf(GetParam());
    const std::string bytes = test::ReadFile(path);
    const GeoidGrid grid = GridOfModel(path, GetParam());
    test::RecordingNotifier notifier;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(grid, notifier), QueryStatus::StatusOk);
    std::mt19937 random(96);
    for (std::int64_t r = 0; r < file.rows; ++r) {
        for (const std::int64_t c : {std::int64_t{0}, std::int64_t{file.values - 2},
                                     std::int64_t(random() % (file.values - 1))}) {
            const double latitude = 90.0 - static_cast<double>(r) * file.spacing;
            const double longitude = static_cast<double>(c) * file.spacing;
            const auto expected = static_cast<float>(FileNode(bytes, file, r, c));
            EXPECT_EQ(
                Query(grid, mapped, InterpolationMethod::NearestNeighbour, latitude, longitude),
                expected)
                << "row " << r << " column " << c;
        }
    }
    // 360 is stored again at the end of each row: the seam's node equals longitude 0's.
    EXPECT_EQ(FileNode(bytes, file, 100, 0), FileNode(bytes, file, 100, file.values - 1));
    EXPECT_EQ(Query(grid, mapped, InterpolationMethod::BiLinear, 10.0, 360.0),
              Query(grid, mapped, InterpolationMethod::BiLinear, 10.0, 0.0));
}

INSTANTIATE_TEST_SUITE_P(Models, ModelFileTest,
                         testing::Values(GeoidModel::Egm96, GeoidModel::Egm84),
                         [](const auto& param) { return std::string(ModelName(param.param)); });

// PROJ's bi-linear EGM96 (cct, vgridshift on proj-data's egm96_15.gtx) at `points`
// (latitude, longitude); empty when cct or the grid is missing.
std::vector<double> ProjEgm96(const std::vector<std::pair<double, double>>& points,
                              const test::ScratchFolder& dir) {
    if (!std::filesystem::exists("/usr/share/proj/egm96_15.gtx") ||
        std::system("cct --version >/dev/null 2>&1") != 0) {
        return {};
    }
    std::ostringstream input;
    input.precision(17);
    for (const auto& [latitude, longitude] : points)
        input << longitude << " " << latitude << " 0 0\n";
    test::WriteFile(dir.File("in"), input.str());
    const std::string command =
        "cct -d 9 +proj=vgridshift +grids=egm96_15.gtx +multiplier=1 < " + dir.File("in");
    std::vector<double> heights;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        double x = 0, y = 0, z = 0, t = 0;
        while (std::fscanf(pipe, "%lf %lf %lf %lf", &x, &y, &z, &t) == 4) heights.push_back(z);
        ::pclose(pipe);
    }
    return heights;
}

TEST(Egm96AgainstProj, BiLinearWithinAMillimetreIncludingTheSeamAndThePoles) {
    REQUIRE_MODEL(path, GeoidModel::Egm96);
    std::vector<std::pair<double, double>> points = {
        {28.5, 94.5},    {32.5, 76.75},    {0.0, 0.0},    {0.1, 359.99},  {-0.1, -0.01},
        {45.3, 179.99},  {-45.3, -179.99}, {89.9, 12.3},  {-89.9, 200.1}, {89.99, -100.0},
        {-89.99, 0.001}, {52.52, 13.4},    {-33.3, -70.7}};
    std::mt19937 random(1996);
    std::uniform_real_distribution<double> latitude(-89.95, 89.95), longitude(-180.0, 180.0);
    while (points.size() < 300) points.emplace_back(latitude(random), longitude(random));
    const test::ScratchFolder dir;
    const std::vector<double> proj = ProjEgm96(points, dir);
    if (proj.empty()) GTEST_SKIP() << "cct or /usr/share/proj/egm96_15.gtx is missing";
    ASSERT_EQ(proj.size(), points.size());
    const GeoidGrid grid = GridOfModel(path, GeoidModel::Egm96);
    test::RecordingNotifier notifier;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(grid, notifier), QueryStatus::StatusOk);
    for (std::size_t k = 0; k < points.size(); ++k) {
        const auto [lat, lon] = points[k];
        EXPECT_NEAR(Query(grid, mapped, InterpolationMethod::BiLinear, lat, lon), proj[k], 1e-3)
            << lat << " " << lon;
    }
}

TEST(Egm84AgainstCoarseTable, TenDegreeNodesAreGeotranzsEgm84Grd) {
    REQUIRE_MODEL(path, GeoidModel::Egm84);
    // geotranz's egm84.grd: 19 x 37 big-endian binary32 at 10 degrees, from 90 N and 0 E.
    const std::string deb = std::string(std::getenv("HOME") ? std::getenv("HOME") : "") +
                            "/.cache/egm2008/" + kGeotranzPackage.fileName;
    const test::ScratchFolder dir;
    const std::string coarse = dir.File("egm84.grd");
    const std::string command = "dpkg-deb --fsys-tarfile '" + deb +
                                "' 2>/dev/null | tar -xO ./usr/share/geotranz/data/egm84.grd > '" +
                                coarse + "' 2>/dev/null";
    if (!std::filesystem::exists(deb) || std::system(command.c_str()) != 0) {
        GTEST_SKIP() << "no geotranz package file at " << deb;
    }
    const std::string bytes = test::ReadFile(coarse);
    ASSERT_EQ(bytes.size(), 19u * 37u * 4u);
    const ModelFile table{GeoidModel::Egm84, "egm84.grd", "10 deg", 10.0, 19, 37, 0, 4};
    const GeoidGrid grid = GridOfModel(path, GeoidModel::Egm84);
    test::RecordingNotifier notifier;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(grid, notifier), QueryStatus::StatusOk);
    for (int r = 0; r < 19; ++r) {
        for (int c = 0; c < 36; ++c) {
            EXPECT_EQ(
                Query(grid, mapped, InterpolationMethod::NearestNeighbour, 90.0 - 10 * r, 10.0 * c),
                static_cast<float>(FileNode(bytes, table, r, c)))
                << r << " " << c;
        }
    }
}

// --- the choice of an older model's file -----------------------------------------

enum class Damage { Truncated, Grown, Header, None };

struct ChoiceCase {
    const char* name;
    GeoidModel model;
    Damage damage;
    const char* reasonStart;  ///< "" when the file is chosen
};
void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class ModelChoiceTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(ModelChoiceTest, TheFileIsFoundByModelAndRefusedWhenDamaged) {
    const ChoiceCase& c = GetParam();
    REQUIRE_MODEL(installed, c.model);
    const test::ScratchFolder dir;
    const std::string path = dir.File(ModelFileOf(c.model)->fileName);
    std::string bytes = test::ReadFile(installed);
    if (c.damage == Damage::Truncated) bytes.resize(bytes.size() - 1000);
    if (c.damage == Damage::Grown) bytes += "0000";
    if (c.damage == Damage::Header) bytes[21] = '\x00';  // the longitude spacing
    test::WriteFile(path, bytes);
    const test::EnvironmentVariable gridPath("EGM2008_GRID_PATH", dir.path());
    const test::EnvironmentVariable home("HOME", dir.File("home"));
    const test::EnvironmentVariable data("XDG_DATA_HOME", std::nullopt);
    for (const bool byPath : {false, true}) {
        GeoidGrid grid;
        GridChoiceNotes notes;
        GridRequest request{{}, {}, {}, c.model};
        if (byPath) request = GridRequest{path, {}, {}, {}};
        const bool chosen = ChooseGrid(request, grid, notes);
        const std::string start = c.reasonStart;
        if (start.empty()) {
            EXPECT_TRUE(chosen) << notes.reason;
            EXPECT_EQ(grid.model, c.model);
            EXPECT_EQ(grid.path, path);
        } else {
            EXPECT_FALSE(chosen);
            // Found by the model, a damaged file is passed over and the model's grid is missing;
            // given by its path, it is no grid (EGM84's has no header to tell it by).
            const std::string expected =
                byPath ? std::string("Geoidfile \"") + path : std::string(start);
            EXPECT_EQ(notes.reason.substr(0, expected.size()), expected) << notes.reason;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ModelChoiceTest,
    testing::Values(
        ChoiceCase{"Egm96Whole", GeoidModel::Egm96, Damage::None, ""},
        ChoiceCase{"Egm84Whole", GeoidModel::Egm84, Damage::None, ""},
        ChoiceCase{"Egm96Truncated", GeoidModel::Egm96, Damage::Truncated, "EGM96 grid not found"},
        ChoiceCase{"Egm96Grown", GeoidModel::Egm96, Damage::Grown, "EGM96 grid not found"},
        ChoiceCase{"Egm96Header", GeoidModel::Egm96, Damage::Header, "EGM96 grid not found"},
        ChoiceCase{"Egm84Truncated", GeoidModel::Egm84, Damage::Truncated, "EGM84 grid not found"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ModelChoice, AMissingModelIsReportedWithTheFoldersAndNeverReplacedByEgm2008) {
    const test::ScratchFolder dir;
    const test::EnvironmentVariable gridPath("EGM2008_GRID_PATH", dir.path());
    const test::EnvironmentVariable home("HOME", dir.File("home"));
    const test::EnvironmentVariable data("XDG_DATA_HOME", std::nullopt);
    for (const GeoidModel model : {GeoidModel::Egm96, GeoidModel::Egm84}) {
        GeoidGrid grid;
        grid.path = "untouched";
        std::string reason;
        EXPECT_FALSE(ChooseGrid(GridRequest{{}, {}, {}, model}, grid, reason));
        EXPECT_EQ(grid.path, "untouched");
        const std::string key = ModelKey(model);
        EXPECT_EQ(reason,
                  std::string(ModelName(model)) + " grid not found: run `egm2008 grids install " +
                      key + "` (\"" + ModelFileOf(model)->fileName + "\" is in none of " +
                      dir.path() + ", " + dir.File("home") +
                      "/.local/share/egm2008, /usr/local/share/egm2008, /usr/share/egm2008).");
    }
    // An EGM2008 grid name or a size goes with EGM2008 only.
    std::string reason;
    GeoidGrid grid;
    EXPECT_FALSE(ChooseGrid(GridRequest{"2.5", {}, {}, GeoidModel::Egm96}, grid, reason));
    EXPECT_EQ(reason, ModelTakesNoSizeMessage(GeoidModel::Egm96));
}

TEST(ModelChoice, AnEgm2008GridIsNotTakenForAnOlderModelNorTheReverse) {
    REQUIRE_MODEL(egm96, GeoidModel::Egm96);
    const std::string egm2008 = test::RealGridPath();
    GeoidGrid grid;
    std::string reason;
    EXPECT_FALSE(ChooseGrid(GridRequest{egm2008, {}, {}, GeoidModel::Egm96}, grid, reason));
    EXPECT_EQ(reason, ModelMismatchMessage(egm2008, GeoidModel::Egm2008, GeoidModel::Egm96));
    EXPECT_FALSE(ChooseGrid(GridRequest{egm96, {}, {}, GeoidModel::Egm2008}, grid, reason));
    EXPECT_EQ(reason, ModelMismatchMessage(egm96, GeoidModel::Egm96, GeoidModel::Egm2008));
    EXPECT_EQ(JudgeGridFile(egm96).model, GeoidModel::Egm96);
    EXPECT_EQ(JudgeGridFile(egm96).problem, "");
}

}  // namespace
}  // namespace egm2008::engine
