// The public library: a grid recognised from its file, or refused with the very
// message the command line prints; the engine's bits through the single and the
// batch call; the batch's size check; the height conversions; many threads on one
// Geoid.
//
// The public header comes first, before the test support's engine headers: the
// engine's names (egm2008::engine) never clash with the public ones (egm2008::v1).
#include "egm2008/geoid.hpp"

#include "tests/cli/cli_test_support.hpp"
#include "tests/support/process_state.hpp"
#include "tests/support/recording_notifier.hpp"
#include "tests/support/reference_sample.hpp"
#include "engine/grid_choice.hpp"
#include "engine/query_routines.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <functional>
#include <iterator>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace api = egm2008::v1;
using egm2008::cli::test::RunTool;
using egm2008::test::ScratchFolder;

constexpr float kNodeValue = 30.5f;

std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

// The public method of a reference row's method number.
constexpr api::Method kMethods[] = {api::Method::BiQuadratic, api::Method::BiLinear,
                                    api::Method::Triangulation, api::Method::Nearest};
constexpr api::QueryStatus kStatuses[] = {api::QueryStatus::Ok, api::QueryStatus::Outside,
                                          api::QueryStatus::Error};

// --- opening ------------------------------------------------------------------------

struct RecognisedCase {
    const char* name;
    bool bigEndian;
};

void PrintTo(const RecognisedCase& c, std::ostream* os) { *os << c.name; }

class RecognisedTest : public testing::TestWithParam<RecognisedCase> {};

TEST_P(RecognisedTest, SizeAndByteOrderComeFromTheFile) {
    ScratchFolder dir;
    const std::string path = dir.File("grid");
    egm2008::test::WriteConstantGrid(path, kNodeValue, GetParam().bigEndian);
    const api::Geoid geoid = api::Geoid::open(path);
    EXPECT_EQ(geoid.info().path, path);
    EXPECT_EQ(geoid.info().size, api::GridSize::Grid10x10);
    EXPECT_EQ(geoid.info().byteOrder,
              GetParam().bigEndian ? api::ByteOrder::Big : api::ByteOrder::Little);
    const api::Result n = geoid.undulation(47.5, -122.25);
    EXPECT_EQ(n.status, api::QueryStatus::Ok);
    EXPECT_EQ(n.metres, kNodeValue);
}

INSTANTIATE_TEST_SUITE_P(Orders, RecognisedTest,
                         testing::Values(RecognisedCase{"Little", false},
                                         RecognisedCase{"Big", true}),
                         [](const auto& p) { return std::string(p.param.name); });

// Grid names reach the engine's choice: found in $EGM2008_GRID_PATH.
TEST(NamedGridTest, NamesOpenTheGridsOfTheGridPath) {
    struct Case {
        const char* name;
        const char* file;
        api::GridSize size;
        api::ByteOrder order;
    };
    const Case cases[] = {
        {"10-be", "Und_min10x10_egm2008_isw=82_WGS84_TideFree", api::GridSize::Grid10x10,
         api::ByteOrder::Big},
        {"2.5", "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE", api::GridSize::Grid2_5x2_5,
         api::ByteOrder::Little},
    };
    const egm2008::test::EnvironmentVariable gridPath("EGM2008_GRID_PATH", EGM2008_GRID_DIR);
    for (const Case& c : cases) {
        const std::string path = egm2008::test::RealGridPath(c.file);
        if (!std::filesystem::is_regular_file(path)) GTEST_SKIP() << path << " is missing";
        const api::Geoid geoid = api::Geoid::open(c.name);
        EXPECT_EQ(geoid.info().path, path) << c.name;
        EXPECT_EQ(geoid.info().size, c.size) << c.name;
        EXPECT_EQ(geoid.info().byteOrder, c.order) << c.name;
    }
}

