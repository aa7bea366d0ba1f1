// Coastlines: polylines cut to a box, and GSHHG's binned files as Debian's
// gmt-gshhg-low installs them (the real-data tests skip without them).
#include "tasks/maps/coastlines.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/file_bytes.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

struct ClipCase {
    const char* name;
    std::vector<GeoPoint> line;  ///< (latitude, longitude)
    std::vector<std::vector<GeoPoint>> pieces;
};

// The box 0 to 10 N, 0 to 10 E.
constexpr GeoBox kBox = {0.0, 10.0, 0.0, 10.0};

TEST(ClipPolyline, KeepsThePiecesWithinTheBox) {
    const ClipCase cases[] = {
        {"Inside", {{1, 1}, {2, 2}, {3, 1}}, {{{1, 1}, {2, 2}, {3, 1}}}},
        {"Outside", {{11, 1}, {12, 2}, {12, -5}, {-1, -5}}, {}},
        // Out by the east side and back in: two pieces, cut on the edge.
        {"OutAndBackIn",
         {{5, 8}, {5, 12}, {7, 12}, {7, 8}},
         {{{5, 8}, {5, 10}}, {{7, 10}, {7, 8}}}},
        // Through the box from south-west to north-east, both ends outside.
        {"Through", {{-5, -5}, {15, 15}}, {{{0, 0}, {10, 10}}}},
        // Touching a corner only: no piece of a single point.
        {"TouchesACorner", {{-1, 11}, {1, 9}}, {{{0, 10}, {1, 9}}}},
        {"OnlyTheCorner", {{-1, 9}, {0, 10}, {-1, 11}}, {}},
        {"OnePoint", {{5, 5}}, {}},
    };
    for (const ClipCase& c : cases) {
        std::vector<Coastline> out;
        ClipPolyline(c.line, kBox, 2, out);
        ASSERT_EQ(out.size(), c.pieces.size()) << c.name;
        for (std::size_t k = 0; k < out.size(); ++k) {
            EXPECT_EQ(out[k].level, 2) << c.name;
            ASSERT_EQ(out[k].points.size(), c.pieces[k].size()) << c.name << " piece " << k;
            for (std::size_t p = 0; p < c.pieces[k].size(); ++p) {
                EXPECT_NEAR(out[k].points[p].latitude, c.pieces[k][p].latitude, 1e-12) << c.name;
                EXPECT_NEAR(out[k].points[p].longitude, c.pieces[k][p].longitude, 1e-12) << c.name;
            }
        }
    }
}

TEST(CoastResolutionFor, CoarserFilesForCoarserPixels) {
    const std::pair<double, CoastResolution> cases[] = {{1.0, CoastResolution::Crude},
                                                        {0.25, CoastResolution::Crude},
                                                        {0.2, CoastResolution::Low},
                                                        {0.05, CoastResolution::Low},
                                                        {0.01, CoastResolution::Intermediate}};
    for (const auto& [degrees, resolution] : cases)
        EXPECT_EQ(CoastResolutionFor(degrees), resolution) << degrees;
}

TEST(ReadCoastlines, MissingAndDamagedFilesGiveNoLines) {
    const test::ScratchFolder scratch;
    const Coastlines missing = ReadCoastlines(kBox, CoastResolution::Low, scratch.path());
    EXPECT_EQ(missing.status, CoastStatus::Missing);
    EXPECT_EQ(missing.path, scratch.File("binned_GSHHS_l.nc"));
    EXPECT_TRUE(missing.lines.empty());
    for (const std::string& bytes : {std::string(), std::string("\x89HDF\r\n\x1a\n garbage")}) {
        test::WriteFile(scratch.File("binned_GSHHS_c.nc"), bytes);
        const Coastlines damaged = ReadCoastlines(kBox, CoastResolution::Crude, scratch.path());
        EXPECT_EQ(damaged.status, CoastStatus::Unreadable) << bytes.size();
        EXPECT_TRUE(damaged.lines.empty());
    }
}

// The real files, where the setup installed them.
class RealCoastlines : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(
                CoastlineFile(CoastResolution::Intermediate, "/usr/share/gmt-gshhg")))
            GTEST_SKIP() << "Debian's gmt-gshhg-low is not installed";
    }
    static Coastlines Read(const GeoBox& box, CoastResolution resolution) {
        return ReadCoastlines(box, resolution, "/usr/share/gmt-gshhg");
    }
};