// A name passes over a file under its NGA name that is not its grid; when it finds none,
// the Error names the files passed over before the command line's refusal.
TEST(NamedGridTest, FileNotTheNamedGridIsPassedOver) {
    ScratchFolder dir;
    const std::string name = "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE";
    std::filesystem::create_directories(dir.File("a"));
    std::filesystem::create_directories(dir.File("b"));
    egm2008::test::WriteConstantGrid(dir.File("a/" + name), kNodeValue, true);
    const egm2008::test::EnvironmentVariable gridPath("EGM2008_GRID_PATH",
                                                      dir.File("a") + ":" + dir.File("b"));
    const egm2008::test::EnvironmentVariable home("HOME", dir.File("home"));
    const egm2008::test::EnvironmentVariable data("XDG_DATA_HOME", std::nullopt);
    if (std::filesystem::exists("/usr/local/share/egm2008/" + name) ||
        std::filesystem::exists("/usr/share/egm2008/" + name))
        GTEST_SKIP() << "a 10' little-endian grid is installed";
    try {
        api::Geoid::open("10-le");
        ADD_FAILURE() << "opened";
    } catch (const api::Error& error) {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Geoidfile \"" + dir.File("a/" + name) + "\" is passed over: ", 0), 0u)
            << text;
        EXPECT_NE(text.find(" byte order. No grid file named \"10-le\" in "), std::string::npos)
            << text;
        EXPECT_EQ(error.systemError(), 0);
    }
    egm2008::test::WriteConstantGrid(dir.File("b/" + name), kNodeValue, false);
    EXPECT_EQ(api::Geoid::open("10").info().path, dir.File("b/" + name));
}

// --- the older models ------------------------------------------------------------

// A node value that differs at every node, so a wrong row, column or value width shows.
float ModelNode(std::int32_t row, std::int32_t column) {
    return static_cast<float>(row) * 0.125f - static_cast<float>(column) * 0.0078125f + 3.0f;
}

struct ModelCase {
    const char* key;
    const char* file;
    egm2008::engine::GeoidModel engineModel;
    api::Model model;
    const char* title;
};

const ModelCase kModelCases[] = {
    {"egm96", "egm96.grd", egm2008::engine::GeoidModel::Egm96, api::Model::Egm96, "EGM96 15'"},
    {"egm84", "wwgrid.bin", egm2008::engine::GeoidModel::Egm84, api::Model::Egm84, "EGM84 30'"},
};

void PrintTo(const ModelCase& c, std::ostream* os) { *os << c.key; }

class ModelTest : public testing::TestWithParam<ModelCase> {};

// A model's key finds its file in the grid folders and a path to the file is recognised as
// the model's; either way N is the engine's, bit for bit, also across the seam and near a pole.
TEST_P(ModelTest, KeyAndPathOpenTheModelsFile) {
    const ModelCase& c = GetParam();
    ScratchFolder dir;
    const std::string path = dir.File(c.file);
    egm2008::test::WriteModelGrid(path, c.engineModel, ModelNode);
    const egm2008::test::EnvironmentVariable gridPath("EGM2008_GRID_PATH", dir.path());
    const egm2008::engine::GeoidGrid grid = egm2008::engine::GridOfModel(path, c.engineModel);
    for (const std::string& text : {std::string(c.key), path}) {
        const api::Geoid geoid = api::Geoid::open(text);
        EXPECT_EQ(geoid.info().path, path) << text;
        EXPECT_EQ(geoid.info().model, c.model) << text;
        EXPECT_EQ(geoid.info().title, c.title) << text;
        EXPECT_EQ(geoid.info().byteOrder, api::ByteOrder::Big) << text;
        const double points[][2] = {{47.3, -122.2}, {-33.9, 18.4}, {0.1, 359.9}, {89.9, 12.3}};
        for (const auto& point : points) {
            egm2008::test::RecordingNotifier notes;
            float expected = 0.0f;
            ASSERT_EQ(egm2008::engine::ComputeUndulation(
                          grid, egm2008::engine::InterpolationMethod::BiLinear, point[0], point[1],
                          expected, notes),
                      egm2008::engine::QueryStatus::StatusOk);
            const api::Result n = geoid.undulation(point[0], point[1]);
            EXPECT_EQ(n.status, api::QueryStatus::Ok);
            EXPECT_EQ(Bits(n.metres), Bits(expected)) << text << " at " << point[0];
        }
    }
}

// A model found in none of the grid folders is refused with the command line's message.
TEST_P(ModelTest, MissingModelTellsHowToInstallIt) {
    const ModelCase& c = GetParam();
    ScratchFolder dir;
    const egm2008::test::EnvironmentVariable gridPath("EGM2008_GRID_PATH", dir.path());
    const egm2008::test::EnvironmentVariable data("XDG_DATA_HOME", dir.path());
    for (const char* system : {"/usr/local/share/egm2008/", "/usr/share/egm2008/"}) {
        if (std::filesystem::exists(std::string(system) + c.file))
            GTEST_SKIP() << c.file << " is installed in " << system;
    }
    const auto run = RunTool({"point", "--model", c.key, "0", "0"});
    ASSERT_EQ(run.err.rfind("egm2008: ", 0), 0u) << run.err;
    const std::string told = run.err.substr(9, run.err.find('\n') - 9);
    EXPECT_NE(told.find("grid not found: run `egm2008 grids install " + std::string(c.key)),
              std::string::npos)
        << told;
    try {
        api::Geoid::open(c.key);
        ADD_FAILURE() << "opened";
    } catch (const api::Error& error) {
        EXPECT_EQ(std::string(error.what()), told);
    }
    // An older model's file is never of an EGM2008 size.
    egm2008::test::WriteModelGrid(dir.File(c.file), c.engineModel, ModelNode);
    EXPECT_THROW(api::Geoid::open(c.key, api::GridSize::Grid10x10, api::ByteOrder::Big),
                 api::Error);
}

INSTANTIATE_TEST_SUITE_P(Models, ModelTest, testing::ValuesIn(kModelCases),
                         [](const auto& p) { return std::string(p.param.key); });

// The real EGM96 file the set-up installs, found by its key, against NGA's published EGM96
// undulations of its test points (computed from the spherical harmonics): bi-linear on the
// 15' grid is held to 8 cm of them. A wrong row, column or byte order is metres off.
TEST(RealModelTest, Egm96KeyGivesNgasTestValues) {
    const std::string path = egm2008::test::RealGridPath("egm96.grd");
    if (!std::filesystem::is_regular_file(path)) GTEST_SKIP() << path << " is missing";
    const egm2008::test::EnvironmentVariable gridPath("EGM2008_GRID_PATH", EGM2008_GRID_DIR);
    const api::Geoid geoid = api::Geoid::open("egm96");
    EXPECT_EQ(geoid.info().path, path);
    EXPECT_EQ(geoid.info().title, "EGM96 15'");
    struct Point {
        double lat, lon, n;
    };
    const Point points[] = {
        {38.6281550, 269.7791550, -31.628}, {-14.6212170, 305.0211140, -2.969},
        {46.8743190, 102.4487290, -43.575}, {-23.6174460, 133.8747120, 15.871},
        {38.6254730, 359.9995000, 50.066},  {-0.4667440, 0.0023000, 17.329},
    };
    for (const Point& p : points) {
        const api::Result n = geoid.undulation(p.lat, p.lon);
        ASSERT_TRUE(n.ok()) << p.lat << " " << p.lon;
        EXPECT_NEAR(n.metres, p.n, 0.08) << p.lat << " " << p.lon;
    }
}