bool Within(const GeoPoint& p, const GeoBox& box) {
    return p.latitude >= box.south && p.latitude <= box.north && p.longitude >= box.west &&
           p.longitude <= box.east;
}

// The distance in degrees from `place` to the nearest point of `lines`.
double Nearest(const std::vector<Coastline>& lines, const GeoPoint& place) {
    double nearest = 1e9;
    for (const Coastline& line : lines) {
        for (const GeoPoint& p : line.points) {
            nearest = std::min(
                nearest, std::hypot(p.latitude - place.latitude, p.longitude - place.longitude));
        }
    }
    return nearest;
}

TEST_F(RealCoastlines, GreatBritainLiesWithinItsBoxAndPassesLandsEnd) {
    const GeoBox box = {49.0, 61.0, -11.0, 2.0};
    const Coastlines coast = Read(box, CoastResolution::Intermediate);
    ASSERT_EQ(coast.status, CoastStatus::Read);
    ASSERT_GT(coast.lines.size(), 50u);
    for (const Coastline& line : coast.lines) {
        ASSERT_GE(line.points.size(), 2u);
        EXPECT_TRUE(line.level >= 1 && line.level <= 4) << line.level;
        for (const GeoPoint& p : line.points)
            ASSERT_TRUE(Within(p, box)) << p.latitude << ", " << p.longitude;
    }
    // Land's End, 50.066 N, 5.715 W, and Dover's cliffs, 51.13 N, 1.33 E.
    EXPECT_LT(Nearest(coast.lines, {50.066, -5.715}), 0.02);
    EXPECT_LT(Nearest(coast.lines, {51.13, 1.33}), 0.05);
    // Nothing in the middle of England, at 52.5 N, 1.5 W.
    EXPECT_GT(Nearest(coast.lines, {52.5, -1.5}), 0.5);
}

TEST_F(RealCoastlines, LongitudesComeInTheBoxesFrame) {
    const Coastlines west = Read({49.0, 61.0, -11.0, 2.0}, CoastResolution::Low);
    const Coastlines east = Read({49.0, 61.0, 349.0, 362.0}, CoastResolution::Low);
    ASSERT_EQ(west.lines.size(), east.lines.size());
    ASSERT_FALSE(west.lines.empty());
    for (std::size_t k = 0; k < west.lines.size(); ++k) {
        ASSERT_EQ(west.lines[k].points.size(), east.lines[k].points.size());
        for (std::size_t p = 0; p < west.lines[k].points.size(); ++p) {
            EXPECT_NEAR(east.lines[k].points[p].longitude,
                        west.lines[k].points[p].longitude + 360.0, 1e-9);
        }
    }
    // Fiji (178 E) and Tonga (175 W) in one box across the antimeridian.
    const GeoBox pacific = {-22.0, -14.0, 170.0, 190.0};
    const Coastlines islands = Read(pacific, CoastResolution::Low);
    EXPECT_LT(Nearest(islands.lines, {-17.8, 178.0}), 1.0);
    EXPECT_LT(Nearest(islands.lines, {-21.2, 184.8}), 0.5);
}

// Fault it would catch: Antarctica drawn twice, along its grounding line too.
TEST_F(RealCoastlines, AntarcticaFollowsItsIceFront) {
    // The Ross Ice Shelf: its front lies near 78 S, its grounding line runs to 85 S.
    const Coastlines ross = Read({-88.0, -70.0, 180.0, 200.0}, CoastResolution::Crude);
    ASSERT_EQ(ross.status, CoastStatus::Read);
    double southmost = 0.0;
    for (const Coastline& line : ross.lines) {
        for (const GeoPoint& p : line.points) southmost = std::min(southmost, p.latitude);
    }
    EXPECT_LT(southmost, -77.0);
    EXPECT_GT(southmost, -80.0);
}

TEST_F(RealCoastlines, FinerFilesHoldMorePoints) {
    std::size_t previous = 0;
    for (const CoastResolution resolution :
         {CoastResolution::Crude, CoastResolution::Low, CoastResolution::Intermediate}) {
        const Coastlines world = Read({-90.0, 90.0, -180.0, 180.0}, resolution);
        ASSERT_EQ(world.status, CoastStatus::Read);
        std::size_t points = 0;
        for (const Coastline& line : world.lines) points += line.points.size();
        EXPECT_GT(points, previous * 3);
        previous = points;
    }
}

}  // namespace
}  // namespace egm2008