// "egm2008" opens the 10' grid of the grid folders; its info names the model.
TEST(ModelKeyTest, Egm2008IsTheTenMinuteGridOfTheGridFolders) {
    ScratchFolder dir;
    const std::string path = dir.File("Und_min10x10_egm2008_isw=82_WGS84_TideFree");
    egm2008::test::WriteConstantGrid(path, kNodeValue, true);
    const egm2008::test::EnvironmentVariable gridPath("EGM2008_GRID_PATH", dir.path());
    const api::Geoid geoid = api::Geoid::open("egm2008");
    EXPECT_EQ(geoid.info().path, path);
    EXPECT_EQ(geoid.info().model, api::Model::Egm2008);
    EXPECT_EQ(geoid.info().title, "EGM2008 10'");
    EXPECT_EQ(geoid.undulation(10.0, 20.0).metres, kNodeValue);
    // With a size and byte order, the grid of that name: a little-endian file found first is
    // passed over for the big-endian one asked for.
    ScratchFolder first;
    egm2008::test::WriteConstantGrid(first.File("Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE"),
                                     1.0f, false);
    const egm2008::test::EnvironmentVariable twoFolders("EGM2008_GRID_PATH",
                                                        first.path() + ":" + dir.path());
    EXPECT_EQ(api::Geoid::open("egm2008").info().byteOrder, api::ByteOrder::Little);
    const api::Geoid big =
        api::Geoid::open("egm2008", api::GridSize::Grid10x10, api::ByteOrder::Big);
    EXPECT_EQ(big.info().path, path);
    EXPECT_THROW(api::Geoid::open("egm2008", api::GridSize::Grid2_5x2_5, api::ByteOrder::Big),
                 api::Error);
}

// A 10' little-endian file whose bytes `damage` then changes.
struct RefusedCase {
    const char* name;
    void (*damage)(const std::string& path);
    std::optional<api::GridSize> size;  ///< asked for, with `order`
    api::ByteOrder order;
    std::vector<std::string> cliFlags;  ///< the same request on the command line
    int systemError = 0;                ///< Error::systemError()
};

void Sound(const std::string&) {}
void Missing(const std::string& path) { std::filesystem::remove(path); }
void Folder(const std::string& path) {
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
}
void Short(const std::string& path) { std::filesystem::resize_file(path, 4321); }
void FirstMarker(const std::string& path) { egm2008::test::PokeWord(path, 0, 12345, false); }
// The leading marker of row 540, the equator's row, which a query at 0, 0 reads.
void InnerMarker(const std::string& path) {
    egm2008::test::PokeWord(path, 2162LL * 540 * 4, 12345, false);
}

const RefusedCase kRefused[] = {
    {"Missing", Missing, std::nullopt, api::ByteOrder::Little, {}, ENOENT},
    {"Folder", Folder, std::nullopt, api::ByteOrder::Little, {}, EISDIR},
    {"NoGridLength", Short, std::nullopt, api::ByteOrder::Little, {}},
    {"FirstMarker", FirstMarker, std::nullopt, api::ByteOrder::Little, {}},
    {"InnerMarker", InnerMarker, std::nullopt, api::ByteOrder::Little, {}},
    {"OtherSize",
     Sound,
     api::GridSize::Grid2_5x2_5,
     api::ByteOrder::Little,
     {"--grid-size", "2.5", "--little-endian"}},
    {"OtherOrder",
     Sound,
     api::GridSize::Grid10x10,
     api::ByteOrder::Big,
     {"--grid-size", "10", "--big-endian"}},
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTest, ErrorTellsWhatTheCommandLineTells) {
    const RefusedCase& c = GetParam();
    ScratchFolder dir;
    const std::string path = dir.File("grid");
    egm2008::test::WriteZeroGrid(path, egm2008::test::kShape10, false);
    c.damage(path);

    std::vector<std::string> args = {"point", "--method", "bilinear", "--grid", path};
    args.insert(args.end(), c.cliFlags.begin(), c.cliFlags.end());
    args.insert(args.end(), {"0", "0"});
    const auto run = RunTool(args);
    ASSERT_EQ(run.err.rfind("egm2008: ", 0), 0u) << run.err;
    const std::string told = run.err.substr(9, run.err.find('\n') - 9);

    try {
        if (c.size) {
            api::Geoid::open(path, *c.size, c.order);
        } else {
            api::Geoid::open(path);
        }
        ADD_FAILURE() << "opened";
    } catch (const api::Error& error) {
        EXPECT_EQ(std::string(error.what()), told);
        EXPECT_EQ(error.systemError(), c.systemError);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedTest, testing::ValuesIn(kRefused),
                         [](const auto& p) { return std::string(p.param.name); });

// --- queries ------------------------------------------------------------------------

struct SampleCase {
    const char* csv;
    const char* grid;
    api::GridSize size;
    api::ByteOrder order;
};

void PrintTo(const SampleCase& c, std::ostream* os) { *os << c.csv; }

class ReferenceTest : public testing::TestWithParam<SampleCase> {};

// Status and bits of every row through undulation(), and the batch's NaN or bits.
TEST_P(ReferenceTest, SingleAndBatchGiveTheEnginesBits) {
    const SampleCase& c = GetParam();
    const std::string path = egm2008::test::RealGridPath(c.grid);
    if (!std::filesystem::is_regular_file(path)) GTEST_SKIP() << path << " is missing";
    const api::Geoid geoid = api::Geoid::open(path);
    EXPECT_EQ(geoid.info().size, c.size);
    EXPECT_EQ(geoid.info().byteOrder, c.order);

    const std::vector<egm2008::test::ReferenceRow> rows = egm2008::test::ReadReferenceSample(c.csv);
    ASSERT_EQ(rows.size(), 1600u);
    for (int method = 0; method < 4; ++method) {
        std::vector<double> lat;
        std::vector<double> lon;
        std::vector<std::uint32_t> expected;
        for (const auto& row : rows) {
            if (row.method != method) continue;
            const api::Result n = geoid.undulation(row.latitude, row.longitude, kMethods[method]);
            const bool ok = row.status == 0;
            EXPECT_EQ(n.status, kStatuses[row.status]) << row.latitude << " " << row.longitude;
            EXPECT_EQ(Bits(n.metres), ok ? row.bits : Bits(NAN)) << row.latitude;
            lat.push_back(row.latitude);
            lon.push_back(row.longitude);
            expected.push_back(ok ? row.bits : Bits(NAN));
        }
        std::vector<float> batch(lat.size(), -1.0f);
        geoid.undulations(lat, lon, batch, kMethods[method]);
        for (std::size_t k = 0; k < batch.size(); ++k) {
            EXPECT_EQ(Bits(batch[k]), expected[k]) << "method " << method << " row " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Grids, ReferenceTest,
    testing::Values(SampleCase{"engine_sample_10min_le.csv",
                               "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE",
                               api::GridSize::Grid10x10, api::ByteOrder::Little},
                    SampleCase{"engine_sample_2p5min_be.csv",
                               "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree",
                               api::GridSize::Grid2_5x2_5, api::ByteOrder::Big}),
    [](const auto& p) { return p.param.size == api::GridSize::Grid10x10 ? "Ten" : "TwoAndHalf"; });

class ConstantGridTest : public testing::Test {
protected:
    void SetUp() override {
        egm2008::test::WriteConstantGrid(dir_.File("grid"), kNodeValue, false);
        geoid_ = api::Geoid::open(dir_.File("grid"));
    }
    ScratchFolder dir_;
    std::optional<api::Geoid> geoid_;
};

// Out-of-range enumerators were once taken for the default (Method(42) as bi-linear), and a
// path was cut short at a null character.
TEST_F(ConstantGridTest, ArgumentsTheInterfaceCannotMeanAreRefused) {
    const std::string path = dir_.File("grid");
    const auto size = static_cast<api::GridSize>(7);
    const auto order = static_cast<api::ByteOrder>(2);
    const auto method = static_cast<api::Method>(42);
    std::vector<float> out(2, -1.0f);
    const std::vector<double> points = {1.0, 2.0};
    const std::function<void()> calls[] = {
        [&] { api::Geoid::open(path, size, api::ByteOrder::Little); },
        [&] { api::Geoid::open(path, api::GridSize::Grid10x10, order); },
        [&] { api::Geoid::open(path + std::string(1, '\0') + "x"); },
        [&] {
            api::Geoid::open(path + std::string(1, '\0'), api::GridSize::Grid10x10,
                             api::ByteOrder::Little);
        },
        [&] { (void)geoid_->undulation(1.0, 2.0, method); },
        [&] { (void)geoid_->undulation(1.0, 2.0, static_cast<api::Method>(-1)); },
        [&] { geoid_->undulations(points, points, out, method); },
        [&] { (void)geoid_->orthometric(100.0, 1.0, 2.0, method); },
        [&] { (void)geoid_->ellipsoidal(100.0, 1.0, 2.0, method); },
    };
    for (std::size_t k = 0; k < std::size(calls); ++k) {
        EXPECT_THROW(calls[k](), std::invalid_argument) << "call " << k;
    }
    EXPECT_EQ(out, std::vector<float>(2, -1.0f));
}

TEST_F(ConstantGridTest, BatchOfUnequalSizesThrowsAndWritesNothing) {
    const std::vector<double> two = {1.0, 2.0};
    const std::vector<double> three = {1.0, 2.0, 3.0};
    struct Sizes {
        const std::vector<double>& lat;
        const std::vector<double>& lon;
        std::size_t out;
    };
    for (const Sizes& s : {Sizes{two, three, 3}, Sizes{three, two, 3}, Sizes{three, three, 2}}) {
        std::vector<float> out(s.out, -1.0f);
        EXPECT_THROW(geoid_->undulations(s.lat, s.lon, out), std::invalid_argument);
        EXPECT_EQ(out, std::vector<float>(s.out, -1.0f));
    }
}

TEST_F(ConstantGridTest, HeightsAreConvertedByNOrBecomeNaN) {
    struct Case {
        double lat;
        double lon;
        double orthometric;  ///< of h = 100 m
        double ellipsoidal;  ///< of H = 100 m
    };
    const Case cases[] = {
        {45.0, 7.0, 69.5, 130.5}, {-45.0, -170.0, 69.5, 130.5}, {90.5, 7.0, NAN, NAN},  // outside
        {45.0, -400.0, NAN, NAN},  // still negative after the shift
        {NAN, 7.0, NAN, NAN},
    };
    for (const Case& c : cases) {
        for (const api::Method method : kMethods) {
            const double h = geoid_->orthometric(100.0, c.lat, c.lon, method);
            const double big = geoid_->ellipsoidal(100.0, c.lat, c.lon, method);
            if (std::isnan(c.orthometric)) {
                EXPECT_TRUE(std::isnan(h) && std::isnan(big)) << c.lat << " " << c.lon;
            } else {
                EXPECT_EQ(h, c.orthometric) << c.lat << " " << c.lon;
                EXPECT_EQ(big, c.ellipsoidal) << c.lat << " " << c.lon;
            }
        }
    }
}

// Many threads on one Geoid and on copies of it, the original gone: every thread
// gets the one-thread answers.
TEST(GeoidThreadsTest, ThreadsSharingOneGeoidGetTheSameAnswers) {
    const std::string path =
        egm2008::test::RealGridPath("Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE");
    if (!std::filesystem::is_regular_file(path)) GTEST_SKIP() << path << " is missing";
    std::optional<api::Geoid> geoid = api::Geoid::open(path);
    std::vector<double> lat;
    std::vector<double> lon;
    for (const auto& row : egm2008::test::ReadReferenceSample("engine_sample_10min_le.csv")) {
        lat.push_back(row.latitude);
        lon.push_back(row.longitude);
    }
    std::vector<float> expected(lat.size());
    geoid->undulations(lat, lon, expected);

    constexpr int kThreads = 8;
    const api::Geoid copy = *geoid;
    std::vector<std::vector<std::uint32_t>> got(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        const api::Geoid& mine = t % 2 ? copy : *geoid;
        threads.emplace_back([&mine, &lat, &lon, &bits = got[t]] {
            for (int round = 0; round < 50; ++round) {
                std::vector<float> out(lat.size());
                mine.undulations(lat, lon, out);
                for (std::size_t k = 0; k < lat.size(); ++k) {
                    const float single = mine.undulation(lat[k], lon[k]).metres;
                    bits.push_back(Bits(out[k]) == Bits(single) ? Bits(out[k]) : 0xdeadbeefu);
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    geoid.reset();
    for (int t = 0; t < kThreads; ++t) {
        for (std::size_t k = 0; k < got[t].size(); ++k) {
            ASSERT_EQ(got[t][k], Bits(expected[k % lat.size()])) << "thread " << t << " " << k;
        }
    }
    EXPECT_EQ(Bits(copy.undulation(lat[0], lon[0]).metres), Bits(expected[0]));
}

// --- tide systems ---------------------------------------------------------------------

struct TideCase {
    const char* name;
    api::TideSystem system;
    double lat;
    double correction;  // Ekman's, metres
};

void PrintTo(const TideCase& c, std::ostream* os) { *os << c.name; }

class TideSystemTest : public testing::TestWithParam<TideCase> {};

// N of a Geoid made for a system is the tide-free N plus the correction: rounded to
// float by undulation() and undulations(), in double by the height conversions.
TEST_P(TideSystemTest, AddsTheCorrectionToTheTideFreeN) {
    const TideCase& c = GetParam();
    ScratchFolder dir;
    const std::string path = dir.File("grid");
    egm2008::test::WriteConstantGrid(path, kNodeValue, false);
    const api::Geoid tideFree = api::Geoid::open(path);
    const api::Geoid geoid = tideFree.withTideSystem(c.system);
    EXPECT_EQ(geoid.tideSystem(), c.system);
    EXPECT_EQ(tideFree.tideSystem(), api::TideSystem::TideFree);
    EXPECT_NEAR(api::tideCorrection(c.system, c.lat), c.correction, 1e-12);

    const double expected = static_cast<double>(kNodeValue) + c.correction;
    const api::Result n = geoid.undulation(c.lat, 10.0);
    ASSERT_TRUE(n.ok());
    EXPECT_EQ(n.metres, static_cast<float>(static_cast<double>(kNodeValue) +
                                           api::tideCorrection(c.system, c.lat)));
    const double lat[] = {c.lat};
    const double lon[] = {10.0};
    float out[1] = {};
    geoid.undulations(lat, lon, out);
    EXPECT_EQ(Bits(out[0]), Bits(n.metres));
    EXPECT_NEAR(geoid.orthometric(100.0, c.lat, 10.0), 100.0 - expected, 1e-12);
    EXPECT_NEAR(geoid.ellipsoidal(100.0, c.lat, 10.0), 100.0 + expected, 1e-12);
    // The Geoid it was made from is untouched.
    EXPECT_EQ(tideFree.undulation(c.lat, 10.0).metres, kNodeValue);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, TideSystemTest,
    testing::Values(TideCase{"TideFree", api::TideSystem::TideFree, 0.0, 0.0},
                    TideCase{"MeanAtEquator", api::TideSystem::MeanTide, 0.0, 0.1287},
                    TideCase{"MeanAtSouthPole", api::TideSystem::MeanTide, -90.0, -0.2561},
                    TideCase{"ZeroAtNorthPole", api::TideSystem::ZeroTide, 90.0, -0.0591}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(TideSystemTest, AnotherValueIsRefused) {
    ScratchFolder dir;
    const std::string path = dir.File("grid");
    egm2008::test::WriteConstantGrid(path, kNodeValue, false);
    const api::Geoid geoid = api::Geoid::open(path);
    EXPECT_THROW((void)geoid.withTideSystem(static_cast<api::TideSystem>(7)),
                 std::invalid_argument);
    EXPECT_THROW((void)api::tideCorrection(static_cast<api::TideSystem>(-1), 0.0),
                 std::invalid_argument);
}

}  // namespace
